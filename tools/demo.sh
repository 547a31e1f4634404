#!/usr/bin/env bash
# Builds the launcher with the demo payloads and runs it under Wine, in a
# private Wine prefix, from a scratch folder. On a machine with a working
# display the splash opens there; without one the run gets a private Xvfb
# and a screenshot of the splash is saved as build/demo-splash.png.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash tools/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target Corvanell standin_where

env_root=$top/build/demo-env
run_dir=$top/build/demo-run
screenshot=$top/build/demo-splash.png
trap 'tests/wine/testenv.sh teardown "$env_root" >/dev/null 2>&1 || true' EXIT
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    export CORVANELL_TESTENV_DISPLAY=$DISPLAY
    screenshot=
fi
CORVANELL_PREFIX_PROGRAMS=$top/build/tests/fixtures/where/where.exe \
    tests/wine/testenv.sh setup "$env_root" >/dev/null
rm -rf "$run_dir" "$top/build/demo-splash.png"
mkdir -p "$run_dir"

# The demo runtime (its java.exe and javaw.exe) records how it was started here.
export CORVANELL_STANDIN_RECORD=$run_dir/installer-runs.txt
echo "== Corvanell.exe, started in $run_dir"
set +e
(cd "$run_dir" && "$top/tests/wine/wine-run" "$env_root" "$top/build/Corvanell.exe") \
    >"$run_dir/stdout.txt" 2>"$run_dir/stderr.txt" &
launcher=$!
if [ -n "$screenshot" ]; then
    # The splash shows its first step for about a second after it opens.
    sleep 1.5
    import -display "$(cat "$env_root/display")" -window root -crop 420x300+750+390 +repage "$screenshot" 2>/dev/null
fi
wait "$launcher"
status=$?
set -e
echo "== trace (standard output):"
cat "$run_dir/stdout.txt"
echo "== standard error:"
cat "$run_dir/stderr.txt"
echo "== exit code: $status"
echo "== runs of the demo runtime (working folder, command line):"
cut -f4- "$run_dir/installer-runs.txt" 2>/dev/null | grep -v '^$' | sed 's/\t/  command line: /' || echo "   none"
temp=$env_root/prefix/drive_c/users/root/Temp
echo "== left in the temporary folder: $(ls "$temp" 2>/dev/null | grep -c '^Corvanell-' || true) work folder(s)"
[ -n "$screenshot" ] && [ -f "$screenshot" ] && echo "== splash screenshot: $screenshot"
exit "$status"
