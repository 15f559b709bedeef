// The test host's entry point. Output is unbuffered so that a run cut short by a timeout
// still shows how far it got.
#include <cstdio>

#include <gtest/gtest.h>

int main(int argc, char **argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
