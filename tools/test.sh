#!/usr/bin/env bash
# Installs what is missing, builds the 32-bit launcher and its 64-bit twin,
# and runs every test this host can run. Extra arguments go to both ctest
# runs (for example -R extract).
#
# A host that runs 32-bit x86 programs runs the whole suite on the 32-bit
# build under a 32-bit Wine, and again on the twin under a 64-bit Wine. A
# host that cannot (or CORVANELL_NO_32BIT=1) checks the 32-bit product from
# outside only (PE header, imports, resources, payloads, the Linux-side
# tests) and runs every Wine test on the twin.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
. tools/host-arch.sh
bash tools/install-deps.sh

cmake --preset default >/dev/null
cmake --build --preset default
cmake --preset x64 >/dev/null
cmake --build --preset x64

if corvanell_host_runs_32bit; then
    only_outside=()
    echo "test.sh: this host runs 32-bit programs: every test on the 32-bit Corvanell.exe under 32-bit Wine, then every Wine test on the 64-bit twin under 64-bit Wine"
else
    only_outside=(-LE wine)
    echo "test.sh: this host cannot run 32-bit programs: the 32-bit Corvanell.exe is built and checked from outside (ctest -LE wine), every Wine test runs on the 64-bit twin under 64-bit Wine"
fi

logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
status=0
echo "== 32-bit build (build/)"
ctest --preset default "${only_outside[@]}" "$@" 2>&1 | tee "$logs/32" || status=1
echo "== 64-bit twin (build-x64/)"
ctest --preset x64 "$@" 2>&1 | tee "$logs/64" || status=1

# One closing line over both runs, from ctest's own counts.
passed=0
failed=0
for log in "$logs/32" "$logs/64"; do
    line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)
    if [ -z "$line" ]; then
        status=1
        continue
    fi
    f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    n=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
    passed=$((passed + n - f))
    failed=$((failed + f))
done
[ "$failed" -eq 0 ] || status=1
echo "tests: $passed passed, $failed failed"
exit $status
