// The skin preview started as a skin author starts it, on the demo skin: both
// windows come up where and as large as the skin says.

#include "ChildProcess.h"
#include "GameLayout.h"
#include "TempDir.h"
#include "UiPump.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

std::string DemoSkin() {
    return WinePath(CLIENT_SOURCE_DIR "/demo");
}

// A visible top-level window of the process with the given control.
HWND WaitForWindowWith(const ChildProcess& preview, int controlId) {
    HWND found =
        preview.WaitForWindow([&](HWND window) { return ::GetDlgItem(window, controlId); });
    PumpFor(500);
    return found;
}

RECT ChildRect(HWND window, int id) {
    RECT rect{};
    ::GetWindowRect(::GetDlgItem(window, id), &rect);
    ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

} // namespace

TEST(Preview, ShowsTheDemoGameWindowAtItsPlaceWithItsButtons) {
    ChildProcess preview(ProgramDirectory() + "\\preview.exe", "game " + DemoSkin(),
                         ProgramDirectory());
    HWND game = WaitForWindowWith(preview, 1022);
    ASSERT_NE(game, nullptr);
    RECT desktop, window, client;
    ::GetWindowRect(::GetDesktopWindow(), &desktop);
    ::GetWindowRect(game, &window);
    ::GetClientRect(game, &client);
    GameRect place = InitialGamePlacement(desktop.right, desktop.bottom);
    EXPECT_EQ(window.left, place.x);
    EXPECT_EQ(window.top, place.y);
    EXPECT_EQ(window.right - window.left, place.width);
    EXPECT_EQ(window.bottom - window.top, place.height);
    // The demo's close button: 28 from the right edge, 4 from the top, 24 x 24.
    RECT close = ChildRect(game, 1010);
    EXPECT_EQ(close.left, client.right - 28);
    EXPECT_EQ(close.top, 4);
    EXPECT_EQ(close.right - close.left, 24);
    EXPECT_EQ(close.bottom - close.top, 24);
}

TEST(Preview, ShowsTheDemoLoginWindowOverItsBackdrop) {
    ChildProcess preview(ProgramDirectory() + "\\preview.exe", "login " + DemoSkin(),
                         ProgramDirectory());
    HWND content = WaitForWindowWith(preview, 1000);
    ASSERT_NE(content, nullptr);
    HWND backdrop = ::GetWindow(content, GW_OWNER);
    ASSERT_NE(backdrop, nullptr);
    RECT image;
    ::GetWindowRect(backdrop, &image);
    // The backdrop takes the demo image's size, 900 x 600.
    EXPECT_EQ(image.right - image.left, 900);
    EXPECT_EQ(image.bottom - image.top, 600);
    // The close button at 850, 18, 32 x 32.
    RECT close = ChildRect(content, 1000);
    EXPECT_EQ(close.left, 850);
    EXPECT_EQ(close.top, 18);
    EXPECT_EQ(close.right - close.left, 32);
}
