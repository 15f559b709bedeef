// Follows the library's log file while it grows and counts its entries: the feeder's
// "Audio out of sync" warnings (each one a resynchronisation of a sound with its timeline)
// and failed platform calls. Reads only what was added since the last look, so it can be
// polled every host frame.
#pragma once

#include <cstdint>
#include <string>

// Counts the occurrences of one phrase in a text that arrives in pieces, including a
// phrase split across two pieces.
class PhraseCounter {
public:
    explicit PhraseCounter(std::string phrase) : _phrase(std::move(phrase)) {}
    void feed(const std::string &piece);
    int count() const { return _count; }

private:
    std::string _phrase;
    std::string _carry; // the end of the text seen so far that could start the phrase
    int _count = 0;
};

class LogWatcher {
public:
    explicit LogWatcher(std::string path);

    // Reads what the file gained since the last poll. A file that became shorter was
    // started afresh: counting starts over from its beginning.
    void poll();

    int resyncs() const { return _resyncs.count(); }
    int failures() const { return _failures.count(); }

private:
    std::string _path;
    int64_t _offset = 0;
    PhraseCounter _resyncs;
    PhraseCounter _failures;
};
