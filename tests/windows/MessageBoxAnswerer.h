// Answers message boxes the library shows on the host's thread, so a test never waits for
// a person: a thread watches for a top-level dialog with the given caption, notes its
// text and presses OK, as a user would.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class MessageBoxAnswerer {
public:
    explicit MessageBoxAnswerer(std::wstring caption);
    ~MessageBoxAnswerer();
    MessageBoxAnswerer(const MessageBoxAnswerer &) = delete;
    MessageBoxAnswerer &operator=(const MessageBoxAnswerer &) = delete;

    // How many boxes were answered so far, and the text each one showed.
    int answered() const { return _answered.load(); }
    std::vector<std::wstring> texts() const;

private:
    void watch();

    std::wstring _caption;
    std::atomic<bool> _stop{false};
    std::atomic<int> _answered{0};
    mutable std::mutex _textsMutex;
    std::vector<std::wstring> _texts;
    std::thread _thread;
};
