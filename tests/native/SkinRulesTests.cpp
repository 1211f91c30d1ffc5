// The skin checker's portable rules: how a written number compares with what
// atoi makes of it, which key a mistyped one was meant to be, and addresses.

#include "SkinRules.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>

namespace {

struct NumberCase {
    const char* written;
    long long readAs; // what atoi gives on the client's runtime
    std::optional<Severity> severity;
};

TEST(SkinRules, NumbersAreJudgedByWhatAtoiMakesOfThem) {
    const NumberCase cases[] = {
        {"12", 12, std::nullopt},
        {"-40", -40, std::nullopt},
        {"+5", 5, std::nullopt},
        {"007", 7, std::nullopt},
        {"2147483647", INT_MAX, std::nullopt},
        {"", 0, Severity::Warning},
        {" 7", 7, Severity::Warning},
        {"12px", 12, Severity::Warning},
        {"12.0", 12, Severity::Warning},
        {"1e3", 1, Severity::Error},
        {"12.5", 12, Severity::Error},
        {"abc", 0, Severity::Error},
        {"-", 0, Severity::Error},
        {"99999999999", INT_MAX, Severity::Error},
        {"2147483648", INT_MIN, Severity::Error},
        {"123456789012345678901234567890", INT_MAX, Severity::Error},
    };
    for (const NumberCase& c : cases) {
        std::optional<Problem> problem = NumberProblem(c.written, c.readAs);
        ASSERT_EQ(problem.has_value(), c.severity.has_value()) << '"' << c.written << '"';
        if (problem) {
            EXPECT_EQ(problem->severity, *c.severity) << c.written;
            EXPECT_NE(problem->message.find("reads it as " + std::to_string(c.readAs)),
                      std::string::npos)
                << problem->message;
        }
    }
}

TEST(SkinRules, ChannelsOutsideAByteAreTakenModulo256) {
    EXPECT_FALSE(ChannelProblem(0));
    EXPECT_FALSE(ChannelProblem(255));
    EXPECT_NE(ChannelProblem(256)->message.find("giving 0"), std::string::npos);
    EXPECT_NE(ChannelProblem(-1)->message.find("giving 255"), std::string::npos);
    EXPECT_NE(ChannelProblem(INT_MIN)->message.find("giving 0"), std::string::npos);
}

TEST(SkinRules, OnlyAbsoluteHttpAddressesPass) {
    for (const char* good :
         {"http://a.example/", "HTTPS://a.example/pay?x=1", "http://127.0.0.1:8080"})
        EXPECT_FALSE(AddressProblem(good)) << good;
    for (const char* bad : {"www.a.example", "pay.html", "ftp://a.example/", "http://", "http:///x",
                            "http://a example", "javascript:alert(1)", ""})
        EXPECT_TRUE(AddressProblem(bad)) << bad;
}

TEST(SkinRules, AMistypedKeyFindsTheKeyItWasMeantToBe) {
    const struct {
        const char* unknown;
        const char* nearest;
    } cases[] = {
        {"game_closebtn_tip", "game_closebtn_tips"},
        {"Login_URL", "login_url"},
        {"game_paybtn_utl", "game_paybtn_url"},
        {"game_titel_r", "game_title_r"},
        {"login_minbtn_normal", "login_minibtn_normal"},
        {"background", ""},
        {"x", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NearestKey(c.unknown, SkinKeys()), c.nearest) << c.unknown;
}

TEST(SkinRules, BoxesOverlapOnlyWhenTheyShareAPixel) {
    const Box a{0, 0, 10, 10};
    EXPECT_TRUE(Overlap(a, Box{9, 9, 10, 10}));
    EXPECT_FALSE(Overlap(a, Box{10, 0, 10, 10}));
    EXPECT_FALSE(Overlap(a, Box{0, 10, 10, 10}));
    EXPECT_TRUE(Inside(a, 10, 10));
    EXPECT_FALSE(Inside(Box{-1, 0, 10, 10}, 100, 100));
    EXPECT_FALSE(Inside(Box{0, 0, INT_MAX, INT_MAX}, INT_MAX, 100));
}

} // namespace
