// The download of an update's installer against a local server.

#include "UpdateDownload.h"
#include "UpdateServerTest.h"
#include "UpdateSignature.h"

namespace {

constexpr char kInstallerPath[] = "/updates/Game-2.1.0-setup.exe";

class UpdateDownloadTest : public UpdateServerTest {
protected:
    static UpdateDescription Described(const std::string& bytes) {
        UpdateDescription update;
        update.installer = "Game-2.1.0-setup.exe";
        update.installerSize = bytes.size();
        update.installerSha256 = Sha256Hex(Sha256(bytes).value());
        return update;
    }

    UpdateDownloadResult Download(const UpdateDescription& update) const {
        CUpdateDownload download(Setup(), update, nullptr, 0, 0);
        EXPECT_TRUE(download.Wait(60000)) << "the download did not end";
        return download.Result().value_or(UpdateDownloadResult{});
    }

    static std::string Name(const char* suffix) {
        return std::string("updates\\Game-2.1.0-setup.exe") + suffix;
    }
    std::string KeptInstaller(const char* suffix = "") const { return Kept(Name(suffix).c_str()); }
    bool Exists(const char* suffix) const {
        return ::GetFileAttributesA(m_folder.PathOf(Name(suffix)).c_str()) !=
               INVALID_FILE_ATTRIBUTES;
    }

    // Larger than one read, different in every chunk.
    const std::string m_installer = [] {
        std::string bytes;
        for (unsigned i = 0; bytes.size() < 300000; ++i)
            bytes += std::to_string(i * 2654435761u);
        return bytes;
    }();
};

TEST(UpdateInstallerAddress, IsBesideTheDescriptionUnlessAbsoluteAndKeptUnderAPlainName) {
    const struct {
        const char* installer;
        const char* url;
        const wchar_t* name;
    } cases[] = {
        {"Game-setup.exe", "http://h:8/u/Game-setup.exe", L"Game-setup.exe"},
        {"https://cdn.example/a/Game.exe?sig=1", "https://cdn.example/a/Game.exe?sig=1",
         L"Game.exe"},
        {"http://cdn.example/a/..%2Fx y", "http://cdn.example/a/..%2Fx y", L"2Fxy"},
        {"http://cdn.example/", "http://cdn.example/", L"setup.exe"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(InstallerUrl("http://h:8/u/Game-update.json?v=2#top", c.installer), c.url);
        EXPECT_EQ(InstallerFileName(c.installer), c.name) << c.installer;
    }
}

TEST_F(UpdateDownloadTest, AWholeDownloadIsVerifiedAndKeptInTheReleasesFolder) {
    m_server.Serve(kInstallerPath, {200, m_installer});
    const UpdateDownloadResult result = Download(Described(m_installer));
    EXPECT_EQ(result.end, UpdateDownloadEnd::Verified) << result.problem;
    EXPECT_EQ(result.installer, ToWide(m_folder.PathOf(Name("")), CP_ACP));
    EXPECT_TRUE(KeptInstaller() == m_installer);
    EXPECT_FALSE(Exists(".part"));

    // Verified before and not run: taken as it is.
    EXPECT_EQ(Download(Described(m_installer)).end, UpdateDownloadEnd::Verified);
    EXPECT_EQ(m_server.Requests().size(), 1u);
}

TEST_F(UpdateDownloadTest, APartLargerThanDescribedIsDownloadedAgainWhole) {
    m_folder.Write(Name(".part"), m_installer + "more");
    m_server.Serve(kInstallerPath, {200, m_installer});
    EXPECT_EQ(Download(Described(m_installer)).end, UpdateDownloadEnd::Verified);
    EXPECT_TRUE(KeptInstaller() == m_installer);
    ASSERT_EQ(m_server.Requests().size(), 1u);
    EXPECT_EQ(m_server.Requests()[0].range, "");
}

TEST_F(UpdateDownloadTest, ACutOrCancelledDownloadResumesWhereItStopped) {
    m_server.Serve(kInstallerPath, HttpRoute::Cut(m_installer, 100000));
    EXPECT_EQ(Download(Described(m_installer)).end, UpdateDownloadEnd::Failed);
    EXPECT_EQ(KeptInstaller(".part").size(), 100000u);

    // Cancelled while the server holds its answer: the part stays.
    HttpRoute held(200, m_installer);
    held.held = true;
    m_server.Serve(kInstallerPath, held);
    {
        CUpdateDownload download(Setup(), Described(m_installer), nullptr, 0, 0);
        for (int tries = 0; tries < 200 && m_server.Requests().size() < 2; ++tries)
            ::Sleep(50);
        download.Cancel();
        ASSERT_TRUE(download.Wait(10000));
        EXPECT_EQ(download.Result()->end, UpdateDownloadEnd::Cancelled);
    }
    EXPECT_EQ(KeptInstaller(".part").size(), 100000u);

    m_server.Serve(kInstallerPath, {200, m_installer});
    const UpdateDownloadResult result = Download(Described(m_installer));
    EXPECT_EQ(result.end, UpdateDownloadEnd::Verified) << result.problem;
    EXPECT_TRUE(KeptInstaller() == m_installer);
    const std::vector<HttpRequestRecord> requests = m_server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].range, "");
    EXPECT_EQ(requests[1].range, "bytes=100000-");
    EXPECT_EQ(requests[2].range, "bytes=100000-");
}

