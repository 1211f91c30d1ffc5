// window.external as a page's script sees it: Wine's JScript engine with the
// UI handler's script object as its named item `external`.

#include "DispatchArgs.h"
#include "DocHostUIHandler.h"
#include "ScriptPage.h"
#include "UiPump.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

struct Received {
    std::string command;
    std::vector<std::optional<std::string>> args;
};
std::vector<Received> g_received;
CScriptPage* g_page = nullptr;

template <const char* Name> const char* Record(void*, const char* const* args, int count) {
    Received r{Name, {}};
    for (int i = 0; i < count; ++i)
        r.args.push_back(args[i] ? std::optional<std::string>(args[i]) : std::nullopt);
    g_received.push_back(r);
    return nullptr;
}

const char* Echo(void*, const char* const* args, int) {
    static std::string answer;
    answer = "echo:";
    answer += args[0] ? args[0] : "(null)";
    return answer.c_str();
}

// Runs a nested message loop in which the page makes another call.
const char* Wait(void*, const char* const* args, int) {
    std::string mine = args[0];
    bool done = false;
    UINT_PTR timer = ::SetTimer(nullptr, 0, 10, nullptr);
    PumpUntil([&] {
        if (!done) {
            EXPECT_EQ(g_page->Run(L"external.set_name('inner')"), S_OK);
            done = true;
        }
        return done;
    });
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(mine, args[0]);
    static std::string answer;
    answer = "waited:" + mine;
    return answer.c_str();
}

constexpr char kShowGame[] = "show_game";
constexpr char kHome[] = "home";
constexpr char kSetName[] = "set_name";
constexpr char kTwo[] = "two";

class ScriptPage : public ::testing::Test {
protected:
    void SetUp() override {
        g_received.clear();
        CDispatchImpl_Hooker* external = handler.m_pExternal;
        ASSERT_TRUE(external->AddCommand({kHome, 0, &Record<kHome>}));
        ASSERT_TRUE(external->AddCommand({kSetName, 1, &Record<kSetName>}));
        ASSERT_TRUE(external->AddCommand({kShowGame, 1, &Record<kShowGame>}));
        ASSERT_TRUE(external->AddCommand({kTwo, 2, &Record<kTwo>}));
        ASSERT_TRUE(external->AddCommand({"echo", 1, &Echo}));
        ASSERT_TRUE(external->AddCommand({"wait", 1, &Wait}));
        IDispatch* dispatch = nullptr;
        ASSERT_EQ(handler.GetExternal(&dispatch), S_OK);
        page = std::make_unique<CScriptPage>(dispatch);
        ASSERT_TRUE(page->Ready());
        g_page = page.get();
    }
    void TearDown() override { g_page = nullptr; }

    // What the handler of one call got: its single argument.
    std::optional<std::string> Argument(const std::wstring& call) {
        g_received.clear();
        EXPECT_EQ(page->Run(call), S_OK) << Cp936(call);
        EXPECT_EQ(g_received.size(), 1u) << Cp936(call);
        if (g_received.size() != 1 || g_received[0].args.size() != 1)
            return std::string("(not called)");
        return g_received[0].args[0];
    }
    // The `number` of the exception a statement throws, as text.
    std::optional<std::wstring> Thrown(const std::wstring& statement) {
        g_received.clear();
        page->Run(L"var thrown = 'nothing'; try { " + statement +
                  L" } catch (e) { thrown = e.number }");
        EXPECT_TRUE(g_received.empty()) << Cp936(statement);
        return page->Eval(L"thrown");
    }

    CDocHostUIHandler handler;
    std::unique_ptr<CScriptPage> page;
};

TEST_F(ScriptPage, CallsReachTheirHandlers) {
    EXPECT_EQ(Argument(L"external.show_game(\"http://127.0.0.1/g.html\")"),
              "http://127.0.0.1/g.html");
    EXPECT_EQ(g_received[0].command, "show_game");
    g_received.clear();
    EXPECT_EQ(page->Run(L"external.home()"), S_OK);
    // Read as a property, a command without arguments runs too.
    EXPECT_EQ(page->Run(L"var value = external.home"), S_OK);
    ASSERT_EQ(g_received.size(), 2u);
    EXPECT_EQ(g_received[1].command, "home");
    EXPECT_EQ(page->Eval(L"typeof value"), L"undefined");
    g_received.clear();
    EXPECT_EQ(page->Run(L"external.two('x', 'y')"), S_OK);
    ASSERT_EQ(g_received.size(), 1u);
    EXPECT_EQ(g_received[0].args[0], "x");
    EXPECT_EQ(g_received[0].args[1], "y");
}

