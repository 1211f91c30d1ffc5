// The program's own path, read whole whatever buffer is tried first.

#include "Afx.h"

#include <gtest/gtest.h>

#include <string>

TEST(ModuleFileName, IsTheWholePathWhateverBufferIsTriedFirst) {
    std::string expected(32768, '\0');
    expected.resize(::GetModuleFileNameA(nullptr, expected.data(), 32768));
    ASSERT_TRUE(expected.ends_with("\\bin\\framework_tests.exe")) << expected;
    const DWORD length = static_cast<DWORD>(expected.size());
    // Too small, exactly the path without its terminator, just large enough.
    for (DWORD firstTry : {DWORD{0}, DWORD{1}, DWORD{8}, length, length + 1})
        EXPECT_EQ(AfxGetModuleFileName(nullptr, firstTry), expected) << firstTry;
    EXPECT_EQ(AfxGetModuleFileName(), expected);
}
