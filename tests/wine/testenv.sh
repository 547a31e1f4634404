#!/usr/bin/env bash
# Makes and removes the private test environment of one test run: an Xvfb
# display and a fresh 32-bit Wine prefix, both under TEST_ROOT.
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
    rm -rf "$root/prefix" "$root/display" "$root/xvfb.pid" "$root/scratch"
}

free_display() {
    for n in $(seq 91 250); do
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
            echo "$n"
            return 0
        fi
    done
    echo "testenv: no free X display between :91 and :250" >&2
    return 1
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
    n=$(free_display)
    Xvfb ":$n" -screen 0 "${geometry}x24" -nolisten tcp -noreset </dev/null >"$root/xvfb.log" 2>&1 &
    echo $! >"$root/xvfb.pid"
    for _ in $(seq 1 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.1
    done
    if [ ! -e "/tmp/.X11-unix/X$n" ]; then
        echo "testenv: Xvfb did not start on :$n" >&2
        cat "$root/xvfb.log" >&2
        return 1
    fi
    echo ":$n" >"$root/display"
    corvanell_wine_env "$root"
    wineboot --init </dev/null >"$root/wineboot.log" 2>&1
    wineserver -w
    # Keep one server for the whole run, so each test starts quickly, and
    # start its system processes here, detached from the test's output: a
    # process started by a test would hold the test's pipes open.
    wineserver -p </dev/null >/dev/null 2>&1
    # There is no window manager on the display: with unmanaged windows Wine
    # does not wait two seconds for one whenever a window is destroyed.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >>"$root/wineboot.log" 2>&1
    install_programs
    echo "testenv: Wine prefix $WINEPREFIX on display :$n"
}

case "$action" in
    setup) setup ;;
    teardown) teardown ;;
    *) echo "usage: testenv.sh setup|teardown TEST_ROOT" >&2; exit 2 ;;
esac
