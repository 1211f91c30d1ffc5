// Tests of windows that host controls run in a single-threaded OLE
// apartment with control hosting enabled, as the client's user-interface
// thread does. Compiled into each such test program (a global environment
// in a library would never be linked in).

#include "Afx.h"

#include <gtest/gtest.h>

#include <ole2.h>

namespace {

class COleEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        AfxEnableControlContainer();
    }
    void TearDown() override { ::OleUninitialize(); }
};

[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new COleEnvironment);

} // namespace
