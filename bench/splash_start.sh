#!/usr/bin/env bash
# Times the start of the splash window against a plain 420 x 300 window under
# Wine, on a private Xvfb display and Wine prefix of its own, and the cost of
# one repaint.
# usage: bench/splash_start.sh [RUNS]      (default 15)
set -euo pipefail
source=$(cd "$(dirname "$0")/.." && pwd)
. "$source/tools/host-arch.sh"
corvanell_bench_arch "$source"
build=$bench_build
runs=${1:-15}
(cd "$source" && cmake --preset "$bench_preset" >/dev/null)
cmake --build "$build" --target bench_splash >/dev/null
root=$build/bench-env
"$source/tests/wine/testenv.sh" setup "$root" >/dev/null
trap '"$source/tests/wine/testenv.sh" teardown "$root"' EXIT
win() { printf 'Z:%s' "$1" | tr / '\\'; }
"$source/tests/wine/wine-run" "$root" "$build/bench/bench_splash_start.exe" \
    "$(win "$build/bench/bench_splash_child.exe")" "$(win "$build/bench/bench_baseline_child.exe")" \
    "$(win "$root/repaints.txt")" "$runs"
