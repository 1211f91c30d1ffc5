// The update as a player meets it: release 1.0.0 of a game with updates,
// installed once for these tests (the update_e2e_install fixture), started
// from its folder against a server on the port its update address names,
// which serves the packaging's 1.1.0 (make-e2e-releases.cmake). Where the
// download fails, the client carries on as 1.0.0; where it succeeds, the
// installer upgrades the installation and starts 1.1.0. The last test
// upgrades the installation, so it runs last.

#include "ChildProcess.h"
#include "InstalledProgram.h"
#include "LocalHttpServer.h"
#include "LoginWindows.h"
#include "MessageBoxAnswerer.h"
#include "ReleaseName.h"
#include "TempDir.h"
#include "UiPump.h"
#include "UpdateStore.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr char kId[] = "AutoUpdateGame";
constexpr char kDescriptionPath[] = "/updates/AutoUpdateGame-update.json";
constexpr char kInstallerPath[] = "/updates/AutoUpdateGame-1.1.0-setup.exe";

// Where the fixture installed it.
std::string Folder() {
    std::string folder = "C:/" E2E_FOLDER;
    std::replace(folder.begin(), folder.end(), '/', '\\');
    return folder;
}

std::string Exe() {
    return Folder() + "\\" + kId + ".exe";
}

// A file the fixture made, by its path under its folder.
std::string Made(const std::string& relative) {
    std::ifstream file(WinePath(E2E_DIR "/" + relative), std::ios::binary);
    EXPECT_TRUE(file) << relative;
    return {std::istreambuf_iterator<char>(file), {}};
}

std::string InstalledVersion() {
    char value[64] = {};
    DWORD size = sizeof(value);
    const std::string key =
        std::string("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + kId;
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), "DisplayVersion", RRF_RT_REG_SZ, nullptr,
                       value, &size) != ERROR_SUCCESS)
        return "";
    return value;
}

// What a message box of the client said, once answered.
struct Answered {
    std::string caption;
    std::string text;
};

// Answers the client's next message box with `button`, as a player would;
// nothing when none came within a minute.
std::optional<Answered> Answer(const ChildProcess& client, int button) {
    MessageBoxAnswerer answerer(button, client.Id(), 60000);
    if (!answerer.Wait())
        return std::nullopt;
    return Answered{answerer.Caption(), answerer.Text()};
}

class InstalledUpdateTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(InstalledVersion(), "1.0.0") << "the fixture's installation is not 1.0.0";
        ASSERT_EQ(FixedFileVersion(Exe()), "1.0.0.0");
        // Each case starts without the log and the downloads of the last.
        m_data = ReleaseDataFolder(kId);
        ASSERT_FALSE(m_data.empty());
        ::DeleteFileW((m_data + kUpdateLogFile).c_str());
        RemoveDownloads();
        ASSERT_TRUE(m_server->Listening()) << "port " << Port() << " is taken";
    }

    // No client of a case outlives it, the one the installer started included.
    void TearDown() override {
        while (const DWORD left = ProcessRunningFrom(Exe(), 0))
            EndProcess(left);
        RemoveDownloads();
    }

    static unsigned short Port() {
        return static_cast<unsigned short>(std::stoi(Made("port.txt")));
    }

    // 1.1.0's description and signature, and its installer as `installer` says.
    void ServeUpdate(HttpRoute installer) {
        m_server->Serve(kDescriptionPath, {200, Made("1.1.0/AutoUpdateGame-update.json")});
        m_server->Serve(std::string(kDescriptionPath) + ".sig",
                        {200, Made("1.1.0/AutoUpdateGame-update.json.sig")});
        m_server->Serve(kInstallerPath, std::move(installer));
    }

    std::string Log() const {
        std::ifstream file((m_data + kUpdateLogFile).c_str(), std::ios::binary);
        return {std::istreambuf_iterator<char>(file), {}};
    }

    // The installed 1.0.0, started as its shortcut starts it.
    std::unique_ptr<ChildProcess> StartClient() const {
        return std::make_unique<ChildProcess>(Exe(), "", Folder());
    }

    std::vector<HttpRequestRecord> InstallerRequests() const {
        std::vector<HttpRequestRecord> found;
        for (HttpRequestRecord& request : m_server->Requests())
            if (request.path == kInstallerPath)
                found.push_back(std::move(request));
        return found;
    }

    void RemoveDownloads() const {
        const std::wstring updates = m_data + L"updates";
        WIN32_FIND_DATAW entry;
        HANDLE search = ::FindFirstFileW((updates + L"\\*").c_str(), &entry);
        if (search != INVALID_HANDLE_VALUE) {
            do
                ::DeleteFileW((updates + L"\\" + entry.cFileName).c_str());
            while (::FindNextFileW(search, &entry));
            ::FindClose(search);
        }
        ::RemoveDirectoryW(updates.c_str());
    }

    std::wstring m_data;
    std::unique_ptr<CLocalHttpServer> m_server = std::make_unique<CLocalHttpServer>(Port());
};

