#!/usr/bin/env bash
# Builds the launcher with the demo payloads and runs it under Wine, in a
# private Wine prefix, from a scratch folder. On a machine with a working
# display the splash opens there; without one the run gets a private Xvfb
# and a screenshot of the splash is saved as build/demo-splash.png.
#
# The product is the 32-bit build/Corvanell.exe, always built. A host that
# cannot run 32-bit programs (or CORVANELL_NO_32BIT=1) runs the 64-bit build
# of the same sources, build-x64/Corvanell.exe, under a 64-bit Wine instead.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
. tools/host-arch.sh
bash tools/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target Corvanell standin_where

if corvanell_host_runs_32bit; then
    build=$top/build
    export CORVANELL_WINE_ARCH=win32
else
    echo "== This host cannot run 32-bit programs: the 64-bit build of the same sources runs instead (build-x64/Corvanell.exe under 64-bit Wine); the 32-bit product is build/Corvanell.exe"
    cmake --preset x64 >/dev/null
    cmake --build --preset x64 --target Corvanell standin_where
    build=$top/build-x64
    export CORVANELL_WINE_ARCH=win64
fi

env_root=$top/build/demo-env
run_dir=$top/build/demo-run
screenshot=$top/build/demo-splash.png
trap 'tests/wine/testenv.sh teardown "$env_root" >/dev/null 2>&1 || true' EXIT
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    export CORVANELL_TESTENV_DISPLAY=$DISPLAY
    screenshot=
fi
CORVANELL_PREFIX_PROGRAMS=$build/tests/fixtures/where/where.exe \
    tests/wine/testenv.sh setup "$env_root" >/dev/null
rm -rf "$run_dir" "$top/build/demo-splash.png"
mkdir -p "$run_dir"

# The demo runtime (its java.exe and javaw.exe) records how it was started here.
export CORVANELL_STANDIN_RECORD=$run_dir/installer-runs.txt
echo "== $build/Corvanell.exe ($CORVANELL_WINE_ARCH), started in $run_dir"
set +e
(cd "$run_dir" && "$top/tests/wine/wine-run" "$env_root" "$build/Corvanell.exe") \
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
