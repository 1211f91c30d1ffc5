// Drives the demo pages and the shim in frames and posts every case's result
// to the server run.py started. ?client= carries the client's own command
// table (name: [argument count, window]), read from its sources.
"use strict";

const E_FAIL = -2147467259;
const CLIENT = JSON.parse(new URLSearchParams(location.search).get("client"));
const GAME = "http://127.0.0.1:8080/game.html?server=";
const cases = [];
const test = (name, run) => cases.push({ name, run });

function check(condition, message) {
    if (!condition)
        throw new Error(message);
}

function same(actual, expected, what) {
    const a = JSON.stringify(actual), e = JSON.stringify(expected);
    check(a === e, `${what}: ${a}, expected ${e}`);
}

function nextLoad(frame) {
    return new Promise((resolve, reject) => {
        // Not a timing check: a page that never loads must fail, not hang.
        const guard = setTimeout(() => reject(new Error("the page did not load")), 15000);
        frame.addEventListener("load", () => { clearTimeout(guard); resolve(frame); }, { once: true });
    });
}

// A frame on an address, or on a page's text.
function frame(page) {
    const f = document.createElement("iframe");
    const loaded = nextLoad(f);
    if (page.startsWith("<"))
        f.srcdoc = page;
    else
        f.src = page;
    document.body.appendChild(f);
    return loaded;
}

// A blank page with the shim, after `before` has run.
async function shimPage(before = "", attributes = "") {
    const f = await frame(`<!DOCTYPE html><html><head><script>${before}</script>` +
                          `<script src="/pages/external-shim.js"${attributes}></script></head><body></body></html>`);
    return f.contentWindow;
}

// Keeps the page where it is: what would leave it is recorded instead.
function stay(w) {
    const seen = { left: [], alerts: [] };
    w.externalShim.effects.home = () => seen.left.push(["home"]);
    w.externalShim.effects.show_game = address => seen.left.push(["show_game", address]);
    w.alert = message => seen.alerts.push(message);
    return seen;
}

const calls = w => w.externalShim.calls.map(c => [c.command, ...c.args]);
const named = (w, selector, text) => [...w.document.querySelectorAll(selector)].find(e => e.textContent === text);

function thrown(run) {
    try {
        run();
    } catch (e) {
        return e;
    }
    return null;
}

test("the shim offers the client's commands with its argument counts", async () => {
    const w = await shimPage();
    same(w.externalShim.commands, Object.fromEntries(Object.entries(CLIENT).map(([n, [count]]) => [n, count])),
         "commands");
});

test("login page: each control makes its call", async () => {
    const w = (await frame("/demo/pages/login.html")).contentWindow;
    const seen = stay(w);
    const enter = server => () => {
        w.document.getElementById("server").value = server;
        w.document.querySelector("button[type=submit]").click();
    };
    const rows = [
        [enter("1"), ["show_game", GAME + "1"]],
        [enter("华东 2"), ["show_game", GAME + "%E5%8D%8E%E4%B8%9C%202"]],
        [() => named(w, ".links a", "最小化").click(), ["close_login"]],
        [() => named(w, ".links a", "清除缓存").click(), ["clear_cache"]],
        [() => named(w, ".links a", "刷新").click(), ["home"]],
    ];
    for (const [act, expected] of rows) {
        w.externalShim.calls.length = 0;
        act();
        same(calls(w), [expected], "calls");
    }
    same(seen.left, [rows[0][1], rows[1][1], ["home"]], "pages left");
    same(seen.alerts, [], "alerts");
});

test("game page: its load names the window, each button makes its call", async () => {
    for (const [query, title] of [["?server=1", "示例游戏 - 1 区"], ["?server=%E5%8D%8E%E4%B8%9C", "示例游戏 - 华东 区"],
                                  ["", "示例游戏 - 1 区"]]) {
        const f = await frame("/demo/pages/game.html" + query);
        same(calls(f.contentWindow), [["set_name", title]], "calls of the load " + query);
        f.remove();
    }
    const w = (await frame("/demo/pages/game.html?server=1")).contentWindow;
    const seen = stay(w);
    for (const [label, expected] of [["全屏", "full_screen"], ["窗口", "set_window"], ["刷新", "home"],
                                     ["清除缓存", "clear_cache"]]) {
        w.externalShim.calls.length = 0;
        named(w, "button", label).click();
        same(calls(w), [[expected]], label);
    }
    same(seen.left, [["home"]], "pages left");
    same(seen.alerts, [], "alerts");
});

