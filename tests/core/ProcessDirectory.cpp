// The core tests write the library's log and generated media by fixed names: each test
// process works in a directory of its own.
#include "support/ProcessDirectory.h"

namespace {

const ::testing::Environment *const kProcessDirectory =
    ::testing::AddGlobalTestEnvironment(new testsupport::ProcessDirectory);

} // namespace
