// CTest runs each test in a process of its own, several at once, all in the folder's
// scratch directory. A test program that writes the library's log ("qnv_log.txt", emptied
// by a process's first entry) or generated media by fixed names registers this
// environment, so that each process works in a directory of its own below the scratch
// directory and never meets another's files:
//
//     const ::testing::Environment *const kProcessDirectory =
//         ::testing::AddGlobalTestEnvironment(new testsupport::ProcessDirectory);
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
