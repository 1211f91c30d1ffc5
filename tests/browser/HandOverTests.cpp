// The hand-over to the external game program, end to end: a child process
// drives the real browser control; a stand-in program installed under the
// test prefix's Program Files folder records the parameters it is started
// with.

#include "ChildProcess.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <shlobj.h>
#include <windows.h>

#include <fstream>
#include <optional>
#include <sstream>
#include <string>

namespace {

constexpr DWORD kHandedOver = 1;

class HandOver : public ::testing::Test {
protected:
    void SetUp() override {
        char programFiles[MAX_PATH] = {};
        ASSERT_TRUE(::SHGetSpecialFolderPathA(nullptr, programFiles, CSIDL_PROGRAM_FILES, FALSE));
        m_base = std::string(programFiles) + "\\zuv3a";
        m_folder = m_base + "\\webgame";
        m_program = m_folder + "\\zazorerudo.exe";
        m_record = m_folder + "\\command-line.txt";
        ::SHCreateDirectoryExA(nullptr, m_folder.c_str(), nullptr);
        ASSERT_TRUE(::CopyFileA((ProgramDirectory() + "\\game_standin.exe").c_str(),
                                m_program.c_str(), FALSE));
        ::DeleteFileA(m_record.c_str());
    }
    void TearDown() override {
        ::DeleteFileA(m_record.c_str());
        ::DeleteFileA(m_program.c_str());
        ::RemoveDirectoryA(m_folder.c_str());
        ::RemoveDirectoryA(m_base.c_str());
    }

    // Runs the client side with `navigations`; its exit status.
    DWORD RunClient(const std::string& navigations) {
        ChildProcess client(ProgramDirectory() + "\\handover_child.exe", navigations,
                            ProgramDirectory());
        EXPECT_TRUE(client.Started());
        EXPECT_TRUE(client.WaitForExit(120000));
        return client.ExitCode();
    }

    // What the stand-in recorded, once it has (waiting up to `ms`).
    std::optional<std::string> Recorded(DWORD ms) {
        for (DWORD waited = 0; waited <= ms; waited += 50) {
            std::ifstream in(m_record, std::ios::binary);
            if (in) {
                std::ostringstream text;
                text << in.rdbuf();
                return text.str();
            }
            ::Sleep(50);
        }
        return std::nullopt;
    }

    std::string m_base;
    std::string m_folder;
    std::string m_program;
    std::string m_record;
};

TEST_F(HandOver, StartsTheGameProgramWithFragmentAndBaseThenEndsTheClient) {
    // Armed in one host, handed over from the other.
    EXPECT_EQ(RunClient("1:C:\\game\\web\\main.html 2:http://host/path/page.html#k=1"),
              kHandedOver);
    EXPECT_EQ(Recorded(60000), "k=1|http://host/path/");
}

TEST_F(HandOver, TheBaseEndsAtTheLastSlashEvenInsideTheFragment) {
    EXPECT_EQ(RunClient("1:http://h/web\\main.html 1:http://host/path/page.html#a/b"), kHandedOver);
    EXPECT_EQ(Recorded(60000), "a/b|http://host/path/page.html#a/");
}

TEST_F(HandOver, ChineseAddressesArriveInTheClientsCodePage) {
    EXPECT_EQ(RunClient("1:C:\\游戏\\web\\main.html 1:http://host/路径/页.html#k=值"), kHandedOver);
    EXPECT_EQ(Recorded(60000), "k=值|http://host/路径/");
}

TEST_F(HandOver, NothingStartsBeforeWebMainNorForOtherAddresses) {
    EXPECT_EQ(RunClient("1:http://host/path/page.html#k=1 "   // not armed yet
                        "1:C:\\game\\web\\main.html "         // arms
                        "2:file:///C:/game/page.html#k=1 "    // no http://
                        "2:http://host/path/page.html "       // no fragment
                        "1:https://host/path/page.html#k=1"), // https
              0u);
    EXPECT_EQ(Recorded(1000), std::nullopt);
}

} // namespace
