#pragma once
// What the script commands ask of the window that owns the calling browser
// host. A window takes part by deriving from the matching class; a command
// whose owner window is not of its kind does nothing, so a page cannot act on
// a window of the other kind.

// The login window: "show_game", "close_login", "show_login".
class CLoginWindowCommands {
public:
    // Hides the login backdrop and runs the game window on `address`; returns
    // when the game window has closed.
    virtual void ShowGame(const char* address) = 0;
    // ShowWindow of the login backdrop window.
    virtual void ShowBackdrop(int showCommand) = 0;

protected:
    ~CLoginWindowCommands() = default;
};

// The game window: "set_name", "full_screen", "set_window".
class CGameWindowCommands {
public:
    // Sets the title label's text.
    virtual void SetTitleText(const char* text) = 0;
    // Enters full screen, or leaves it restoring the saved placement;
    // whether the window is in full screen afterwards.
    virtual bool SetFullScreen(bool fullScreen) = 0;

protected:
    ~CGameWindowCommands() = default;
};
