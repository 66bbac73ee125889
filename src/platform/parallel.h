#pragma once

#include <cstddef>
#include <exception>
#include <functional>
#include <vector>

namespace vezedo::platform {

// The threads to use when `asked` are asked for; 0 asks for as many as the machine has.
std::size_t threadsFor(std::size_t asked);

// Runs work(part) for every part from 0 to parts - 1, each on a thread of its own, and waits
// for all of them. With `poll`, the calling thread calls it about every 20 ms while it waits
// (and runs no part itself); without, it runs part 0. Returns what each part threw, in part
// order (null for a part that finished).
std::vector<std::exception_ptr> runParts(std::size_t parts, const std::function<void(std::size_t)>& work,
                                         const std::function<void()>& poll = {});

// Whether a part was refused (threw an Error), from what runParts returned; anything else a
// part threw (out of memory, a fault) is thrown again here.
bool anyRefused(const std::vector<std::exception_ptr>& failures);

}  // namespace vezedo::platform
