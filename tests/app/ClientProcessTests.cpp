// The real client started as a child process, as a user starts it.

#include "ChildProcess.h"
#include "LoginWindows.h"
#include "MessageBoxAnswerer.h"
#include "PngFile.h"
#include "TempDir.h"
#include "UiPump.h"
#include "UserInput.h"

#include <gtest/gtest.h>

#include <dbghelp.h>
#include <shlobj.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <regex>
#include <string>
#include <vector>

namespace {

std::string ClientPath() {
    return ProgramDirectory() + "\\client.exe";
}

constexpr int kCloseX = 160, kCloseY = 10, kMinX = 120, kMinY = 10, kButtonSide = 30;

// The release layout in `dir` (the client beside config.xml and data\), with
// a login skin: a 240 x 180 opaque backdrop, the two buttons at known places
// and a browser area; the page address leads nowhere. `prologue` comes
// before the settings in config.xml.
void WriteLoginSkin(const TempDir& dir, const std::string& prologue = "") {
    ASSERT_TRUE(::CopyFileA(ProgramDirectory().append("\\client.exe").c_str(),
                            dir.PathOf("client.exe").c_str(), FALSE));
    CGdiplusSession gdiplus;
    dir.Write("data\\bg.png", "");
    ASSERT_TRUE(
        WritePng(dir.PathOf("data\\bg.png"), 240, 180, [](int, int) { return 0xFF2040A0u; }));
    auto button = [&](const char* stem, int x, int y) {
        std::string s = stem;
        return "<" + s + "_posx>" + std::to_string(x) + "</" + s + "_posx><" + s + "_posy>" +
               std::to_string(y) + "</" + s + "_posy><" + s + "_width>" +
               std::to_string(kButtonSide) + "</" + s + "_width><" + s + "_height>" +
               std::to_string(kButtonSide) + "</" + s + "_height>";
    };
    dir.Write("config.xml",
              prologue +
                  "<config><login_url>about:blank</login_url><login_bg>bg.png</login_bg>"
                  "<login_browserctrl_posx>10</login_browserctrl_posx>"
                  "<login_browserctrl_posy>50</login_browserctrl_posy>"
                  "<login_browserctrl_width>200</login_browserctrl_width>"
                  "<login_browserctrl_height>100</login_browserctrl_height>" +
                  button("login_minibtn", kMinX, kMinY) +
                  button("login_closebtn", kCloseX, kCloseY) + "</config>");
}

POINT ButtonCentre(HWND content, int x, int y) {
    POINT point{x + kButtonSide / 2, y + kButtonSide / 2};
    ::ClientToScreen(content, &point);
    return point;
}

} // namespace

TEST(ClientProcess, MissingOrHostileConfigurationStillShowsTheLoginWindow) {
    TempDir empty;
    ChildProcess bare(ClientPath(), "", empty.Path());
    EXPECT_NE(WaitForLoginWindow(bare).content, nullptr);

    // The whole skin behind a DTD that declares entities of 100 GB: a file
    // with a DTD is refused whole, so the backdrop is not the skin's.
    TempDir hostile;
    std::string laughs = "<?xml version=\"1.0\"?><!DOCTYPE config [<!ENTITY a \"aaaaaaaaaa\">";
    for (char c = 'b'; c <= 'k'; ++c)
        laughs += std::string("<!ENTITY ") + c + " \"" + [&] {
            std::string refs;
            for (int i = 0; i < 10; ++i)
                refs += std::string("&") + static_cast<char>(c - 1) + ";";
            return refs;
        }() + "\">";
    laughs += "]>";
    WriteLoginSkin(hostile, laughs);
    ChildProcess client(hostile.PathOf("client.exe"), "", hostile.Path());
    LoginWindows windows = WaitForLoginWindow(client);
    ASSERT_NE(windows.content, nullptr);
    RECT backdrop{};
    ::GetWindowRect(windows.backdrop, &backdrop);
    EXPECT_NE(backdrop.right - backdrop.left, 240);
}

// The client started from a staged release with the test skin.
class LoginClientTest : public ::testing::Test {
protected:
    LoginWindows StartClient() {
        WriteLoginSkin(m_dir);
        m_client = std::make_unique<ChildProcess>(m_dir.PathOf("client.exe"), "", m_dir.Path());
        return WaitForLoginWindow(*m_client);
    }

    TempDir m_dir;
    std::unique_ptr<ChildProcess> m_client;
};

TEST_F(LoginClientTest, LoginWindowIsLaidOutFromTheConfiguration) {
    LoginWindows windows = StartClient();
    ASSERT_NE(windows.content, nullptr);
    RECT backdrop, content, close, browser;
    ::GetWindowRect(windows.backdrop, &backdrop);
    ::GetWindowRect(windows.content, &content);
    EXPECT_EQ(backdrop.right - backdrop.left, 240);
    EXPECT_EQ(backdrop.bottom - backdrop.top, 180);
    EXPECT_TRUE(::EqualRect(&backdrop, &content));
    ::GetWindowRect(::GetDlgItem(windows.content, 1000), &close);
    EXPECT_EQ(close.left - content.left, kCloseX);
    EXPECT_EQ(close.right - close.left, kButtonSide);
    // The browser host took the placeholder's place and ID.
    HWND host = ::GetDlgItem(windows.content, 1001);
    ASSERT_NE(host, nullptr);
    char className[64] = {};
    ::GetClassNameA(host, className, sizeof(className));
    EXPECT_STRNE(className, "Static");
    ::GetWindowRect(host, &browser);
    EXPECT_EQ(browser.left - content.left, 10);
    EXPECT_EQ(browser.right - browser.left, 200);
    m_client->Terminate();
}

