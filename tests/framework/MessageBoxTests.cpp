// Message boxes answered by a simulated user, the way the window tests
// answer the client's confirmations.

#include "MessageBoxAnswerer.h"

#include <gtest/gtest.h>

TEST(MessageBoxAnswerer, ClicksTheChosenButtonAndRecordsWhatTheBoxSaid) {
    const char* text = "此操作将退去游戏 ，是否继续？";
    const char* caption = "提示";
    {
        MessageBoxAnswerer user(IDCANCEL);
        EXPECT_EQ(::MessageBoxA(nullptr, text, caption, MB_OKCANCEL), IDCANCEL);
        ASSERT_TRUE(user.Wait());
        EXPECT_EQ(user.Caption(), caption);
        EXPECT_EQ(user.Text(), text);
    }
    MessageBoxAnswerer user(IDOK);
    EXPECT_EQ(::MessageBoxA(nullptr, text, caption, MB_OKCANCEL), IDOK);
    EXPECT_TRUE(user.Wait());
}
