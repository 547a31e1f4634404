#!/usr/bin/env bash
# Chunk-write benchmark: the archive's chunks written out of the launcher's
# mapped image in one write per chunk and in writes of 256 KiB, against
# CopyFileA of the archive, under Wine in a private prefix.
# usage: bench/chunk_write.sh [RUNS] [ARCHIVE_BYTES] [PAUSE_MS]
# PAUSE_MS: a pause before each write (default 0).
# It shares the launcher build and the archive of bench/extract.sh and
# measures the same architecture.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-5}
. "$top/bench/archive-launcher.sh"
corvanell_archive_launcher "$top" "${2:-405452009}" chunk_write_bench
"$top/tests/wine/wine-run" "$env_root" "$work/build/bench/chunk_write_bench.exe" \
    "$(win "$work/build/Corvanell.exe")" "$(win "$archive")" "$(win "$work/run")" "$runs" "${3:-0}"
