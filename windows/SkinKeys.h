#pragma once
// Every key the client reads from config.xml, with what kind of value it
// takes and the element it belongs to, in the order the configuration
// reference lists them. Free of window types, so that the skin checker's
// rules also build natively.

#include <string>
#include <vector>

enum class SkinValueKind {
    LoginAddress, // the login page, opened by the embedded browser
    LinkAddress,  // opened in the default web browser
    Title,        // the game window's title text
    Tip,          // a button's tooltip
    Question,     // the question asked before the game window closes
    PositionX,    // pixels; the game window's buttons count from the right edge
    PositionY,
    Width,
    Height,
    Channel,     // one colour channel, 0 to 255
    ButtonImage, // a .bmp under data\, drawn unscaled on the button
    Background,  // a .bmp under data\, stretched over the game window
    Backdrop,    // an image with an alpha channel, the login window's shape
    Picture,     // a GIF, animated or not, or a still image
    OfflinePage, // an HTML file under data\, shown when the server cannot be reached
    Origins,     // origins separated by spaces, whose pages get window.external
};

enum class SkinElementKind {
    LoginPage,
    LoginBackdrop,
    LoginButton,
    GameBackground,
    Title,
    Picture,
    GameButton,
    OfflinePage,
    TrustedPages
};

struct SkinKey {
    std::string name;
    std::string element;
    SkinValueKind kind;
    SkinElementKind elementKind;
    // Whether a skin may leave it out without anything missing.
    bool optional = false;
};

// All 117 keys, the optional ones last.
const std::vector<SkinKey>& SkinKeys();
// Further origins of the operator's pages, which then get window.external.
inline constexpr char kTrustedOriginsKey[] = "trusted_origins";
// The stems of the game window's ten buttons, in the order they are laid out
// (the close button first, nearest the right edge by default).
const std::vector<std::string>& GameButtonStems();
