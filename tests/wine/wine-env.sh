# Sourced by the test scripts: the private Wine prefix and display of one
# test run, kept under the test root given as $1 to the caller.
#
# The prefix is win32 or win64: the setup takes the architecture from
# CORVANELL_WINE_ARCH (win32 when unset) and records it in the test root, so
# that every later call uses the same one. The loader and the server of that
# architecture are called by their own paths: /usr/bin/wine would choose the
# 32-bit loader whenever it is installed, even on a host that cannot run it.
corvanell_wine_env() {
    root=$1
    export WINEPREFIX="$root/prefix"
    if [ -f "$root/arch" ]; then
        WINEARCH=$(cat "$root/arch")
    else
        WINEARCH=${CORVANELL_WINE_ARCH:-win32}
    fi
    export WINEARCH
    case "$WINEARCH" in
        win64)
            export WINELOADER=/usr/lib/wine/wine64
            export WINESERVER=/usr/lib/wine/wineserver64 ;;
        *)
            export WINELOADER=/usr/lib/wine/wine
            export WINESERVER=/usr/lib/wine/wineserver32 ;;
    esac
    export WINEDEBUG=-all
    # No Mono or Gecko: their install prompts would wait for a click.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    if [ -f "$root/display" ]; then
        DISPLAY=$(cat "$root/display")
        export DISPLAY
    fi
}

# A Windows program, and the server, of the prefix's architecture.
wine() { "$WINELOADER" "$@"; }
wineserver() { "$WINESERVER" "$@"; }
