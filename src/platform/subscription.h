#pragma once

#include <algorithm>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <utility>

namespace vezedo::platform {

// One observer's place in an ObserverList; leaving it (destroyed or reset) unsubscribes. It may
// outlive the list: then it does nothing.
class Subscription {
public:
    Subscription() = default;
    Subscription(std::function<void()> cancel, std::weak_ptr<void> listAlive)
        : m_cancel(std::move(cancel)), m_listAlive(std::move(listAlive))
    {
    }
    Subscription(Subscription&& other) noexcept
        : m_cancel(std::exchange(other.m_cancel, nullptr)), m_listAlive(std::move(other.m_listAlive))
    {
    }
    Subscription& operator=(Subscription&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_cancel = std::exchange(other.m_cancel, nullptr);
            m_listAlive = std::move(other.m_listAlive);
        }
        return *this;
    }
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    ~Subscription() { reset(); }

    void reset()
    {
        if (m_cancel && !m_listAlive.expired())
            m_cancel();
        m_cancel = nullptr;
    }

private:
    std::function<void()> m_cancel;
    std::weak_ptr<void> m_listAlive;  // expires with the list
};

// The observers of one publisher, told of each event in the order they subscribed. Observers
// may subscribe or unsubscribe while being told: those added hear from the next event on,
// those leaving are only blanked and removed once all have been told.
template <typename Event> class ObserverList {
public:
    using Observer = std::function<void(const Event&)>;

    ObserverList() = default;
    ObserverList(const ObserverList&) = delete;
    ObserverList& operator=(const ObserverList&) = delete;

    Subscription subscribe(Observer observer)
    {
        const int id = m_nextId++;
        m_observers.emplace_back(id, std::move(observer));
        return Subscription([this, id] { unsubscribe(id); }, m_alive);
    }

    bool empty() const { return m_observers.empty(); }

    void notify(const Event& event)
    {
        ++m_emitting;
        const std::size_t n = m_observers.size();
        for (std::size_t i = 0; i < n; ++i)
            if (m_observers[i].first != 0)
                m_observers[i].second(event);
        if (--m_emitting == 0 && m_blanked) {
            std::erase_if(m_observers, [](const auto& entry) { return entry.first == 0; });
            m_blanked = false;
        }
    }

private:
    void unsubscribe(int id)
    {
        auto it =
            std::find_if(m_observers.begin(), m_observers.end(), [id](const auto& entry) { return entry.first == id; });
        if (it == m_observers.end())
            return;
        if (m_emitting > 0) {
            // The observer may be the one running: keep its function alive until all are told.
            it->first = 0;
            m_blanked = true;
        } else {
            m_observers.erase(it);
        }
    }

    // A deque: an observer subscribing during notification must not move the one being called.
    std::deque<std::pair<int, Observer>> m_observers;
    int m_nextId = 1;
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
    int m_emitting = 0;      // depth of notification under way
    bool m_blanked = false;  // an observer left during notification
};

}  // namespace vezedo::platform
