// The real client started as a child process, as a user starts it.

#include "ChildProcess.h"
#include "TempDir.h"

#include <gtest/gtest.h>

namespace {

std::string ClientPath() {
    return ProgramDirectory() + "\\client.exe";
}

// Runs the client in `directory` and returns its exit status; fails the test
// if it does not end within a minute.
DWORD RunClientIn(const std::string& directory) {
    ChildProcess client(ClientPath(), "", directory);
    EXPECT_TRUE(client.Started());
    EXPECT_TRUE(client.WaitForExit(60000));
    return client.ExitCode();
}

} // namespace

TEST(ClientProcess, StartsWithAConfigurationAndEndsThroughTheNormalPath) {
    TempDir dir;
    dir.Write("config.xml", "<config><login_url>http://127.0.0.1/login.html</login_url>"
                            "<login_bg>bg.png</login_bg></config>");
    EXPECT_EQ(RunClientIn(dir.Path()), 0u);
}

TEST(ClientProcess, MissingOrHostileConfigurationStillEndsNormally) {
    TempDir empty;
    EXPECT_EQ(RunClientIn(empty.Path()), 0u);

    TempDir hostile;
    std::string laughs = "<?xml version=\"1.0\"?><!DOCTYPE c [<!ENTITY a \"aaaaaaaaaa\">";
    for (char c = 'b'; c <= 'k'; ++c)
        laughs += std::string("<!ENTITY ") + c + " \"" + [&] {
            std::string refs;
            for (int i = 0; i < 10; ++i)
                refs += std::string("&") + static_cast<char>(c - 1) + ";";
            return refs;
        }() + "\">";
    laughs += "]><c><login_url>&k;</login_url></c>";
    hostile.Write("config.xml", laughs);
    EXPECT_EQ(RunClientIn(hostile.Path()), 0u);
}
