// Waiting in tests for another thread's work: polls a condition every millisecond until it
// holds or a deadline passes. Deadlines are generous on purpose (a loaded machine is slow,
// never wrong); a test fails on the result, not on time.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace testsupport {

inline bool waitUntil(const std::function<bool()> &condition, double seconds = 60.0) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace testsupport
