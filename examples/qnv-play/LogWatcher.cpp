#include "LogWatcher.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

// The warning entry of a resynchronisation and the mark of a failure entry.
const char *const kResyncPhrase = ": Warning Audio out of sync";
const char *const kFailurePhrase = ": Failed ";

} // namespace

void PhraseCounter::feed(const std::string &piece) {
    const std::string text = _carry + piece;
    for (size_t at = text.find(_phrase); at != std::string::npos;
         at = text.find(_phrase, at + _phrase.size())) {
        ++_count;
    }
    // Keep fewer characters than the phrase, so a phrase already counted is not counted
    // again but one cut at the end of this piece is found with the next.
    const size_t keep = std::min(text.size(), _phrase.size() - 1);
    _carry = text.substr(text.size() - keep);
}

LogWatcher::LogWatcher(std::string path)
    : _path(std::move(path)), _resyncs(kResyncPhrase), _failures(kFailurePhrase) {}

void LogWatcher::poll() {
    struct Closer {
        void operator()(FILE *file) const { std::fclose(file); }
    };
    std::unique_ptr<FILE, Closer> file(std::fopen(_path.c_str(), "rb"));
    if (!file || std::fseek(file.get(), 0, SEEK_END) != 0) {
        return;
    }
    const long size = std::ftell(file.get());
    if (size < _offset) {
        _offset = 0;
        _resyncs = PhraseCounter(kResyncPhrase);
        _failures = PhraseCounter(kFailurePhrase);
    }
    if (size <= _offset || std::fseek(file.get(), static_cast<long>(_offset), SEEK_SET) != 0) {
        return;
    }
    std::string added(static_cast<size_t>(size - _offset), '\0');
    const size_t got = std::fread(&added[0], 1, added.size(), file.get());
    added.resize(got);
    _offset += static_cast<int64_t>(got);
    _resyncs.feed(added);
    _failures.feed(added);
}
