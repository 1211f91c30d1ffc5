// Which documents reach window.external and the hand-over: the host's
// current top-level document, after its navigation and its completion, with
// the commands called through Wine's JScript engine as a page calls them.

#include "BrowserEvents.h"
#include "BrowserTestParent.h"
#include "DispatchArgs.h"
#include "FakeWebBrowser.h"
#include "ScriptPage.h"
#include "UiPump.h"

#include <gtest/gtest.h>

#include <exdispid.h>

#include <memory>
#include <string>

namespace {

constexpr wchar_t kLogin[] = L"http://login.example.com/login.html";

class DocumentTrust : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(parent.Open());
        browser.m_trust.TrustOriginOf("http://login.example.com/login.html");
        browser.m_trust.TrustListed("https://*.games.example.net");
        ASSERT_TRUE(
            browser.CreateBrowser("about:blank", 0, 0, 200, 150, &parent, IDC_GAME_PLACEHOLDER));
        ASSERT_TRUE(PumpUntil([&] { return !browser.m_navigations.empty(); }));
        PumpFor(100);
        UseFakeBrowser(browser, fake);
        IDispatch* external = nullptr;
        ASSERT_EQ(browser.m_pUIHandler->GetExternal(&external), S_OK);
        page = std::make_unique<CScriptPage>(external);
        ASSERT_TRUE(page->Ready());
    }
    void TearDown() override {
        SimpleBrowser::s_launchArmed = false;
        page.reset();
        if (parent.m_hWnd)
            parent.DestroyWindow();
    }
    void Visit(const wchar_t* url) {
        ASSERT_EQ(FireFrameEvent(browser, DISPID_NAVIGATECOMPLETE2, &fake, url), S_OK);
    }
    // What a page's call of home() gives: "reloaded", or the exception's number.
    std::wstring CallHome() {
        const int before = fake.m_refreshes;
        page->Run(L"var r = 'reloaded'; try { external.home() } catch (e) { r = e.number }");
        std::wstring result = page->Eval(L"r").value_or(L"?");
        if (result == L"reloaded" && fake.m_refreshes != before + 1)
            return L"no reload";
        return result;
    }
    // The hand-over as the host itself takes a navigation (the recording
    // host's override only records): whether it armed.
    bool Arms(const char* url) {
        SimpleBrowser::s_launchArmed = false;
        EXPECT_FALSE(browser.SimpleBrowser::OnBeforeNavigate2(url, "", nullptr, 0, ""));
        return SimpleBrowser::s_launchArmed;
    }

    CFakeWebBrowser fake;
    CBrowserTestParent parent;
    CRecordingBrowser browser;
    std::unique_ptr<CScriptPage> page;
};

TEST_F(DocumentTrust, OnlyATrustedDocumentReachesTheCommands) {
    const std::wstring missing = ScriptNumber(E_FAIL);
    const struct {
        const wchar_t* url;
        bool trusted;
    } documents[] = {
        {kLogin, true},
        {L"http://evil.net/", false},
        {L"http://LOGIN.example.com:80/other.html", true},
        {L"http://login.example.com@evil.net/", false},
        {L"http://login.example.com.evil.net/", false},
        {L"http://login.example.com:8080/", false},
        {L"https://login.example.com/", false},
        {L"https://s3.games.example.net/play.html", true},
        {L"https://evilgames.example.net/", false},
        {L"about:blank", false},
        {L"file:///C:/pages/login.html", false},
    };
    for (const auto& d : documents) {
        Visit(d.url);
        EXPECT_EQ(CallHome(), d.trusted ? L"reloaded" : missing) << Cp936(d.url);
    }
}

TEST_F(DocumentTrust, AnAddressTheClientMarksIsTrustedExactly) {
    browser.TrustAddress("about:blank");
    Visit(L"about:blank");
    EXPECT_EQ(CallHome(), L"reloaded");
    Visit(L"about:blank#elsewhere");
    EXPECT_EQ(CallHome(), ScriptNumber(E_FAIL));
}

TEST_F(DocumentTrust, ARedirectToAnotherOriginLosesTheCommands) {
    Visit(kLogin);
    ASSERT_EQ(CallHome(), L"reloaded");
    // The document completes at its final address.
    ASSERT_EQ(FireFrameEvent(browser, DISPID_DOCUMENTCOMPLETE, &fake, L"http://evil.net/x"), S_OK);
    EXPECT_EQ(CallHome(), ScriptNumber(E_FAIL));
    // And a redirect the other way gains them.
    Visit(L"http://evil.net/go");
    ASSERT_EQ(FireFrameEvent(browser, DISPID_DOCUMENTCOMPLETE, &fake, kLogin), S_OK);
    EXPECT_EQ(CallHome(), L"reloaded");
}

TEST_F(DocumentTrust, AnUntrustedDocumentNeitherArmsNorStartsTheHandOver) {
    // Before any document, the navigation is the client's own first one.
    EXPECT_TRUE(Arms("C:\\game\\web\\main.html"));
    Visit(kLogin);
    EXPECT_TRUE(Arms("C:\\game\\web\\main.html"));
    Visit(L"http://evil.net/");
    EXPECT_FALSE(Arms("C:\\game\\web\\main.html"));
    // Armed before, it still starts nothing from there: the test would end here.
    SimpleBrowser::s_launchArmed = true;
    EXPECT_FALSE(
        browser.SimpleBrowser::OnBeforeNavigate2("http://evil.net/p.html#k=1", "", nullptr, 0, ""));
}

} // namespace
