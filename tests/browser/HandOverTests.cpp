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
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr DWORD kHandedOver = 1;

std::string ProgramFiles(int csidl) {
    char path[MAX_PATH] = {};
    EXPECT_TRUE(::SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE)) << csidl;
    return path;
}

// The stand-in installed as the game program under one Program Files
// folder; it records its command line beside itself.
struct StandIn {
    explicit StandIn(int csidl)
        : programFiles(ProgramFiles(csidl)), base(programFiles + "\\zuv3a"),
          folder(base + "\\webgame"), program(folder + "\\zazorerudo.exe"),
          record(folder + "\\command-line.txt") {
        ::SHCreateDirectoryExA(nullptr, folder.c_str(), nullptr);
        EXPECT_TRUE(::CopyFileA((ProgramDirectory() + "\\game_standin.exe").c_str(),
                                program.c_str(), FALSE));
        ::DeleteFileA(record.c_str());
    }
    ~StandIn() {
        ::DeleteFileA(record.c_str());
        ::DeleteFileA(program.c_str());
        ::RemoveDirectoryA(folder.c_str());
        ::RemoveDirectoryA(base.c_str());
    }

    // What it recorded, once it has (waiting up to `ms`).
    std::optional<std::string> Recorded(DWORD ms) const {
        for (DWORD waited = 0; waited <= ms; waited += 50) {
            std::ifstream in(record, std::ios::binary);
            if (in) {
                std::ostringstream text;
                text << in.rdbuf();
                return text.str();
            }
            ::Sleep(50);
        }
        return std::nullopt;
    }

    std::string programFiles, base, folder, program, record;
};

// Runs the client side with `navigations`; its exit status.
DWORD RunClient(const std::string& navigations) {
    ChildProcess client(ProgramDirectory() + "\\handover_child.exe", navigations,
                        ProgramDirectory());
    EXPECT_TRUE(client.Started());
    EXPECT_TRUE(client.WaitForExit(120000));
    return client.ExitCode();
}

// Installed where installations made for the 32-bit client put it.
class HandOver : public ::testing::Test {
protected:
    std::optional<std::string> Recorded(DWORD ms) const { return m_standIn.Recorded(ms); }

    StandIn m_standIn{CSIDL_PROGRAM_FILESX86};
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

// Where the client looks: the 32-bit Program Files folder first, then the
// 64-bit one (under a 32-bit client, or on 32-bit Windows, both are one).
TEST(HandOverProgram, IsFoundInEitherProgramFilesFolderThe32BitOneFirst) {
    // Where stand-ins are installed; the first of them is the one started.
    const std::vector<int> cases[] = {
        {CSIDL_PROGRAM_FILESX86},
        {CSIDL_PROGRAM_FILES},
        {CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILES},
    };
    for (const std::vector<int>& installed : cases) {
        std::vector<std::unique_ptr<StandIn>> standIns;
        for (int csidl : installed)
            if (standIns.empty() || ProgramFiles(csidl) != standIns[0]->programFiles)
                standIns.push_back(std::make_unique<StandIn>(csidl));
        EXPECT_EQ(RunClient("1:C:\\game\\web\\main.html 1:http://host/p/g.html#k=1"), kHandedOver);
        EXPECT_EQ(standIns[0]->Recorded(60000), "k=1|http://host/p/") << standIns[0]->folder;
        for (size_t i = 1; i < standIns.size(); ++i)
            EXPECT_EQ(standIns[i]->Recorded(1000), std::nullopt) << standIns[i]->folder;
    }
}

} // namespace
