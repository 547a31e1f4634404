#!/usr/bin/env bash
# Builds the launcher with the demo payloads and runs it under Wine, in a
# private prefix and on a private X display, from a scratch folder.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash tools/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target Corvanell

env_root=$top/build/demo-env
run_dir=$top/build/demo-run
trap 'tests/wine/testenv.sh teardown "$env_root" >/dev/null 2>&1 || true' EXIT
tests/wine/testenv.sh setup "$env_root" >/dev/null
rm -rf "$run_dir"
mkdir -p "$run_dir"

echo "== Corvanell.exe -x, in $run_dir"
set +e
(cd "$run_dir" && "$top/tests/wine/wine-run" "$env_root" "$top/build/Corvanell.exe" -x)
status=$?
set -e
echo "== exit code: $status"
echo "== written:"
ls -l "$run_dir"
if [ -f "$run_dir/Corvanell.jar" ]; then
    packaged=$(sed -n 's/^JAR_n (JAR): //p' build/Corvanell.packaged.txt)
    echo "   sha256 of Corvanell.jar: $(sha256sum <"$run_dir/Corvanell.jar" | cut -d' ' -f1)"
    echo "   sha256 of $packaged: $(sha256sum <"$packaged" | cut -d' ' -f1)"
fi
exit "$status"
