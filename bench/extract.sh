#!/usr/bin/env bash
# Extraction benchmark: a launcher built with a 405,452,009-byte archive (made
# here, random, not kept) is timed in extract mode against CopyFileA of the
# same file under the same Wine, and its private memory is watched.
# usage: bench/extract.sh [RUNS] [ARCHIVE_BYTES]
# It measures the 32-bit product where the host runs it, else the 64-bit twin
# (tools/host-arch.sh); CORVANELL_BENCH_CMAKE_ARGS adds configuration options
# (for example -DCORVANELL_FILE_ALIGNMENT=512).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-5}
bytes=${2:-405452009}
. "$top/tools/host-arch.sh"
corvanell_bench_arch "$top"
work=$top/build-bench/extract-$bytes$bench_suffix
mkdir -p "$work"
archive=$work/archive.jar
if [ ! -f "$archive" ] || [ "$(stat -c %s "$archive")" != "$bytes" ]; then
    head -c "$bytes" /dev/urandom >"$archive"
fi
# shellcheck disable=SC2086
cmake -S "$top" -B "$work/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$bench_toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DCORVANELL_INSTALLER_JAR="$archive" \
    ${CORVANELL_BENCH_CMAKE_ARGS:-} >/dev/null
cmake --build "$work/build" --target Corvanell extract_bench

env_root=$work/env
trap '"$top/tests/wine/testenv.sh" teardown "$env_root" >/dev/null 2>&1 || true' EXIT
"$top/tests/wine/testenv.sh" setup "$env_root" >/dev/null
mkdir -p "$work/run"
win() { echo "Z:${1//\//\\}"; }
"$top/tests/wine/wine-run" "$env_root" "$work/build/bench/extract_bench.exe" \
    "$(win "$work/build/Corvanell.exe")" "$(win "$archive")" "$(win "$work/run")" "$runs"
