# Wine for the scripts: which loader runs a program, and the prefix it runs in.
# shellcheck source=machine.sh
. "$(dirname "${BASH_SOURCE[0]}")/machine.sh"

# win64 or win32: the machine type in a Windows program's PE header.
pe_arch() {
    local pe machine
    pe=$(od -An -tu4 -j 60 -N 4 "$1" 2>/dev/null | tr -d ' ')
    [ -n "$pe" ] || return 1
    machine=$(od -An -tx2 -j $((pe + 4)) -N 2 "$1" 2>/dev/null | tr -d ' ')
    case $machine in
    8664) echo win64 ;;
    014c) echo win32 ;;
    *) return 1 ;;
    esac
}

# win64 or win32: what an existing prefix was made as (nothing if none).
prefix_arch() {
    sed -n "s/^#arch=//p" "$1/system.reg" 2>/dev/null || true
}

# Points WINELOADER at the loader for ARCH. Programs started from Wine take
# it too; a 64-bit prefix's loader starts 32-bit programs with the loader of
# the same name without "64".
use_wine_loader() {
    if [ "$1" = win64 ]; then
        export WINELOADER=$WINE_LOADER_64
    else
        export WINELOADER=$WINE_LOADER_32
    fi
    if [ "$1" = win64 ] && [ -x "$WINELOADER" ]; then
        return 0
    fi
    if [ "$1" = win32 ] && machine_runs_win32; then
        return 0
    fi
    echo "wine-run: this machine runs no $1 Wine (no $WINELOADER, or no 32-bit code)" >&2
    return 1
}

# Creates the prefix named by WINEPREFIX/WINEARCH once and starts its
# server. The server and Wine's helper processes inherit the descriptors of
# whoever starts them, so they are started here with every descriptor pointed
# away from the caller: a test runner reading our output must not wait on them.
ensure_wine_prefix() {
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/.client-ready" ]; then
            rm -rf "$WINEPREFIX"
            "$WINELOADER" wineboot -i </dev/null >/dev/null 2>&1 9>&-
            # With no window manager under Xvfb, managed windows make Wine wait
            # two seconds for a state change that never comes.
            "$WINELOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
                </dev/null >/dev/null 2>&1 9>&- || true
            # A crash reports itself on standard error and ends; a crash dialog
            # would wait for a click no one gives.
            "$WINELOADER" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD \
                /d 0 /f </dev/null >/dev/null 2>&1 9>&- || true
            # The display's DPI is read when the server starts, so it is set
            # before the server below ends.
            if [ -n "${CLIENT_DPI:-}" ]; then
                "$WINELOADER" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
                    /d "$CLIENT_DPI" /f </dev/null >/dev/null 2>&1 9>&-
            fi
            wineserver -w </dev/null >/dev/null 2>&1 9>&- || true
            touch "$WINEPREFIX/.client-ready"
        fi
        # A persistent server keeps start-up of each program short.
        # (The lock's descriptor is closed for them, or they would hold it.)
        wineserver -p </dev/null >/dev/null 2>&1 9>&- || true
        "$WINELOADER" cmd /c exit 0 </dev/null >/dev/null 2>&1 9>&- || true
    ) 9>"$WINEPREFIX.lock"
}
