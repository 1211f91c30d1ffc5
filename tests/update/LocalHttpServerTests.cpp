// The test server's byte ranges, which the download will ask for, its
// record of what it was asked, and the port it is given.

#include "LocalHttpServer.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <wininet.h>

namespace {

struct Answer {
    DWORD status = 0;
    std::string body;
};

Answer Get(const std::string& url, const std::string& range) {
    Answer answer;
    HINTERNET session = ::InternetOpenA("test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    const std::string headers = range.empty() ? "" : "Range: " + range + "\r\n";
    HINTERNET request = ::InternetOpenUrlA(session, url.c_str(), headers.c_str(),
                                           static_cast<DWORD>(headers.size()),
                                           INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    if (request) {
        DWORD size = sizeof(answer.status);
        ::HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &answer.status,
                         &size, nullptr);
        char buffer[256];
        DWORD got = 0;
        while (::InternetReadFile(request, buffer, sizeof(buffer), &got) && got)
            answer.body.append(buffer, got);
        ::InternetCloseHandle(request);
    }
    ::InternetCloseHandle(session);
    return answer;
}

TEST(LocalHttpServer, ServesSingleByteRangesAndRecordsThem) {
    CLocalHttpServer server;
    ASSERT_TRUE(server.Listening());
    server.Serve("/file", {200, "0123456789"});
    const struct {
        const char* range;
        DWORD status;
        const char* body;
    } cases[] = {
        {"", 200, "0123456789"},   {"bytes=3-", 206, "3456789"}, {"bytes=3-5", 206, "345"},
        {"bytes=8-20", 206, "89"}, {"bytes=10-", 416, ""},
    };
    for (const auto& c : cases) {
        const Answer answer = Get(server.Url("/file"), c.range);
        EXPECT_EQ(answer.status, c.status) << c.range;
        EXPECT_EQ(answer.body, c.body) << c.range;
    }
    EXPECT_EQ(Get(server.Url("/none"), "").status, 404u);
    const std::vector<HttpRequestRecord> requests = server.Requests();
    ASSERT_EQ(requests.size(), std::size(cases) + 1);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(requests[i].path, "/file");
        EXPECT_EQ(requests[i].range, cases[i].range);
    }
    EXPECT_EQ(requests.back().path, "/none");
}

// A release reaches the server at the port it was made with: each test's
// server takes it again, as long as no other server listens there.
TEST(LocalHttpServer, TakesAGivenPortAgainOnceItsLastServerStopped) {
    unsigned short port = 0;
    {
        CLocalHttpServer first;
        first.Serve("/file", {200, "first"});
        EXPECT_EQ(Get(first.Url("/file"), "").body, "first");
        port = first.Port();
    }
    CLocalHttpServer again(port);
    ASSERT_TRUE(again.Listening());
    EXPECT_EQ(again.Port(), port);
    again.Serve("/file", {200, "again"});
    EXPECT_EQ(Get(again.Url("/file"), "").body, "again");
    EXPECT_FALSE(CLocalHttpServer(port).Listening()) << "two servers listen on one port";
}

} // namespace
