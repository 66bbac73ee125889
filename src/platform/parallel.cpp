#include "platform/parallel.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/error.h"

namespace vezedo::platform {

std::size_t threadsFor(std::size_t asked)
{
    if (asked != 0)
        return asked;
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : cores;
}

std::vector<std::exception_ptr> runParts(std::size_t parts, const std::function<void(std::size_t)>& work,
                                         const std::function<void()>& poll)
{
    std::vector<std::exception_ptr> failures(parts);
    std::mutex mutex;
    std::condition_variable finished;
    std::size_t running = parts;
    const auto runOne = [&](std::size_t part) {
        try {
            work(part);
        } catch (...) {
            failures[part] = std::current_exception();
        }
        const std::lock_guard lock(mutex);
        --running;
        finished.notify_all();
    };
    std::vector<std::thread> threads;
    threads.reserve(parts);
    const std::size_t firstOnThread = poll ? 0 : 1;
    for (std::size_t part = firstOnThread; part < parts; ++part)
        threads.emplace_back(runOne, part);
    if (!poll && parts > 0)
        runOne(0);
    if (poll) {
        std::unique_lock lock(mutex);
        while (running > 0) {
            finished.wait_for(lock, std::chrono::milliseconds(20));
            if (running == 0)
                break;
            lock.unlock();
            poll();
            lock.lock();
        }
    }
    for (std::thread& thread : threads)
        thread.join();
    return failures;
}

bool anyRefused(const std::vector<std::exception_ptr>& failures)
{
    bool refused = false;
    for (const std::exception_ptr& failure : failures) {
        if (!failure)
            continue;
        try {
            std::rethrow_exception(failure);
        } catch (const Error&) {
            refused = true;
        }
    }
    return refused;
}

}  // namespace vezedo::platform
