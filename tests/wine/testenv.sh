#!/usr/bin/env bash
# Makes and removes the private test environment of one test run: an Xvfb
# display and a fresh Wine prefix, both under TEST_ROOT. The prefix is
# 32-bit unless CORVANELL_WINE_ARCH=win64 asks for a 64-bit one.
# usage: testenv.sh setup|teardown TEST_ROOT [WIDTHxHEIGHT]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
action=$1
root=$2
geometry=${3:-1920x1080}

teardown() {
    corvanell_wine_env "$root"
    if [ -d "$WINEPREFIX" ]; then
        wineserver -k >/dev/null 2>&1 || true
        wineserver -w >/dev/null 2>&1 || true
    fi
    if [ -f "$root/xvfb.pid" ]; then
        kill "$(cat "$root/xvfb.pid")" >/dev/null 2>&1 || true
    fi
    rm -rf "$root/prefix" "$root/display" "$root/display.n" "$root/xvfb.pid" "$root/scratch" "$root/arch"
}

# Programs of ours that replace Wine's own in the prefix's system folder
# (CORVANELL_PREFIX_PROGRAMS, a list of .exe files separated by blanks):
# Wine's where.exe, for one, is a stub that finds nothing. Each is marked
# native so that Wine loads our file rather than its built-in program.
install_programs() {
    for program in ${CORVANELL_PREFIX_PROGRAMS:-}; do
        name=$(basename "$program")
        cp "$program" "$WINEPREFIX/drive_c/windows/system32/$name"
        wine reg add 'HKCU\Software\Wine\DllOverrides' /v "${name}" /d native /f </dev/null >>"$root/wineboot.log" 2>&1
    done
}

setup() {
    teardown
    mkdir -p "$root"
    case "${CORVANELL_WINE_ARCH:-win32}" in
        win32|win64) echo "${CORVANELL_WINE_ARCH:-win32}" >"$root/arch" ;;
        *) echo "testenv: CORVANELL_WINE_ARCH must be win32 or win64, not $CORVANELL_WINE_ARCH" >&2; return 2 ;;
    esac
    # A display of the caller's (CORVANELL_TESTENV_DISPLAY) is used as it is;
    # otherwise a private Xvfb is started.
    if [ -n "${CORVANELL_TESTENV_DISPLAY:-}" ]; then
        echo "$CORVANELL_TESTENV_DISPLAY" >"$root/display"
        start_prefix
        echo "testenv: $WINEARCH Wine prefix $WINEPREFIX on display $CORVANELL_TESTENV_DISPLAY"
        return 0
    fi
    # Xvfb picks a free display number itself and writes it once it listens:
    # test runs that start at the same time never get the same display.
    : >"$root/display.n"
    Xvfb -displayfd 3 -screen 0 "${geometry}x24" -nolisten tcp -noreset </dev/null >"$root/xvfb.log" 2>&1 3>"$root/display.n" &
    echo $! >"$root/xvfb.pid"
    n=
    for _ in $(seq 1 100); do
        n=$(tr -dc 0-9 <"$root/display.n")
        [ -n "$n" ] && [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.1
    done
    if [ -z "$n" ] || [ ! -e "/tmp/.X11-unix/X$n" ]; then
        echo "testenv: Xvfb did not start" >&2
        cat "$root/xvfb.log" >&2
        return 1
    fi
    echo ":$n" >"$root/display"
    start_prefix
    echo "testenv: $WINEARCH Wine prefix $WINEPREFIX on display :$n"
}

start_prefix() {
    corvanell_wine_env "$root"
    if [ ! -x "$WINELOADER" ]; then
        echo "testenv: $WINELOADER is missing: a $WINEARCH prefix needs it (tools/install-deps.sh)" >&2
        return 1
    fi
    wine wineboot.exe --init </dev/null >"$root/wineboot.log" 2>&1
    wineserver -w
    # Keep one server for the whole run, so each test starts quickly, and
    # start its system processes here, detached from the test's output: a
    # process started by a test would hold the test's pipes open.
    wineserver -p </dev/null >/dev/null 2>&1
    # There is no window manager on the display: with unmanaged windows Wine
    # does not wait two seconds for one whenever a window is destroyed.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >>"$root/wineboot.log" 2>&1
    install_programs
}

case "$action" in
    setup) setup ;;
    teardown) teardown ;;
    *) echo "usage: testenv.sh setup|teardown TEST_ROOT [WIDTHxHEIGHT]" >&2; exit 2 ;;
esac
