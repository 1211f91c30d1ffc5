// The update description's reader on the packaging's form and on every way
// a description can be wrong, and what a release makes of one it trusts.

#include "UpdateDescription.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The packaging's form, with every field.
const std::string kDescription = R"({
  "format": 1,
  "id": "UpdateGame",
  "version": "2.1.0",
  "published": "2026-12-09T12:00:00Z",
  "installer": "UpdateGame-2.1.0-setup.exe",
  "installer_size": 1234567,
  "installer_sha256": "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad",
  "notes": "修复\t\"a\" \\ \u00e9\ud83d\ude00\r\n",
  "rollout": 25,
  "minimum_version": "2.0.0"
}
)";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

UpdateDescription Read(const std::string& json) {
    auto read = ReadUpdateDescription(json);
    if (const auto* problem = std::get_if<std::string>(&read))
        ADD_FAILURE() << *problem << " in " << json;
    return std::get_if<UpdateDescription>(&read) ? std::get<UpdateDescription>(read)
                                                 : UpdateDescription{};
}

TEST(UpdateDescription, ThePackagingsFormReadsWithItsEscapesDecoded) {
    const UpdateDescription d = Read(kDescription);
    EXPECT_EQ(d.id, "UpdateGame");
    EXPECT_EQ(d.version, (UpdateVersion{2, 1, 0}));
    EXPECT_EQ(d.published, "2026-12-09T12:00:00Z");
    EXPECT_EQ(d.installer, "UpdateGame-2.1.0-setup.exe");
    EXPECT_EQ(d.installerSize, 1234567u);
    EXPECT_EQ(d.installerSha256.substr(0, 6), "ba7816");
    EXPECT_EQ(d.notes, "修复\t\"a\" \\ \xC3\xA9\xF0\x9F\x98\x80\r\n");
    EXPECT_EQ(d.rollout, 25u);
    ASSERT_TRUE(d.minimumVersion);
    EXPECT_EQ(*d.minimumVersion, (UpdateVersion{2, 0, 0}));
}

TEST(UpdateDescription, OptionalAndUnknownMembersAndAbsoluteInstallers) {
    std::string json = Replaced(kDescription, R"(,
  "minimum_version": "2.0.0")",
                                R"(, "future": {"x": 1}, "flag": true, "none": null, "n": -3)");
    // A nested value is not this flat form.
    EXPECT_TRUE(std::holds_alternative<std::string>(ReadUpdateDescription(json)));
    json = Replaced(json, R"("future": {"x": 1}, )", "");
    EXPECT_FALSE(Read(json).minimumVersion);
    json = Replaced(json, "\"UpdateGame-2.1.0-setup.exe\"",
                    "\"https://cdn.example.com/a/UpdateGame-2.1.0-setup.exe?x=1\"");
    EXPECT_EQ(Read(json).installer, "https://cdn.example.com/a/UpdateGame-2.1.0-setup.exe?x=1");
}