test("show_game opens the game page", async () => {
    const f = await frame("/demo/pages/login.html");
    const address = location.origin + "/demo/pages/game.html?server=9";
    const loaded = nextLoad(f);
    f.contentWindow.external.show_game(address);
    await loaded;
    same(f.contentWindow.location.href, address, "address");
    same(calls(f.contentWindow), [["set_name", "示例游戏 - 9 区"]], "the game page's calls");
});

test("home reloads the page", async () => {
    const f = await frame("/demo/pages/game.html?server=3");
    f.contentWindow.beforeReload = true;
    const loaded = nextLoad(f);
    f.contentWindow.external.home();
    await loaded;
    check(!f.contentWindow.beforeReload, "the page was not reloaded");
    same(f.contentWindow.location.search, "?server=3", "address");
});

test("a wrong argument count throws E_FAIL and runs nothing", async () => {
    const w = await shimPage();
    const seen = stay(w);
    for (const [name, [count]] of Object.entries(CLIENT)) {
        for (const wrong of [count - 1, count + 1].filter(n => n >= 0)) {
            const e = thrown(() => w.external[name](...Array(wrong).fill("x")));
            check(e instanceof w.Error, `${name} with ${wrong} arguments threw ${e}`);
            same(e.number, E_FAIL, `${name} with ${wrong} arguments: number`);
            check(e.message.includes(name), `${name}: message ${e.message}`);
        }
    }
    same(calls(w), [], "calls");
    same(seen.left, [], "pages left");
});

test("arguments arrive as the client's text, and a call gives undefined", async () => {
    const w = await shimPage();
    const rows = [["text", "text"], [5, "5"], [1.5, "1.5"], [true, "-1"], [false, "0"], [undefined, ""],
                  ["a\u0000b", "a"], [{}, "[object Object]"], [[1, 2, 3], "1,2,3"]];
    for (const [value, expected] of rows) {
        w.externalShim.calls.length = 0;
        same(w.external.set_name(value), undefined, "result");
        same(calls(w), [["set_name", expected]], `set_name(${String(value)})`);
    }
    w.externalShim.calls.length = 0;
    same(thrown(() => w.external.set_name(null))?.number, E_FAIL, "set_name(null)");
    same(calls(w), [], "calls after set_name(null)");
});

test("a command of the other window does nothing there, as in the client", async () => {
    for (const kind of ["login", "game"]) {
        const w = await shimPage("", ` data-window="${kind}"`);
        const seen = stay(w);
        const expected = [];
        for (const [name, [count, where]] of Object.entries(CLIENT)) {
            w.externalShim.calls.length = 0;
            w.external[name](...Array(count).fill("x"));
            const ignored = where !== "" && where !== kind;
            same(w.externalShim.calls.map(c => c.ignored), [ignored], `${name} in the ${kind} window ignored`);
            if (!ignored && (name === "home" || name === "show_game"))
                expected.push(name === "home" ? ["home"] : ["show_game", "x"]);
        }
        same(seen.left, expected, `pages left in the ${kind} window`);
    }
});

test("every call shows in the panel and on the console", async () => {
    const w = await shimPage();
    const lines = [];
    w.console.info = line => lines.push(line);
    w.console.error = line => lines.push(line);
    w.external.set_name("面板");
    thrown(() => w.external.set_name());
    const panel = w.document.getElementById("external-shim-panel");
    check(panel && panel.offsetHeight > 0, "no visible panel");
    const items = [...panel.querySelectorAll("li")].map(li => li.textContent);
    for (const shown of [items, lines]) {
        same(shown.length, 2, "lines");
        check(shown[0].includes('set_name("面板")'), `first line ${shown[0]}`);
        check(shown[1].includes("set_name") && shown[1].includes("E_FAIL"), `second line ${shown[1]}`);
    }
});

