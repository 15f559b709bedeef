// A media object that does nothing but write each call it gets ("a.play", "b.update",
// "a.destroyed") to a journal shared by the objects of one test.
#pragma once

#include <string>
#include <vector>

#include "core/IMedia.h"

using Journal = std::vector<std::string>;

class FakeMedia final : public IMedia {
public:
    FakeMedia(std::string name, Journal &journal) : _name(std::move(name)), _journal(journal) {}
    ~FakeMedia() override { note("destroyed"); }

    int open(std::wstring) override { return note("open"); }
    int close() override { return note("close"); }
    int play() override { return note("play"); }
    int pause() override { return note("pause"); }
    int stop() override { return note("stop"); }
    int update() override { return note("update"); }
    double getLength() override { return 0.0; }
    double getPosition() override { return 0.0; }
    bool isReady() override { return true; }

private:
    int note(const char *call) {
        _journal.push_back(_name + "." + call);
        return 1;
    }

    const std::string _name;
    Journal &_journal;
};
