// The client's update check against a local server, with the descriptions
// the packaging signed (the update_release test): only a newer release of
// this id, signed by the built-in key and rolled out to this installation,
// is offered; everything else, a server that fails or stalls included,
// offers nothing and says why in the update log.

#include "UpdateServerTest.h"
#include "UpdateStore.h"

#include <windows.h>

namespace {

using UpdateCheckTest = UpdateServerTest;

TEST_F(UpdateCheckTest, OnlyANewerSignedDescriptionOfThisReleaseIsOffered) {
    ASSERT_TRUE(m_server.Listening());
    std::string changed = m_description;
    changed[changed.find("\"rollout\": 25") + 11] = '9';
    const std::string otherKey = ReadAll(InUpdateDir(L"other\\UpdateGame-update.json.sig"));
    const std::string tooLarge = m_description + std::string(kUpdateDescriptionCap, ' ');
    const HttpRoute json{200, m_description}, sig{200, m_signature};
    using enum UpdateOffer;
    // The description is 2.1.0 of UpdateGame, rolled out to 25 %, required below 2.0.0.
    const struct {
        const char* what;
        HttpRoute description;
        HttpRoute signature;
        UpdateOffer offer;
        const char* logged;
        UpdateVersion running{2, 0, 5};
        const char* id = "UpdateGame";
    } cases[] = {
        {"newer", json, sig, Offered, "update found: version 2.1.0 is offered"},
        {"required", json, sig, Mandatory, "update found: version 2.1.0 is required", {1, 9, 0}},
        {"signed with another key", json, {200, otherKey}, None, "does not verify"},
        {"a byte changed after signing", {200, changed}, sig, None, "does not verify"},
        {"equal", json, sig, None, "not newer", {2, 1, 0}},
        {"older", json, sig, None, "not newer", {2, 10, 0}},
        {"another product's", json, sig, None, "is for \"UpdateGame\"", {2, 0, 5}, "OtherGame"},
        {"larger than the cap", {200, tooLarge}, sig, None, "json: larger than"},
        {"description 404", {404, "gone"}, sig, None, "json: HTTP 404"},
        {"description 500", {500, "broken"}, sig, None, "json: HTTP 500"},
        {"signature 404", json, {404, "gone"}, None, ".sig: HTTP 404"},
        {"cut short", HttpRoute::Cut(m_description, 100), sig, None, "stopped:"},
    };
    KeepPlace(10);
    int served = 0;
    for (const auto& c : cases) {
        const std::string path = "/" + std::to_string(++served) + "/UpdateGame-update.json";
        Serve(c.description, c.signature, path);
        const UpdateCheckResult result = Run(Setup(c.running, c.id, path));
        EXPECT_EQ(result.offer, c.offer) << c.what;
        const std::string log = Kept("update.log");
        const std::size_t lastCheck = log.rfind("checking " + m_server.Url(path));
        ASSERT_NE(lastCheck, std::string::npos) << c.what << ":\n" << log;
        EXPECT_NE(log.find(c.logged, lastCheck), std::string::npos) << c.what << ":\n" << log;
        if (c.offer != UpdateOffer::None) {
            EXPECT_EQ(result.description.version.Text(), "2.1.0");
        }
    }
}

TEST_F(UpdateCheckTest, TheRollOutReachesTheSamePlacesOnEveryCheck) {
    const struct {
        const wchar_t* folder;
        unsigned place;
        UpdateOffer offer;
    } cases[] = {{L"rollout0", 0, UpdateOffer::None},
                 {L"rollout100", 99, UpdateOffer::Offered},
                 {L"releases", 24, UpdateOffer::Offered},
                 {L"releases", 25, UpdateOffer::None}};
    int served = 0;
    for (const auto& c : cases) {
        const std::wstring description = std::wstring(c.folder) + L"\\UpdateGame-update.json";
        const std::string path = "/" + std::to_string(++served) + "/UpdateGame-update.json";
        Serve({200, ReadAll(InUpdateDir(description))},
              {200, ReadAll(InUpdateDir(description + L".sig"))}, path);
        KeepPlace(c.place);
        EXPECT_EQ(Run(Setup({2, 0, 5}, "UpdateGame", path)).offer, c.offer)
            << ToNarrow(c.folder) << " at place " << c.place;
    }

    // A place drawn once is kept, and decides every check alike.
    ::DeleteFileA(m_folder.PathOf("update-place.txt").c_str());
    Serve({200, m_description}, {200, m_signature});
    const UpdateOffer first = Run(Setup()).offer;
    const std::string drawn = Kept("update-place.txt");
    ASSERT_FALSE(drawn.empty());
    const int place = std::stoi(drawn);
    EXPECT_TRUE(place >= 0 && place <= 99) << drawn;
    EXPECT_EQ(first, place < 25 ? UpdateOffer::Offered : UpdateOffer::None);
    for (int again = 0; again < 2; ++again) {
        EXPECT_EQ(Run(Setup()).offer, first);
        EXPECT_EQ(Kept("update-place.txt"), drawn);
    }
}

TEST_F(UpdateCheckTest, AServerThatIsDownOrStallsGivesNothingWithinTheTimeouts) {
    unsigned short downPort = 0;
    {
        CLocalHttpServer gone;
        downPort = gone.Port();
    }
    UpdateCheckSetup down = Setup();
    down.url = "http://127.0.0.1:" + std::to_string(downPort) + kDescriptionPath;
    EXPECT_EQ(Run(down).offer, UpdateOffer::None);
    EXPECT_NE(Kept("update.log").find("stopped: " + down.url + ": "), std::string::npos)
        << Kept("update.log");

    // Stalled before the first byte, and after a part of the body.
    Serve(HttpRoute::Stalled(), {200, m_signature}, "/stalled");
    Serve(HttpRoute::Cut(m_description, 10), {200, m_signature}, "/partly");
    for (const char* path : {"/stalled", "/partly"}) {
        EXPECT_EQ(Run(Setup({2, 0, 5}, "UpdateGame", path)).offer, UpdateOffer::None) << path;
        const std::string log = Kept("update.log");
        EXPECT_NE(log.find("stopped: " + m_server.Url(path) + ": ", log.rfind("checking")),
                  std::string::npos)
            << log;
    }
}

TEST_F(UpdateCheckTest, OnlyAReleaseAtTheDescribedVersionRemovesTheDownloads) {
    Serve({200, m_description}, {200, m_signature});
    KeepPlace(10);
    for (const UpdateVersion running : {UpdateVersion{2, 0, 5}, UpdateVersion{2, 1, 0}}) {
        m_folder.Write("updates\\UpdateGame-2.1.0-setup.exe", "installer");
        m_folder.Write("updates\\UpdateGame-2.0.0-setup.exe.part", "part");
        Run(Setup(running));
        const bool kept =
            GetFileAttributesA(m_folder.PathOf("updates").c_str()) != INVALID_FILE_ATTRIBUTES;
        EXPECT_EQ(kept, (running < UpdateVersion{2, 1, 0})) << running.Text();
    }
    EXPECT_NE(Kept("update.log").find("removed 2 earlier download(s)"), std::string::npos);
}

TEST_F(UpdateCheckTest, TheLogKeepsItsNewestLinesWithinItsCap) {
    std::string old;
    for (int line = 0; old.size() < CUpdateLog::kCap; ++line)
        old += "2026-01-01 00:00:00 UTC old line " + std::to_string(line) + "\r\n";
    m_folder.Write("update.log", old);
    Serve({404, ""}, {404, ""});
    Run(Setup());
    const std::string log = Kept("update.log");
    EXPECT_LE(log.size(), CUpdateLog::kCap);
    EXPECT_EQ(log.rfind("2026-01-01", 0), 0u) << "a line was cut in half";
    EXPECT_EQ(log.find("old line 0\r\n"), std::string::npos);
    EXPECT_NE(log.find(": HTTP 404\r\n"), std::string::npos);
}

} // namespace
