#include "ProcessDirectory.h"

namespace {

const ::testing::Environment *const kProcessDirectory =
    ::testing::AddGlobalTestEnvironment(new testsupport::ProcessDirectory);

} // namespace
