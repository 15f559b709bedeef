// CTest runs each test in a process of its own, several at once, all in the folder's
// scratch directory. Tests write the library's log ("qnv_log.txt", emptied by a process's
// first entry), effect files and generated media by fixed names, so every test program
// registers this environment (ProcessDirectory.cpp, linked into each): each process works
// in a directory of its own below the scratch directory and never meets another's files.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>

#include <unistd.h>

namespace testsupport {

class ProcessDirectory : public ::testing::Environment {
public:
    void SetUp() override {
        _parent = std::filesystem::current_path();
        _own = _parent / ("process-" + std::to_string(getpid()));
        std::filesystem::create_directories(_own);
        std::filesystem::current_path(_own);
    }
    void TearDown() override {
        std::filesystem::current_path(_parent);
        std::error_code ignored;
        std::filesystem::remove_all(_own, ignored);
    }

private:
    std::filesystem::path _parent;
    std::filesystem::path _own;
};

} // namespace testsupport