test("where the client offers the commands the shim does nothing", async () => {
    const names = JSON.stringify(Object.keys(CLIENT));
    const rows = [
        ["its commands are there", `window.client = {};
            ${names}.forEach(function (n) {
                client[n] = function () {};
                Object.defineProperty(window.external, n, { value: client[n], configurable: true });
            });`,
         w => Object.keys(CLIENT).every(n => w.external[n] === w.client[n])],
        ["reading a command without its argument fails", `window.client = {};
            ${names}.forEach(function (n) { client[n] = function () {}; });
            Object.defineProperty(client, "show_game", { get: function () { throw new Error("Unspecified error"); } });
            Object.defineProperty(window, "external", { value: client, configurable: true });`,
         w => w.external === w.client && Object.getOwnPropertyDescriptor(w.client, "show_game").get],
        ["its engine, before the commands are connected",
         `Object.defineProperty(document, "documentMode", { value: 11 });`,
         w => w.external.show_game === undefined],
    ];
    for (const [what, before, untouched] of rows) {
        const w = await shimPage(before);
        check(w.externalShim === undefined, `${what}: the shim started`);
        check(!w.document.getElementById("external-shim-panel"), `${what}: a panel`);
        check(untouched(w), `${what}: window.external changed`);
    }
});

test("where window.external takes no commands the shim puts its own in place", async () => {
    const rows = [
        ["frozen", "Object.freeze(window.external);"],
        ["absent", `Object.defineProperty(window, "external", { value: undefined, configurable: true });`],
        ["a new object at every read",
         `Object.defineProperty(window, "external", { get: function () { return {}; }, configurable: true });`],
        ["replaceable by assignment only", `var fixed = Object.freeze({});
            Object.defineProperty(window, "external", { get: function () { return fixed; },
                set: function (value) { fixed = value; }, configurable: false });`],
    ];
    for (const [what, before] of rows) {
        const w = await shimPage(before);
        check(thrown(() => w.external.set_name(what)) === null, `${what}: the call failed`);
        same(calls(w), [["set_name", what]], what);
    }
});

test("a page of an origin the client does not trust gets no commands, as in the client", async () => {
    sessionStorage.removeItem("externalShim.trustedOrigins");
    try {
        const lookAlikes = `https://*.example.com http://127.0.0.1.evil.net:${location.port}`;
        const refused = await shimPage("", ` data-trusted-origins="${lookAlikes}"`);
        const error = thrown(() => refused.external.home());
        check(error && error.number === E_FAIL, `an untrusted page's call gave ${error && error.number}`);
        same(calls(refused), [], "calls of the untrusted page");
        // Its own origin listed, the page is trusted; and show_game trusts the game's.
        const login = await shimPage("", ` data-trusted-origins="${location.origin.toUpperCase()}/"`);
        const seen = stay(login);
        login.external.show_game(location.origin + "/game.html");
        same(seen.left, [["show_game", location.origin + "/game.html"]], "left");
        const game = await shimPage("", ` data-trusted-origins="https://*.example.com"`);
        check(thrown(() => game.external.set_name("x")) === null, "the game page's call failed");
        same(calls(game), [["set_name", "x"]], "calls of the game page");
    } finally {
        sessionStorage.removeItem("externalShim.trustedOrigins");
    }
});

async function main() {
    const results = [];
    for (const c of cases) {
        try {
            await c.run();
            results.push({ name: c.name, ok: true });
        } catch (e) {
            results.push({ name: c.name, ok: false, detail: String(e && e.message || e) });
        }
        document.querySelectorAll("iframe").forEach(f => f.remove());
    }
    await fetch("/results", { method: "POST", body: JSON.stringify(results) });
}

const broken = detail => fetch("/results", { method: "POST",
    body: JSON.stringify([{ name: "the harness", ok: false, detail: String(detail) }]) });
window.addEventListener("error", e => broken(e.message));
main().catch(broken);