TEST_F(LoginClientTest, EscapeEndsTheClientThroughTheNormalPath) {
    LoginWindows windows = StartClient();
    ASSERT_NE(windows.content, nullptr);
    ::PostMessageA(windows.content, WM_KEYDOWN, VK_RETURN, 1); // ignored
    PumpFor(300);
    EXPECT_EQ(m_client->ExitCode(), static_cast<DWORD>(STILL_ACTIVE));
    ::PostMessageA(windows.content, WM_KEYDOWN, VK_ESCAPE, 1);
    ASSERT_TRUE(m_client->WaitForExit(30000));
    EXPECT_EQ(m_client->ExitCode(), 0u);
}

TEST_F(LoginClientTest, CloseButtonAsksAndOnlyOkEndsTheClientWithStatusOne) {
    LoginWindows windows = StartClient();
    ASSERT_NE(windows.content, nullptr);
    POINT close = ButtonCentre(windows.content, kCloseX, kCloseY);
    {
        MessageBoxAnswerer user(IDCANCEL, m_client->Id());
        ClickAt(close);
        ASSERT_TRUE(user.Wait());
        EXPECT_EQ(user.Caption(), "提示");
        EXPECT_EQ(user.Text(), "此操作将退去游戏 ，是否继续？");
    }
    PumpFor(300);
    EXPECT_EQ(m_client->ExitCode(), static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_TRUE(::IsWindowVisible(windows.content));
    MessageBoxAnswerer user(IDOK, m_client->Id());
    ClickAt(close);
    ASSERT_TRUE(user.Wait());
    ASSERT_TRUE(m_client->WaitForExit(30000));
    EXPECT_EQ(m_client->ExitCode(), 1u);
}

TEST_F(LoginClientTest, MinimiseButtonMinimisesTheBackdropWithTheContent) {
    LoginWindows windows = StartClient();
    ASSERT_NE(windows.content, nullptr);
    ClickAt(ButtonCentre(windows.content, kMinX, kMinY));
    EXPECT_TRUE(PumpUntil([&] { return ::IsIconic(windows.backdrop) != FALSE; }, 10000));
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindowVisible(windows.content); }, 10000));
    m_client->Terminate();
}

namespace {

// The client's own build keeps its reports as release "GameClient".
std::string CrashFolder() {
    char base[MAX_PATH] = {};
    ::SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, base);
    return std::string(base) + "\\GameClient\\crashes";
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = ::FindNextFileA(search, &found))
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    if (search != INVALID_HANDLE_VALUE)
        ::FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadWhole(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

} // namespace

// A thread of the running client that faults (started in it from outside:
// nothing a page or a skin reaches) leaves a minidump the system's reader
// takes, with the fault in its exception stream, and the report's text; the
// process then ends as an unhandled fault ends it, and the oldest reports
// beyond the newest ten go. Both at once after start-up, when the report's
// libraries are loaded for the crash, and later, when they were loaded
// before it.
TEST_F(LoginClientTest, ACrashLeavesAMinidumpAndItsTextKeepingTheNewestTen) {
    for (DWORD crashAfterMs : {0ul, 6000ul}) {
        SCOPED_TRACE(crashAfterMs);
        const std::string folder = CrashFolder();
        for (const std::string& name : FilesIn(folder))
            ::DeleteFileA((folder + "\\" + name).c_str());
        ::SHCreateDirectoryExA(nullptr, folder.c_str(), nullptr);
        for (int i = 10; i < 21; ++i)
            for (const char* extension : {".txt", ".dmp"})
                std::ofstream(folder + "\\crash-200001" + std::to_string(i) + "-000000-1" +
                              extension);
        ASSERT_NE(StartClient().content, nullptr);
        ::Sleep(crashAfterMs);
        DWORD thread = 0;
        HANDLE faulting =
            ::CreateRemoteThread(m_client->Handle(), nullptr, 0,
                                 reinterpret_cast<LPTHREAD_START_ROUTINE>(1), nullptr, 0, &thread);
        ASSERT_NE(faulting, nullptr);
        ::CloseHandle(faulting);
        ASSERT_TRUE(m_client->WaitForExit(60000));
        EXPECT_EQ(m_client->ExitCode(), static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));

        const std::vector<std::string> files = FilesIn(folder);
        ASSERT_EQ(files.size(), 20u);
        EXPECT_EQ(files.front(), "crash-20000112-000000-1.dmp");
        const std::string stem = folder + "\\" + files.back().substr(0, files.back().size() - 4);
        const std::string text = ReadWhole(stem + ".txt");
        for (const std::string& line :
             {std::string("release: GameClient " CLIENT_VERSION),
              std::string("client: " CLIENT_VERSION),
              "exception: 0xc0000005 at 0000000000000001 in thread " + std::to_string(thread)})
            EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
        EXPECT_TRUE(std::regex_search(text, std::regex("config.xml sha256: [0-9a-f]{64}\r\n")))
            << text;

        std::string dump = ReadWhole(stem + ".dmp");
        MINIDUMP_DIRECTORY* directory = nullptr;
        void* stream = nullptr;
        ULONG size = 0;
        ASSERT_TRUE(
            ::MiniDumpReadDumpStream(dump.data(), ExceptionStream, &directory, &stream, &size));
        const auto* exception = static_cast<MINIDUMP_EXCEPTION_STREAM*>(stream);
        EXPECT_EQ(exception->ThreadId, thread);
        EXPECT_EQ(exception->ExceptionRecord.ExceptionCode, EXCEPTION_ACCESS_VIOLATION);
    }
}
