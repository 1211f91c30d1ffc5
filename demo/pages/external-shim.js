/*
 * window.external for pages under development in an ordinary browser.
 *
 *   <script src="external-shim.js" data-window="login"></script>   (or "game")
 *
 * data-trusted-origins="https://login.example.com https://*.play.example.net"
 * (the origin of login_url and the entries of trusted_origins) makes the
 * shim refuse every call from a page of any other origin, as the client
 * does; show_game's address is trusted for the rest of the tab's session.
 *
 * Where the client offers its commands this file does nothing at all. In any
 * other browser it defines the eight commands the way the client takes them:
 * an exact argument count (otherwise an Error whose number is E_FAIL),
 * arguments made text, no result. Every call is shown in a small panel and on
 * the console, and kept in externalShim.calls. "home" reloads the page and
 * "show_game" opens the game page's address. See docs/pages.md.
 *
 * ES5 on purpose: the client's engine parses this file too.
 */
(function () {
    "use strict";

    var E_FAIL = -2147467259; // 0x80004005, as a page's script sees it

    // Name, argument count, and the window whose page the command acts in
    // ("" for both); the client ignores a command sent from the other window.
    var COMMANDS = [
        ["home", 0, ""],
        ["set_name", 1, "game"],
        ["show_game", 1, "login"],
        ["close_login", 0, "login"],
        ["show_login", 0, "login"],
        ["clear_cache", 0, ""],
        ["full_screen", 0, "game"],
        ["set_window", 0, "game"]
    ];

    function inClient() {
        // The client's engine: its commands may not be connected yet while
        // the page loads, and the shim must never stand in for them there.
        if (typeof document.documentMode === "number")
            return true;
        var external;
        try {
            external = window.external;
        } catch (e) {
            return true;
        }
        if (external === undefined || external === null)
            return false;
        // A command that takes an argument: in the client, reading it fails
        // (no argument) and runs nothing. A zero-argument one would run.
        try {
            return external.show_game !== undefined;
        } catch (e) {
            return true;
        }
    }

    if (inClient())
        return;

    var script = document.currentScript;
    var kind = script ? script.getAttribute("data-window") : "";
    var shim = {
        // Every call that reached a command: {command, args (texts), ignored}.
        calls: [],
        // "login", "game" or "" (the page did not say): commands of the
        // other window are logged as ignored and do nothing, as in the client.
        window: kind === "login" || kind === "game" ? kind : "",
        commands: {},
        // The two commands that leave the page; tests may replace them.
        effects: {
            home: function () { window.location.reload(); },
            show_game: function (address) { window.location.href = address; }
        }
    };
    var state = { title: "", fullScreen: false, loginShown: true };

    // The origins the client trusts with its commands: null when the page
    // did not list them (then every page is taken for trusted).
    var SESSION_ORIGINS = "externalShim.trustedOrigins";
    var listed = script ? script.getAttribute("data-trusted-origins") : null;

    // {scheme, host, port, subdomains} of "scheme://host[:port][/]" or, with
    // `wildcard`, "scheme://*.name[:port][/]"; null for anything else.
    function originOf(text, wildcard) {
        var m = /^(https?):\/\/(\*\.)?([A-Za-z0-9.\-]+|\[[0-9A-Fa-f:.]+\])(?::(\d{1,5}))?\/?$/i.exec(text);
        if (!m || (m[2] && !wildcard))
            return null;
        var scheme = m[1].toLowerCase();
        return { scheme: scheme, host: m[3].toLowerCase(), subdomains: !!m[2],
                 port: m[4] ? parseInt(m[4], 10) : (scheme === "http" ? 80 : 443) };
    }

    function matches(pattern, origin) {
        if (pattern.scheme !== origin.scheme || pattern.port !== origin.port)
            return false;
        if (!pattern.subdomains)
            return pattern.host === origin.host;
        var suffix = "." + pattern.host, host = origin.host;
        return host.length > suffix.length + 1 && host.slice(-suffix.length) === suffix &&
               host.charAt(host.length - suffix.length - 1) !== ".";
    }

    function sessionOrigins() {
        try {
            return (window.sessionStorage.getItem(SESSION_ORIGINS) || "").split(" ");
        } catch (e) {
            return [];
        }
    }

    // The origin of an address as the browser reads it (user information
    // and all), as "scheme://host:port".
    function originText(address) {
        var a = document.createElement("a");
        a.href = address;
        return a.protocol + "//" + a.host;
    }

    function trustGameOrigin(address) {
        try {
            var origins = sessionOrigins();
            origins.push(originText(address));
            window.sessionStorage.setItem(SESSION_ORIGINS, origins.join(" "));
        } catch (e) { /* no session storage: the game page is then refused */ }
    }

    function pageTrusted() {
        if (listed === null)
            return true;
        var page = originOf(window.origin || location.origin || originText(location.href), false);
        if (!page)
            return false;
        var entries = listed.split(/\s+/).concat(sessionOrigins());
        for (var i = 0; i < entries.length; ++i) {
            var pattern = originOf(entries[i], true);
            if (pattern && matches(pattern, page))
                return true;
        }
        return false;
    }

    function failure(message) {
        var error = new Error(message);
        error.number = E_FAIL;
        error.description = message;
        return error;
    }

    // The text the client makes of an argument.
    function text(value, name) {
        if (value === null)
            throw failure("window.external." + name + ": null cannot be made text");
        if (value === undefined)
            return "";
        if (typeof value === "boolean")
            return value ? "-1" : "0";
        var s = String(value);
        var nul = s.indexOf("\u0000");
        return nul < 0 ? s : s.slice(0, nul);
    }

    // The panel: made when the page has a body; lines logged before wait.
    var panel = null, status = null, list = null, pending = [];

    function makePanel() {
        if (panel || !document.body)
            return;
        panel = document.createElement("div");
        panel.id = "external-shim-panel";
        panel.style.cssText = "position:fixed;right:8px;bottom:8px;z-index:2147483647;" +
            "width:380px;max-height:40%;overflow:auto;padding:6px 8px;border:1px solid #888;" +
            "border-radius:4px;background:rgba(0,0,0,0.82);color:#eee;" +
            "font:12px/1.45 Consolas,monospace;text-align:left";
        status = document.createElement("div");
        status.style.cssText = "color:#9cf;margin-bottom:4px";
        list = document.createElement("ol");
        list.style.cssText = "margin:0;padding-left:22px";
        panel.appendChild(status);
        panel.appendChild(list);
        document.body.appendChild(panel);
        showStatus();
        for (var i = 0; i < pending.length; ++i)
            list.appendChild(pending[i]);
        pending = [];
    }

    function showStatus() {
        if (!status)
            return;
        var parts = ["window.external shim" + (shim.window ? ", " + shim.window + " window" : "")];
        if (shim.window !== "login")
            parts.push("title " + JSON.stringify(state.title),
                       "full screen " + (state.fullScreen ? "on" : "off"));
        if (shim.window !== "game")
            parts.push("login window " + (state.loginShown ? "shown" : "minimised"));
        status.textContent = parts.join(" \u00b7 ");
    }

    function log(line, isError) {
        var item = document.createElement("li");
        item.textContent = line;
        if (isError)
            item.style.color = "#f88";
        if (list) {
            list.appendChild(item);
            panel.scrollTop = panel.scrollHeight;
        } else {
            pending.push(item);
        }
        if (window.console)
            (isError ? console.error : console.info).call(console, "[external-shim] " + line);
    }

    function describe(name, args) {
        var shown = [];
        for (var i = 0; i < args.length; ++i)
            shown.push(JSON.stringify(args[i]));
        return name + "(" + shown.join(", ") + ")";
    }

    function command(name, count, where) {
        return function () {
            try {
                if (!pageTrusted())
                    throw failure("window.external." + name + ": the client offers no commands " +
                                  "to a page of this origin (see trusted_origins)");
                if (arguments.length !== count)
                    throw failure("window.external." + name + " takes " + count + " argument" +
                                  (count === 1 ? "" : "s") + ", not " + arguments.length);
                var args = [];
                for (var i = 0; i < count; ++i)
                    args.push(text(arguments[i], name));
            } catch (error) {
                log(name + ": " + error.message + " (E_FAIL)", true);
                throw error;
            }
            var ignored = where !== "" && shim.window !== "" && where !== shim.window;
            shim.calls.push({ command: name, args: args, ignored: ignored });
            log(describe(name, args) + (ignored ? "  ignored: the " + shim.window +
                                                  " window does not take it" : ""));
            if (ignored)
                return undefined;
            if (name === "set_name")
                state.title = args[0];
            else if (name === "full_screen" || name === "set_window")
                state.fullScreen = name === "full_screen";
            else if (name === "close_login" || name === "show_login")
                state.loginShown = name === "show_login";
            showStatus();
            if (name === "show_game")
                trustGameOrigin(args[0]);
            if (shim.effects[name])
                shim.effects[name].apply(null, args);
            return undefined;
        };
    }

    var functions = {};
    for (var i = 0; i < COMMANDS.length; ++i) {
        shim.commands[COMMANDS[i][0]] = COMMANDS[i][1];
        functions[COMMANDS[i][0]] = command(COMMANDS[i][0], COMMANDS[i][1], COMMANDS[i][2]);
    }

    function install(target) {
        try {
            for (var name in functions)
                Object.defineProperty(target, name, {
                    value: functions[name], writable: true, configurable: true, enumerable: true
                });
        } catch (e) {
            return false;
        }
        return true;
    }

    function installed() {
        try {
            return window.external && window.external.show_game === functions.show_game;
        } catch (e) {
            return false;
        }
    }

    // On the browser's own object where it takes new properties; otherwise
    // (absent, frozen, or a fresh object on every read) in place of it.
    var existing = window.external;
    if (!(existing && (typeof existing === "object" || typeof existing === "function") &&
          install(existing) && installed())) {
        var own = {};
        install(own);
        try {
            Object.defineProperty(window, "external", { value: own, writable: true, configurable: true });
        } catch (e) {
            try { window.external = own; } catch (ignored) { /* checked below */ }
        }
    }
    if (!installed()) {
        if (window.console)
            console.error("[external-shim] this browser does not let window.external be defined");
        return;
    }

    window.externalShim = shim;
    if (document.body)
        makePanel();
    else
        document.addEventListener("DOMContentLoaded", makePanel);
}());