// The client's prompt, as the player sees it.
bool IsPrompt(HWND window) {
    char name[16] = {};
    ::GetClassNameA(window, name, sizeof(name));
    return std::string(name) == "#32770" && ::GetDlgItem(window, IDYES);
}

// After a failed download the player is told, and the login window is
// there as it would be without updates: the client runs on as 1.0.0.
TEST_F(InstalledUpdateTest, AFailedDownloadLeavesTheLoginWindowAndTheInstalledRelease) {
    const std::string url = "http://127.0.0.1:" + std::to_string(Port()) + kInstallerPath;
    const struct {
        const char* what;
        HttpRoute installer;
        // The server is gone by the time the player answers.
        bool down;
        const char* logged;
    } cases[] = {
        {"the server gone", {}, true, "no answer"},
        {"404", {404, "gone"}, false, "HTTP 404"},
        {"500", {500, "broken"}, false, "HTTP 500"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ::DeleteFileW((m_data + kUpdateLogFile).c_str());
        m_server.reset();
        m_server = std::make_unique<CLocalHttpServer>(Port());
        ServeUpdate(c.installer);
        std::unique_ptr<ChildProcess> client = StartClient();
        ASSERT_NE(client->WaitForWindow(IsPrompt, 60000), nullptr) << Log();
        if (c.down)
            m_server.reset();
        ASSERT_TRUE(Answer(*client, IDYES));
        const std::optional<Answered> told = Answer(*client, IDOK);
        ASSERT_TRUE(told) << "the player was not told:\n" << Log();
        EXPECT_EQ(told->caption, "游戏更新");
        const LoginWindows login = WaitForLoginWindow(*client);
        EXPECT_TRUE(login.content && ::IsWindowVisible(login.backdrop));
        EXPECT_EQ(client->ExitCode(), STILL_ACTIVE);
        const std::string log = Log();
        EXPECT_NE(log.find("stopped: " + std::string(c.logged), log.find("downloading " + url)),
                  std::string::npos)
            << log;
        EXPECT_EQ(log.find("run: "), std::string::npos) << log;
        EXPECT_EQ(FixedFileVersion(Exe()), "1.0.0.0");
        EXPECT_EQ(InstalledVersion(), "1.0.0");
    }
}

// What came before a cut is kept: the next start asks for the rest only.
TEST_F(InstalledUpdateTest, ADownloadCutShortIsResumedOnTheNextStart) {
    const std::string installer = Made("1.1.0/AutoUpdateGame-1.1.0-setup.exe");
    const std::size_t cut = installer.size() / 3;
    ServeUpdate(HttpRoute::Cut(installer, cut));
    for (int start = 0; start < 2; ++start) {
        std::unique_ptr<ChildProcess> client = StartClient();
        ASSERT_TRUE(Answer(*client, IDYES)) << Log();
        ASSERT_TRUE(Answer(*client, IDOK)) << Log();
        EXPECT_EQ(client->ExitCode(), STILL_ACTIVE);
    }
    const std::vector<HttpRequestRecord> requests = InstallerRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].range, "");
    EXPECT_EQ(requests[1].range, "bytes=" + std::to_string(cut) + "-");
    EXPECT_NE(Log().find("resumed at " + std::to_string(cut) + " bytes"), std::string::npos)
        << Log();
    EXPECT_EQ(FixedFileVersion(Exe()), "1.0.0.0");
    EXPECT_EQ(InstalledVersion(), "1.0.0");
}

TEST_F(InstalledUpdateTest, UpdateNowDownloadsInstallsAndStartsTheNewRelease) {
    const std::string installer = Made("1.1.0/AutoUpdateGame-1.1.0-setup.exe");
    ServeUpdate({200, installer});
    std::unique_ptr<ChildProcess> client = StartClient();
    const std::optional<Answered> prompt = Answer(*client, IDYES);
    ASSERT_TRUE(prompt) << "no update was offered:\n" << Log();
    EXPECT_NE(prompt->text.find("1.1.0"), std::string::npos) << prompt->text;
    ASSERT_TRUE(client->WaitForExit(120000)) << "the client did not end for the installer:\n"
                                             << Log();
    client.reset();

    // The installer waits for the client, upgrades, then starts the new one:
    // a process whose executable is the installation's.
    const DWORD started = ProcessRunningFrom(Exe(), 180000);
    ASSERT_NE(started, 0u) << "no client runs from the installation:\n" << Log();
    EXPECT_EQ(FixedFileVersion(Exe()), "1.1.0.0");
    EXPECT_EQ(VersionString(Exe(), "ProductVersion"), "1.1.0");
    EXPECT_TRUE(PumpUntil([] { return InstalledVersion() == "1.1.0"; }, 60000));
    EXPECT_EQ(InstallerRequests().size(), 1u);
    EXPECT_NE(Log().find("run: AutoUpdateGame-1.1.0-setup.exe /S /UPDATE="), std::string::npos)
        << Log();
}

} // namespace
