// The update as a player meets it: the installed 1.0.0 (update_e2e_install
// fixture) started against a server on its update address's port serving
// 1.1.0 (make-e2e-releases.cmake). The last test upgrades the installation,
// so it runs last.

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
#include <filesystem>
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

// Answers the client's next message box with `button` as a player would;
// its caption, or nothing when none came within a minute.
std::optional<std::string> Answer(const ChildProcess& client, int button) {
    MessageBoxAnswerer answerer(button, client.Id(), 60000);
    if (!answerer.Wait())
        return std::nullopt;
    return answerer.Caption();
}

class InstalledUpdateTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(InstalledVersion(), "1.0.0") << "the fixture's installation is not 1.0.0";
        ASSERT_EQ(FixedFileVersion(Exe()), "1.0.0.0");
        // Each case starts without the log and the downloads of the last.
        m_data = ReleaseDataFolder(kId);
        ASSERT_FALSE(m_data.empty());
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

    // The log and the downloads of the last case.
    void RemoveDownloads() const {
        ::DeleteFileW((m_data + kUpdateLogFile).c_str());
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(m_data + L"updates"), ignored);
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

// After a failed download the player is told, and the client runs on as
// 1.0.0 with its login window.
TEST_F(InstalledUpdateTest, AFailedDownloadLeavesTheLoginWindowAndTheInstalledRelease) {
    const std::string url = "http://127.0.0.1:" + std::to_string(Port()) + kInstallerPath;
    const struct {
        HttpRoute installer;
        // The server is gone by the time the player answers; the last case.
        bool down;
        const char* logged;
    } cases[] = {
        {{404, "gone"}, false, "HTTP 404"},
        {{500, "broken"}, false, "HTTP 500"},
        {{}, true, "no answer"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.logged);
        RemoveDownloads();
        ServeUpdate(c.installer);
        std::unique_ptr<ChildProcess> client = StartClient();
        ASSERT_NE(client->WaitForWindow(IsPrompt, 60000), nullptr) << Log();
        if (c.down)
            m_server.reset();
        ASSERT_TRUE(Answer(*client, IDYES));
        EXPECT_EQ(Answer(*client, IDOK), "游戏更新") << "the player was not told:\n" << Log();
        const LoginWindows login = WaitForLoginWindow(*client);
        EXPECT_TRUE(login.content && ::IsWindowVisible(login.backdrop));
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
    }
    const std::vector<HttpRequestRecord> requests = InstallerRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].range, "");
    EXPECT_EQ(requests[1].range, "bytes=" + std::to_string(cut) + "-");
}

TEST_F(InstalledUpdateTest, UpdateNowDownloadsInstallsAndStartsTheNewRelease) {
    ServeUpdate({200, Made("1.1.0/AutoUpdateGame-1.1.0-setup.exe")});
    std::unique_ptr<ChildProcess> client = StartClient();
    ASSERT_TRUE(Answer(*client, IDYES)) << "no update was offered:\n" << Log();
    ASSERT_TRUE(client->WaitForExit(120000)) << "the client did not end for the installer:\n"
                                             << Log();
    client.reset();

    // The installer waits for the client, upgrades, then starts the new one.
    const DWORD started = ProcessRunningFrom(Exe(), 180000);
    ASSERT_NE(started, 0u) << "no client runs from the installation:\n" << Log();
    EXPECT_EQ(FixedFileVersion(Exe()), "1.1.0.0");
    EXPECT_EQ(VersionString(Exe(), "ProductVersion"), "1.1.0");
    EXPECT_TRUE(PumpUntil([] { return InstalledVersion() == "1.1.0"; }, 60000));
}

} // namespace
