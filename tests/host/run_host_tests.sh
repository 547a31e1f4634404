#!/usr/bin/env bash
# Builds the pure-logic tests for this Linux host with the sanitizers and runs
# them. usage: run_host_tests.sh WORK_FOLDER [GTEST_ARGS...]
# CORVANELL_HOST_CXX names the compiler (g++ by default).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$1
shift
compiler=${CORVANELL_HOST_CXX:-g++}

cmake -S "$here" -B "$work" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER="$compiler" >"$work.configure.log" 2>&1 \
    || { cat "$work.configure.log" >&2; exit 1; }
cmake --build "$work" >"$work.build.log" 2>&1 || { cat "$work.build.log" >&2; exit 1; }
# Any sanitizer report ends the run with a failure.
export ASAN_OPTIONS=abort_on_error=0:detect_leaks=1:halt_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
exec "$work/corvanell_host_tests" "$@"
