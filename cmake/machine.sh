# What this machine can run, found out by trying; sourced by the scripts.

# Whether the kernel runs 32-bit x86 programs: some run 64-bit user code only,
# and then every 32-bit program, Wine's 32-bit loader included, fails with
# "Exec format error". CLIENT_NO_32BIT=1 answers no on any machine, so that
# path can be tried everywhere. The probe is the smallest static i386 ELF
# program: exit(42), so a status of 42 proves it really ran.
machine_runs_32bit() {
    [ "${CLIENT_NO_32BIT:-}" != 1 ] || return 1
    local probe status
    probe=$(mktemp)
    printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'`
          `'\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00'`
          `'\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x54\x00\x00\x00'`
          `'\x54\x80\x04\x08\x54\x80\x04\x08\x0c\x00\x00\x00\x0c\x00\x00\x00\x07\x00\x00\x00'`
          `'\x01\x00\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null
    status=$?
    rm -f "$probe"
    [ $status = 42 ]
}

# Wine's own loaders, called directly: Debian's `wine` wrapper picks the
# 32-bit loader whenever it is installed, for 64-bit programs as well.
WINE_LOADER_64=/usr/lib/wine/wine64
WINE_LOADER_32=/usr/lib/wine/wine

# Whether 32-bit Windows programs can run here: the kernel runs 32-bit code
# and 32-bit Wine is installed.
machine_runs_win32() {
    [ -x "$WINE_LOADER_32" ] && machine_runs_32bit
}

# Why machine_runs_win32 says no, in a few words.
no_win32_reason() {
    if [ "${CLIENT_NO_32BIT:-}" = 1 ]; then
        echo "CLIENT_NO_32BIT=1"
    elif ! machine_runs_32bit; then
        echo "the kernel runs no 32-bit code"
    else
        echo "32-bit Wine, wine32:i386, is not installed"
    fi
}
