// The crash reports a release kept, sent to a local server: each arrives as
// one form (the release, the text, the dump's bytes) and goes once the
// server takes it; a failure keeps it and ends the sending; a release
// without an address sends nothing.

#include "CrashReportSender.h"
#include "LocalHttpServer.h"
#include "TempDir.h"
#include "TextConversion.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

constexpr char kOld[] = "crash-20260101-120000-11";
constexpr char kNew[] = "crash-20260102-120000-22";

class CrashReportSenderTest : public ::testing::Test {
protected:
    // The report `stem` in release folder `release`, with a dump of every byte value.
    void Plant(const std::string& release, const std::string& stem, bool dump) const {
        m_folder.Write(release + "\\crashes\\" + stem + ".txt", "report " + stem + "\r\n");
        if (dump)
            m_folder.Write(release + "\\crashes\\" + stem + ".dmp", Dump(stem));
    }

    static std::string Dump(const std::string& stem) {
        std::string bytes = "MDMP" + stem;
        for (int value = 0; value < 256; ++value)
            bytes += static_cast<char>(value);
        return bytes;
    }

    bool Kept(const std::string& release, const std::string& name) const {
        return ::GetFileAttributesA(m_folder.PathOf(release + "\\crashes\\" + name).c_str()) !=
               INVALID_FILE_ATTRIBUTES;
    }

    void Send(const std::string& release, std::string url, std::uintmax_t cap = 32u << 20) const {
        CrashReportSendSetup setup{std::move(url), "UpdateGame", "2.0.5",
                                   ToWide(m_folder.PathOf(release) + "\\", CP_ACP)};
        setup.connectTimeoutMs = 2000;
        setup.receiveTimeoutMs = 2000;
        setup.sizeCap = cap;
        CCrashReportSender sender(setup);
        EXPECT_TRUE(sender.Wait(60000)) << "the sending did not end";
    }

    static std::string Field(const std::string& name, const std::string& value) {
        return "Content-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value + "\r\n";
    }

    TempDir m_folder;
    CLocalHttpServer m_server;
};

TEST_F(CrashReportSenderTest, ReportsArriveAsFormsAndGoOnceTaken) {
    ASSERT_TRUE(m_server.Listening());
    Plant("sent", kOld, true);
    Plant("sent", kNew, false);
    m_server.Serve("/crash", {200, "ok"});
    Send("sent", m_server.Url("/crash"));
    const std::vector<HttpRequestRecord> requests = m_server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    const char* stems[] = {kOld, kNew};
    for (std::size_t i = 0; i < 2; ++i) {
        const std::string& body = requests[i].body;
        EXPECT_EQ(requests[i].path, "/crash");
        EXPECT_NE(body.find(Field("prod", "UpdateGame")), std::string::npos) << body;
        EXPECT_NE(body.find(Field("ver", "2.0.5")), std::string::npos) << body;
        EXPECT_NE(body.find(Field("report", "report " + std::string(stems[i]) + "\r\n")),
                  std::string::npos)
            << body;
        EXPECT_FALSE(Kept("sent", stems[i] + std::string(".txt")));
    }
    EXPECT_NE(requests[0].body.find("name=\"upload_file_minidump\"; filename=\"" +
                                    std::string(kOld) + ".dmp\""),
              std::string::npos);
    EXPECT_NE(requests[0].body.find("\r\n\r\n" + Dump(kOld) + "\r\n--"), std::string::npos);
    EXPECT_EQ(requests[1].body.find("upload_file_minidump"), std::string::npos);
    EXPECT_FALSE(Kept("sent", kOld + std::string(".dmp")));
}

TEST_F(CrashReportSenderTest, ReportsStayUnlessTheServerTakesThem) {
    ASSERT_TRUE(m_server.Listening());
    m_server.Serve("/broken", {500, "broken"});
    m_server.Serve("/crash", {200, "ok"});
    const struct {
        const char* what;
        std::string url;
        std::uintmax_t cap;
        std::size_t requests;
        bool oldKept;
        bool newKept;
    } cases[] = {
        {"server error", m_server.Url("/broken"), 32u << 20, 1, true, true},
        {"server down", "http://127.0.0.1:1/crash", 32u << 20, 0, true, true},
        {"no address", "", 32u << 20, 0, true, true},
        {"dump over the cap", m_server.Url("/crash"), 200, 1, true, false},
    };
    std::size_t before = 0;
    for (const auto& c : cases) {
        Plant(c.what, kOld, true);
        Plant(c.what, kNew, false);
        Send(c.what, c.url, c.cap);
        const std::size_t requests = m_server.Requests().size();
        EXPECT_EQ(requests - before, c.requests) << c.what;
        before = requests;
        EXPECT_EQ(Kept(c.what, kOld + std::string(".txt")), c.oldKept) << c.what;
        EXPECT_EQ(Kept(c.what, kOld + std::string(".dmp")), c.oldKept) << c.what;
        EXPECT_EQ(Kept(c.what, kNew + std::string(".txt")), c.newKept) << c.what;
    }
}

} // namespace
