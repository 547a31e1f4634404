#!/usr/bin/env bash
# Builds the host fuzz targets with clang and runs each for a short time,
# starting from the seed corpus in fuzz/corpus/<target>/.
# usage: run_fuzz.sh WORK_FOLDER
# CORVANELL_FUZZ_SECONDS sets the time per target (20 by default).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$1
seconds=${CORVANELL_FUZZ_SECONDS:-20}
compiler=${CORVANELL_FUZZ_CXX:-clang++-14}

cmake -S "$here" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER="$compiler" >"$work.configure.log" 2>&1 \
    || { cat "$work.configure.log" >&2; exit 1; }
cmake --build "$work/build" >"$work.build.log" 2>&1 || { cat "$work.build.log" >&2; exit 1; }

status=0
for target in parse_version scan_version_output search_text; do
    # New inputs go to a corpus in the work folder, never into the sources.
    corpus=$work/corpus/$target
    artifacts=$work/artifacts/$target
    mkdir -p "$corpus" "$artifacts"
    log=$work/$target.log
    echo "fuzz: $target for $seconds s"
    if "$work/build/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$artifacts/" "$corpus" "$here/corpus/$target" >"$log" 2>&1; then
        grep -E '^stat::number_of_executed_units|^Done [0-9]+ runs' "$log" || true
    else
        echo "fuzz: $target found a failure; inputs in $artifacts" >&2
        tail -n 60 "$log" >&2
        status=1
    fi
done
exit $status