TEST(UpdateDescription, EveryMistakeIsRefused) {
    // Each replacement of `from` in the packaging's form.
    const struct {
        const char* from;
        std::vector<const char*> to;
    } cases[] = {
        {"\"format\": 1", {"\"format\": 2", "\"format\": \"1\""}},
        {"\"format\": 1,", {""}},
        {"\"id\": \"UpdateGame\"", {"\"id\": \"\"", "\"id\": \"a b\""}},
        {"\"version\": \"2.1.0\"",
         {"\"version\": \"2.1\"", "\"version\": \"2.1.65536\"", "\"version\": \"2.1.0 \"",
          "\"version\": 2"}},
        {"12:00:00Z", {"12:00:00"}},
        {"\"UpdateGame-2.1.0-setup.exe\"",
         {"\"..\\\\evil.exe\"", "\"sub/setup.exe\"", "\"\"", "\"file:///c:/setup.exe\"",
          "\"https://\"", "\"https://a b/setup.exe\""}},
        {"1234567", {"0", "-5", "1.5", "4294967296", "1234567890123456789012"}},
        {"\"ba7816", {"\"BA7816"}},
        {"15ad\"", {"15a\""}},
        {"\"rollout\": 25", {"\"rollout\": 101", "\"rollout\": -1", "\"rollout\": 025"}},
        {"\"2.0.0\"", {"\"2.2.0\"", "\"two\""}},
        {"\\r\\n",
         {"\\u0007", "\\u0000", "\\ud83d", "\\ude00\\ud83d", "\\ud83d\\u0041", "\\u12g4", "\\x41",
          "\n", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE4\xBF"}},
        {"\"rollout\": 25,",
         {"\"rollout\": 25,,", "\"rollout\": 25, \"rollout\": 25,", "\"rollout\" 25,",
          "rollout: 25,", "\"rollout\": 25"}},
        {"\"2.0.0\"\n}", {"\"2.0.0\",\n}", "\"2.0.0\"\n", "\"2.0.0\"\n}}"}},
        {"{", {"["}},
    };
    for (const auto& c : cases)
        for (const char* to : c.to)
            EXPECT_TRUE(std::holds_alternative<std::string>(
                ReadUpdateDescription(Replaced(kDescription, c.from, to))))
                << c.from << " -> " << to;
    const std::string tooLarge =
        Replaced(kDescription, "\"notes\": \"", "\"notes\": \"" + std::string(70000, 'a'));
    EXPECT_TRUE(std::holds_alternative<std::string>(ReadUpdateDescription(tooLarge)));
    EXPECT_TRUE(std::holds_alternative<std::string>(ReadUpdateDescription("")));
}

TEST(UpdateVersion, ComparesNumerically) {
    const struct {
        const char* lower;
        const char* higher;
    } cases[] = {{"1.9.0", "1.10.0"},
                 {"1.0.9", "1.0.10"},
                 {"9.99.99", "10.0.0"},
                 {"0.0.0", "0.0.1"},
                 {"2.0.65534", "2.0.65535"}};
    for (const auto& c : cases) {
        const auto lower = ParseUpdateVersion(c.lower);
        const auto higher = ParseUpdateVersion(c.higher);
        ASSERT_TRUE(lower && higher) << c.lower << " " << c.higher;
        EXPECT_LT(*lower, *higher) << c.lower << " < " << c.higher;
        EXPECT_EQ(higher->Text(), c.higher);
    }
}

TEST(UpdateVerdict, OnlyANewerReleaseOfThisIdWithinTheRollOutIsOffered) {
    UpdateDescription d = Read(kDescription); // 2.1.0, roll-out 25, minimum 2.0.0
    const struct {
        const char* ownId;
        UpdateVersion own;
        unsigned place;
        UpdateOffer offer;
    } cases[] = {
        {"UpdateGame", {2, 0, 5}, 0, UpdateOffer::Offered},
        {"UpdateGame", {2, 0, 5}, 24, UpdateOffer::Offered},
        {"UpdateGame", {2, 0, 5}, 25, UpdateOffer::None},
        {"UpdateGame", {1, 9, 9}, 3, UpdateOffer::Mandatory},
        {"UpdateGame", {1, 9, 9}, 99, UpdateOffer::None},
        {"UpdateGame", {2, 1, 0}, 0, UpdateOffer::None},
        {"UpdateGame", {2, 10, 0}, 0, UpdateOffer::None},
        {"updategame", {2, 0, 5}, 0, UpdateOffer::None},
        {"OtherGame", {2, 0, 5}, 0, UpdateOffer::None},
    };
    for (const auto& c : cases) {
        const UpdateVerdict verdict = JudgeUpdate(d, c.ownId, c.own, c.place);
        EXPECT_EQ(verdict.offer, c.offer) << c.ownId << " " << c.own.Text() << " " << c.place;
        EXPECT_FALSE(verdict.reason.empty());
    }
    d.rollout = 0;
    EXPECT_EQ(JudgeUpdate(d, "UpdateGame", {2, 0, 5}, 0).offer, UpdateOffer::None);
    d.rollout = 100;
    EXPECT_EQ(JudgeUpdate(d, "UpdateGame", {2, 0, 5}, 99).offer, UpdateOffer::Offered);
}

} // namespace
