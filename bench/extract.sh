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
. "$top/bench/archive-launcher.sh"
corvanell_archive_launcher "$top" "${2:-405452009}" extract_bench
"$top/tests/wine/wine-run" "$env_root" "$work/build/bench/extract_bench.exe" \
    "$(win "$work/build/Corvanell.exe")" "$(win "$archive")" "$(win "$work/run")" "$runs"
