// Random arguments of every kind for the two commands that put a page's text
// on the screen, on the real login and game windows: "show_game" opens the
// game window on the address given, and "set_name" shows its text as the
// game window's title. The expectations come from the platform's own
// conversions of the arguments.

#include "ConfigStore.h"
#include "DispatchArgs.h"
#include "DocHostUIHandler.h"
#include "EnterGameDlg.h"
#include "FuzzText.h"
#include "MainDlg.h"
#include "ScriptCommands.h"
#include "TempDir.h"
#include "TimedSteps.h"
#include "TranslucentDialog.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

// Text pieces for titles and addresses: long runs, line breaks, double-byte
// text, and the awkward characters (lone surrogates, unmappable ones).
std::vector<std::wstring> TextPieces() {
    std::vector<std::wstring> pieces = {
        L"a",      L"Title ", L"\r\n",
        L"\n",     L"\t",     L"&",
        L"\u6E38", L"\u620F", L"0123456789abcdefghijklmnopqrstuvwxyz"};
    // NULs come from RandomText, so that most texts run long.
    for (const std::wstring& piece : AwkwardCharacters())
        if (piece[0] != L'\0')
            pieces.push_back(piece);
    return pieces;
}

// Text of `length` pieces at most; at times a NUL and more text after it.
std::wstring RandomText(CFuzzRandom& random, const std::vector<std::wstring>& pieces,
                        size_t length) {
    std::wstring text = random.Text(pieces, length);
    if (random.OneIn(3))
        text += std::wstring(1, L'\0') + random.Text(pieces, 4);
    return text;
}

// One argument, and the narrow text the command must receive for it: none
// when the call must fail.
struct Argument {
    CCallArgs args;
    std::optional<std::string> text;
    std::string description;
};

// Text up to its first NUL, in the code page.
std::string Visible(const std::wstring& text, UINT codePage) {
    return PlatformNarrow(text.substr(0, text.find(L'\0')), codePage);
}

void RandomTitle(CFuzzRandom& random, const std::vector<std::wstring>& pieces, UINT codePage,
                 Argument& argument) {
    VARIANT value;
    ::VariantInit(&value);
    switch (random.Pick(8)) {
    case 0:
        argument.args.NullText();
        argument.text = "";
        argument.description = "null string";
        return;
    case 1:
        value.vt = VT_I4;
        value.lVal = static_cast<LONG>(random.Engine()());
        break;
    case 2:
        value.vt = VT_R8;
        value.dblVal = std::uniform_real_distribution<double>(-1e20, 1e20)(random.Engine());
        break;
    case 3:
        argument.args.Null();
        argument.description = "null";
        return;
    default: {
        std::wstring text = RandomText(random, pieces, random.OneIn(10) ? 400 : 12);
        argument.args.Text(text);
        argument.text = Visible(text, codePage);
        argument.description = "\"" + Escaped(text) + "\"";
        return;
    }
    }
    VARIANT converted;
    ::VariantInit(&converted);
    ASSERT_EQ(::VariantChangeType(&converted, &value, 0, VT_BSTR), S_OK);
    std::wstring text(converted.bstrVal, ::SysStringLen(converted.bstrVal));
    ::VariantClear(&converted);
    argument.args.Variant(value);
    argument.text = Visible(text, codePage);
    argument.description = Escaped(text) + " (vt " + std::to_string(value.vt) + ")";
}

// Addresses stay on this machine: every one is a fragment of the blank page.
void RandomAddress(CFuzzRandom& random, const std::vector<std::wstring>& pieces, UINT codePage,
                   Argument& argument) {
    std::wstring text = L"about:blank#" + RandomText(random, pieces, random.OneIn(3) ? 300 : 10);
    argument.args.Text(text);
    argument.text = Visible(text, codePage);
    argument.description = "\"" + Escaped(text) + "\"";
}

BOOL CALLBACK FindShownGame(HWND window, LPARAM result) {
    auto* game = dynamic_cast<CEnterGameDlg*>(CWnd::FromHandlePermanent(window));
    if (!game || !::IsWindowVisible(window))
        return TRUE;
    *reinterpret_cast<CEnterGameDlg**>(result) = game;
    return FALSE;
}