TEST_F(ScriptPage, FailuresReachTheScriptAsExceptionsWithTheHResult) {
    const std::wstring failed = ScriptNumber(E_FAIL);
    EXPECT_EQ(Thrown(L"external.Home()"), failed);
    EXPECT_EQ(Thrown(L"external.nothing()"), failed);
    EXPECT_EQ(Thrown(L"external.set_name('a', 'b')"), failed);
    EXPECT_EQ(Thrown(L"external.set_name()"), failed);
    EXPECT_EQ(Thrown(L"external.set_name(null)"), failed);
    EXPECT_EQ(Thrown(L"external.show_game()"), failed);
    // Uncaught, the failure is the page's script error.
    size_t before = page->m_errors.size();
    page->Run(L"external.nothing()");
    ASSERT_EQ(page->m_errors.size(), before + 1);
    EXPECT_EQ(page->m_errors.back(), E_FAIL);
}

TEST_F(ScriptPage, ValuesOfOtherTypesArriveAsText) {
    EXPECT_EQ(Argument(L"external.set_name(5)"), "5");
    EXPECT_EQ(Argument(L"external.set_name(1.5)"), "1.5");
    EXPECT_EQ(Argument(L"external.set_name(true)"), "-1");
    EXPECT_EQ(Argument(L"external.set_name(undefined)"), "");
    EXPECT_EQ(Argument(L"external.set_name({})"), "[object Object]");
    EXPECT_EQ(Argument(L"external.set_name([1, 2, 3])"), "1,2,3");
    EXPECT_EQ(Argument(L"external.set_name(function () { return 1 })"), "function () { return 1 }");
    std::optional<std::string> date = Argument(L"external.set_name(new Date(0))");
    ASSERT_TRUE(date);
    EXPECT_NE(date->find("1970"), std::string::npos) << *date;
}

TEST_F(ScriptPage, AHandlersResultIsTheCallsValue) {
    EXPECT_EQ(page->Run(L"var r = external.echo('x')"), S_OK);
    EXPECT_EQ(page->Eval(L"r"), L"echo:x");
    EXPECT_EQ(page->Run(L"var c = external.echo('\u4E2D')"), S_OK);
    EXPECT_EQ(page->Eval(L"c"), L"echo:\u4E2D");
    EXPECT_EQ(page->Run(L"var n = typeof external.set_name('x')"), S_OK);
    EXPECT_EQ(page->Eval(L"n"), L"undefined");
}

TEST_F(ScriptPage, WhateverAPagePassesIsTextOrAFailure) {
    // 257 arguments: no command takes that many.
    std::wstring many = L"external.set_name(0";
    for (int i = 1; i < 257; ++i)
        many += L"," + std::to_wstring(i);
    EXPECT_EQ(Thrown(many + L")"), ScriptNumber(E_FAIL));
    // A megabyte-long string arrives whole.
    std::optional<std::string> big = Argument(L"external.set_name(new Array(1048577).join('x'))");
    ASSERT_TRUE(big);
    EXPECT_EQ(big->size(), 1048576u);
    // An embedded NUL ends the handler's text.
    EXPECT_EQ(Argument(L"external.set_name('a\\u0000b')"), "a");
    // Characters outside code page 936 become '?'.
    EXPECT_EQ(Argument(L"external.set_name('\\u4F60\\u0E01')"), "\xC4\xE3?");
    std::optional<std::string> cjk =
        Argument(L"external.set_name(new Array(1001).join('\\u4E2D'))");
    ASSERT_TRUE(cjk);
    EXPECT_EQ(cjk->size(), 2000u);
    // Still working afterwards.
    EXPECT_EQ(Argument(L"external.set_name('after')"), "after");
}

TEST_F(ScriptPage, ACallFromInsideAnotherCallsLoopLeavesTheOuterCallIntact) {
    EXPECT_EQ(page->Run(L"var w = external.wait('outer')"), S_OK);
    EXPECT_EQ(page->Eval(L"w"), L"waited:outer");
    ASSERT_EQ(g_received.size(), 1u);
    EXPECT_EQ(g_received[0].args[0], "inner");
}

} // namespace
