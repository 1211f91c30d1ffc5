#!/usr/bin/env python3
"""The page kit's tests. Serves the source tree on loopback, runs
tests/pages/harness.html in headless Chromium (the demo pages and the shim in
a real browser) and checks, without a browser, that the demo serves the same
shim as pages/ and that the TypeScript declarations match the client's own
command table. Prints each case's result; exits non-zero on any failure."""

import filecmp
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import urllib.parse
from functools import partial
from http.server import SimpleHTTPRequestHandler, ThreadingHTTPServer

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WAIT_SECONDS = 45  # a guard against a hung browser, not a measurement


def read(path):
    with open(os.path.join(ROOT, path), encoding="utf-8") as f:
        return f.read()


def client_commands():
    """name -> [argument count, window ("login", "game" or "" for both)],
    from the client's command table and the window each handler acts on."""
    source = read("browser/ScriptCommands.cpp")
    bodies = dict(re.findall(r"const char\* (On\w+)\([^)]*\) \{(.*?)\n\}", source, re.S))
    windows = {"CLoginWindowCommands": "login", "CGameWindowCommands": "game"}
    commands = {}
    for name, count, handler in re.findall(r'\{"(\w+)", (\d+), &(On\w+)\}', source):
        owner = re.search(r"OwnerAs<(\w+)>", bodies[handler])
        commands[name] = [int(count), windows[owner.group(1)] if owner else ""]
    return commands


def declared_commands():
    """name -> parameter count of the methods pages/external.d.ts declares."""
    block = re.search(r"interface External \{(.*?)\n\}", read("pages/external.d.ts"), re.S).group(1)
    return {name: len([p for p in params.split(",") if p.strip()])
            for name, params in re.findall(r"^\s*(\w+)\(([^)]*)\): void;", block, re.M)}


class Handler(SimpleHTTPRequestHandler):
    def do_POST(self):
        body = self.rfile.read(int(self.headers.get("Content-Length", 0)))
        self.send_response(204)
        self.end_headers()
        if self.path == "/results" and not self.server.results:
            self.server.results = json.loads(body)
            self.server.done.set()

    def log_message(self, *args):
        pass


def browser_results(commands):
    server = ThreadingHTTPServer(("127.0.0.1", 0), partial(Handler, directory=ROOT))
    server.results, server.done = None, threading.Event()
    threading.Thread(target=server.serve_forever, daemon=True).start()
    query = urllib.parse.urlencode({"client": json.dumps(commands)})
    url = "http://127.0.0.1:%d/tests/pages/harness.html?%s" % (server.server_port, query)
    chromium = shutil.which("chromium") or shutil.which("chromium-browser")
    if not chromium:
        return [{"name": "chromium", "ok": False, "detail": "not installed (scripts/setup installs it)"}]
    profile = tempfile.mkdtemp(prefix="page-tests-")
    log = open(os.path.join(profile, "chromium.log"), "w+")
    # Runs as root in CI, hence no sandbox; no display is needed.
    browser = subprocess.Popen([chromium, "--headless", "--no-sandbox", "--disable-gpu",
                                "--disable-dev-shm-usage", "--no-first-run", "--no-default-browser-check",
                                "--disable-extensions", "--disable-background-networking",
                                "--disable-component-update", "--disable-sync",
                                "--user-data-dir=" + profile, url],
                               stdin=subprocess.DEVNULL, stdout=log, stderr=log)
    try:
        finished = server.done.wait(WAIT_SECONDS)
    finally:
        browser.terminate()
        try:
            browser.wait(10)
        except subprocess.TimeoutExpired:
            browser.kill()
            browser.wait()
        server.shutdown()
    log.seek(0)
    tail = log.read()[-2000:]
    log.close()
    shutil.rmtree(profile, ignore_errors=True)
    if not finished:
        return [{"name": "the harness", "ok": False,
                 "detail": "no results within %d s; the browser said:\n%s" % (WAIT_SECONDS, tail)}]
    return server.results


def main():
    commands = client_commands()
    results = [
        {"name": "the demo serves the same shim as pages/",
         "ok": filecmp.cmp(os.path.join(ROOT, "pages/external-shim.js"),
                           os.path.join(ROOT, "demo/pages/external-shim.js"), shallow=False),
         "detail": "demo/pages/external-shim.js differs: copy pages/external-shim.js over it"},
        {"name": "the declarations name the client's commands with its argument counts",
         "ok": declared_commands() == {name: count for name, (count, _) in commands.items()},
         "detail": "pages/external.d.ts declares %s" % declared_commands()},
    ]
    if len(commands) != 8:
        results.append({"name": "the client's command table", "ok": False,
                        "detail": "read %s from browser/ScriptCommands.cpp" % commands})
    results += browser_results(commands)
    for r in results:
        print("%s  %s" % ("PASS" if r["ok"] else "FAIL", r["name"]))
        if not r["ok"]:
            print("      " + r.get("detail", "").replace("\n", "\n      "))
    failed = sum(not r["ok"] for r in results)
    print("pages: %d passed, %d failed" % (len(results) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