// The game window of this thread once it shows, or null.
CEnterGameDlg* ShownGameWindow() {
    CEnterGameDlg* found = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindShownGame, reinterpret_cast<LPARAM>(&found));
    return found;
}

CDispatchImpl_Hooker* ExternalOf(SimpleBrowser& host) {
    RegisterScriptCommands(&host);
    return host.m_pUIHandler ? host.m_pUIHandler->m_pExternal : nullptr;
}

TEST(ScriptCommandsFuzz, RandomTitlesAndAddressesReachTheWindowsAsTheirText) {
    const UINT codePage = ::GetACP();
    ASSERT_EQ(codePage, 936u);
    const unsigned seed = FuzzSeed(20261209);
    const int games = FuzzIterations(6);
    const int titlesPerGame = 40;
    CFuzzRandom random(seed);
    const std::vector<std::wstring> pieces = TextPieces();

    TempDir dir;
    dir.Write("config.xml", "<c><login_url>about:blank</login_url><game_title>T</game_title></c>");
    ScopedCurrentDirectory cwd(dir.Path());
    CConfigStore::Instance().Load();
    CMainDlg login;
    int opened = 0, titled = 0;

    auto playOneGame = [&](int round) {
        Argument address;
        RandomAddress(random, pieces, codePage, address);
        const std::string context = "seed " + std::to_string(seed) + ", game " +
                                    std::to_string(round) + ", address " + address.description;
        CEnterGameDlg* game = nullptr;
        CTimedSteps inGame({
            [&] { return (game = ShownGameWindow()) != nullptr; },
            Do([&] {
                ASSERT_TRUE(game) << context;
                // However the checks end, the game window closes and show_game returns.
                struct Closer {
                    CEnterGameDlg* game;
                    ~Closer() { game->EndDialog(IDCANCEL); }
                } closer{game};
                ++opened;
                EXPECT_EQ(Escaped(game->m_gameUrl), Escaped(*address.text)) << context;
                // The address its browser is sent to, compared in wide text.
                EXPECT_EQ(Escaped(PlatformWide(game->m_browser.m_url, codePage)),
                          Escaped(PlatformWide(*address.text, codePage)))
                    << context;

                // The game page as its navigation completes, the operator's.
                game->m_browser.TrustAddress(game->m_browser.m_url.c_str());
                game->m_browser.m_hasDocument = true;
                game->m_browser.m_documentUrl = game->m_browser.m_url;
                CDispatchImpl_Hooker* external = ExternalOf(game->m_browser);
                ASSERT_TRUE(external) << context;
                std::string title = game->m_title.GetText();
                for (int i = 0; i < titlesPerGame; ++i) {
                    Argument argument;
                    RandomTitle(random, pieces, codePage, argument);
                    HRESULT hr = CallByName(external, L"set_name", argument.args);
                    ASSERT_EQ(hr, argument.text ? S_OK : E_FAIL)
                        << context << ", title " << i << " " << argument.description;
                    if (argument.text)
                        title = *argument.text;
                    ASSERT_EQ(Escaped(game->m_title.GetText()), Escaped(title))
                        << context << ", title " << i << " " << argument.description;
                    // Split into lines and painted now, as the user sees it.
                    ::RedrawWindow(game->m_title.m_hWnd, nullptr, nullptr,
                                   RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
                    titled += argument.text.has_value();
                }
            }),
        });
        // The login page (login_url) as its navigation completes.
        login.Browser().m_hasDocument = true;
        login.Browser().m_documentUrl = "about:blank";
        CDispatchImpl_Hooker* external = ExternalOf(login.Browser());
        ASSERT_TRUE(external);
        EXPECT_EQ(CallByName(external, L"show_game", address.args), S_OK) << context;
        EXPECT_TRUE(inGame.Finished()) << context;
    };

    CTimedSteps steps({
        [&] { return login.Browser().m_hWnd && login.Backdrop()->IsWindowVisible(); },
        Do([&] {
            for (int round = 0; round < games && !::testing::Test::HasFatalFailure(); ++round)
                playOneGame(round);
            // The login window ends as a user closes it: through its backdrop.
            login.Backdrop()->SendMessage(WM_CLOSE);
        }),
    });
    login.DoModal();
    EXPECT_TRUE(steps.Finished());
    EXPECT_EQ(opened, games);
    EXPECT_GT(titled, games * titlesPerGame / 2);
}

} // namespace