TEST_F(UpdateDownloadTest, AServerWithoutRangesGetsTheWholeFileAskedForAgain) {
    using enum HttpRoute::Ranges;
    const struct {
        HttpRoute::Ranges ranges;
        std::vector<std::string> asked;
    } cases[] = {{Ignored, {"bytes=100000-"}}, {Refused, {"bytes=100000-", ""}}};
    for (const auto& c : cases) {
        m_folder.Write(Name(".part"), m_installer.substr(0, 100000));
        HttpRoute route(200, m_installer);
        route.ranges = c.ranges;
        m_server.Serve(kInstallerPath, route);
        const std::size_t before = m_server.Requests().size();
        const UpdateDownloadResult result = Download(Described(m_installer));
        EXPECT_EQ(result.end, UpdateDownloadEnd::Verified) << result.problem;
        EXPECT_TRUE(KeptInstaller() == m_installer);
        std::vector<std::string> asked;
        for (const HttpRequestRecord& request : m_server.Requests())
            asked.push_back(request.range);
        EXPECT_EQ(std::vector<std::string>(asked.begin() + before, asked.end()), c.asked);
        ::DeleteFileA(m_folder.PathOf(Name("")).c_str());
    }
}

TEST_F(UpdateDownloadTest, WhatIsNotTheDescribedInstallerIsNeverKept) {
    std::string altered = m_installer;
    altered[150000] ^= 1;
    const struct {
        HttpRoute route;
        const char* logged;
        bool partKept;
    } cases[] = {
        {{200, altered}, "the SHA-256 of the file differs from the description's; deleted", false},
        {{200, m_installer + "more"}, "more than the described 300", false},
        {{404, "gone"}, "HTTP 404", false},
        {{500, "down"}, "HTTP 500", false},
        {HttpRoute::Stalled(), "no answer", false},
        {HttpRoute::StalledAfter(m_installer, 1000), "the connection ended at 1000 bytes", true},
        {HttpRoute::Cut(m_installer, 1000), "the connection ended at 1000 bytes", true},
    };
    for (const auto& c : cases) {
        ::DeleteFileA(m_folder.PathOf(Name(".part")).c_str());
        m_server.Serve(kInstallerPath, c.route);
        const UpdateDownloadResult result = Download(Described(m_installer));
        EXPECT_EQ(result.end, UpdateDownloadEnd::Failed) << c.logged;
        EXPECT_NE(result.problem.find(c.logged), std::string::npos) << result.problem;
        EXPECT_FALSE(Exists("")) << c.logged;
        EXPECT_EQ(Exists(".part"), c.partKept) << c.logged;
    }
}

} // namespace
