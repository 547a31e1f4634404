#!/usr/bin/env bash
# Java search benchmark: a search in which only PATH holds a runtime, against
# the probe and the "where" command it runs, each timed alone, under Wine.
# usage: bench/search.sh [RUNS]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-9}
cd "$top"
. tools/host-arch.sh
corvanell_bench_arch "$top"
cmake --preset "$bench_preset" >/dev/null
cmake --build --preset "$bench_preset" --target search_bench standin_java standin_where
work=$top/build-bench/search-$CORVANELL_WINE_ARCH
env_root=$work/env
rm -rf "$work/home"
mkdir -p "$work/home/bin"
cp "$bench_build"/tests/fixtures/standins/standin_java/java.exe "$work/home/bin/"
trap 'tests/wine/testenv.sh teardown "$env_root" >/dev/null 2>&1 || true' EXIT
CORVANELL_PREFIX_PROGRAMS=$bench_build/tests/fixtures/where/where.exe tests/wine/testenv.sh setup "$env_root" >/dev/null
home_win="Z:$(echo "$work/home" | sed 's|/|\\|g')"
tests/wine/wine-run "$env_root" "$bench_build/bench/search_bench.exe" "$home_win" "$runs"
