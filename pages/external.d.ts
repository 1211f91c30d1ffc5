// The commands the client offers its pages as methods of window.external.
// Add this file to a page's TypeScript sources (a tsconfig "include" or a
// /// <reference path="external.d.ts" /> line); it extends the DOM library's
// External interface, so window.external and external both know them.
//
// Every call is synchronous and gives undefined. Calling a command with
// another number of arguments, or with null, throws ExternalCallError; a
// command sent from the other window's page does nothing. The login window's
// page is the one at the configured login address; the game window's page is
// the one opened by show_game. Reading a command without calling it is not
// safe in the client (the zero-argument ones run). See docs/pages.md.

interface External {
    /** Reloads the calling page (either window): its current address, not its first. */
    home(): void;

    /**
     * Game window: sets the title text shown above the game page. The text
     * is shown in the system's ANSI code page; characters it lacks show as "?".
     */
    set_name(title: string): void;

    /**
     * Login window: hides the login window and opens the game window on
     * `address` (an absolute address; percent-encode what is not ASCII).
     * Returns only when the game window has closed, and the client then
     * ends. While a game window is open, a further call does nothing.
     */
    show_game(address: string): void;

    /** Login window: minimises the login window. */
    close_login(): void;

    /** Login window: shows the login window again in its normal size and place. */
    show_login(): void;

    /**
     * Either window: empties the browser cache the client shares with the
     * system's browser (cookies and history stay), without asking.
     */
    clear_cache(): void;

    /**
     * Game window: the inside of the game window (its 31-pixel band of
     * title and buttons, and the page below it) covers the whole screen;
     * nothing if it already does.
     */
    full_screen(): void;

    /** Game window: leaves full screen for the size and place before it; nothing otherwise. */
    set_window(): void;
}

/** What a failed call throws: number is E_FAIL (0x80004005). */
interface ExternalCallError extends Error {
    readonly number: -2147467259;
}
