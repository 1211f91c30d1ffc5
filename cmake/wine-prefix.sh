# Creates the Wine prefix named by WINEPREFIX/WINEARCH once and starts its
# server. The server and Wine's helper processes inherit the descriptors of
# whoever starts them, so they are started here with every descriptor pointed
# away from the caller: a test runner reading our output must not wait on them.
ensure_wine_prefix() {
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/.client-ready" ]; then
            rm -rf "$WINEPREFIX"
            wineboot -i </dev/null >/dev/null 2>&1 9>&-
            # With no window manager under Xvfb, managed windows make Wine wait
            # two seconds for a state change that never comes.
            wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
                </dev/null >/dev/null 2>&1 9>&- || true
            # The display's DPI is read when the server starts, so it is set
            # before the server below ends.
            if [ -n "${CLIENT_DPI:-}" ]; then
                wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
                    /d "$CLIENT_DPI" /f </dev/null >/dev/null 2>&1 9>&-
            fi
            wineserver -w </dev/null >/dev/null 2>&1 9>&- || true
            touch "$WINEPREFIX/.client-ready"
        fi
        # A persistent server keeps start-up of each program short.
        # (The lock's descriptor is closed for them, or they would hold it.)
        wineserver -p </dev/null >/dev/null 2>&1 9>&- || true
        wine cmd /c exit 0 </dev/null >/dev/null 2>&1 9>&- || true
    ) 9>"$WINEPREFIX.lock"
}
