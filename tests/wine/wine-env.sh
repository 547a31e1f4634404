# Sourced by the test scripts: the private Wine prefix and display of one
# test run, kept under the test root given as $1 to the caller.
corvanell_wine_env() {
    root=$1
    export WINEPREFIX="$root/prefix"
    export WINEARCH=win32
    export WINEDEBUG=-all
    # No Mono or Gecko: their install prompts would wait for a click.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    if [ -f "$root/display" ]; then
        DISPLAY=$(cat "$root/display")
        export DISPLAY
    fi
}
