// The DLL as a game finds it: loadable by name, with every one of the 18 exports present
// under its undecorated name.
#include <gtest/gtest.h>

#include "QuenvoLibrary.h"

TEST(Exports, EveryNameResolves) {
    QuenvoLibrary library;
    ASSERT_TRUE(library.loaded()) << "LoadLibrary(\"Quenvo.dll\") failed: " << GetLastError();
    std::string missing;
    for (const std::string &name : library.missingNames())
        missing += name + " ";
    EXPECT_TRUE(library.complete()) << "missing exports: " << missing;
    EXPECT_EQ(nullptr, GetProcAddress(GetModuleHandleW(L"Quenvo.dll"), "_qnv_init"))
        << "exports must not carry decorated names";
}
