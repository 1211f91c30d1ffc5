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
};

enum class SkinElementKind {
    LoginPage,
    LoginBackdrop,
    LoginButton,
    GameBackground,
    Title,
    Picture,
    GameButton
};

struct SkinKey {
    std::string name;
    std::string element;
    SkinValueKind kind;
    SkinElementKind elementKind;
};

// All 115 keys.
const std::vector<SkinKey>& SkinKeys();
// The one optional key besides them: further origins of the operator's pages,
// which then get window.external. Without it nothing is missing.
inline constexpr char kTrustedOriginsKey[] = "trusted_origins";
// The stems of the game window's ten buttons, in the order they are laid out
// (the close button first, nearest the right edge by default).
const std::vector<std::string>& GameButtonStems();
