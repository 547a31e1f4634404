#!/usr/bin/env bash
# Measures the packaging of release-sized payloads: the link of Corvanell.exe
# with LLD (without the payloads) and its finishing (debug split, the chunks
# written into its resource section with the checksum, the report), against
# a plain copy of the same bytes; then a rebuild with the payloads unchanged,
# which must package nothing.
# usage: bench/packaging.sh [WORK_DIR]     (default: build-bench in the source tree)
set -euo pipefail
source=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-$source/build-bench}
runtime_size=49325978
archive_size=405452009

# Packaging only builds: it measures the 32-bit product on any host.
echo "architecture: i686, the 32-bit product (built, not run)"
mkdir -p "$work/payloads"
runtime=$work/payloads/jre.exe
archive=$work/payloads/Corvanell.jar
# Incompressible payloads of the release sizes, made once and kept.
for pair in "$runtime:$runtime_size" "$archive:$archive_size"; do
    file=${pair%%:*}
    size=${pair##*:}
    if [ ! -f "$file" ] || [ "$(stat -c %s "$file")" != "$size" ]; then
        head -c "$size" /dev/urandom > "$file"
    fi
done

seconds() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }

# The plain copy: the same bytes written once more.
rm -rf "$work/copy"
mkdir -p "$work/copy"
start=$(seconds)
cp "$runtime" "$archive" "$work/copy/"
sync -f "$work/copy"
copy_time=$(elapsed "$start" "$(seconds)")
rm -rf "$work/copy"

# Everything but the launcher itself is built first, so that the timed build
# does the packaging and nothing else.
build=$work/build
cmake -S "$source" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$source/cmake/mingw-i686.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
      -DCORVANELL_RUNTIME_PACKAGE="$runtime" -DCORVANELL_INSTALLER_JAR="$archive" > /dev/null
cmake --build "$build" --target corvanell_core corvanell_demo_installer corvanell_demo_runtime > /dev/null
ninja -C "$build" CMakeFiles/Corvanell.dir/launcher/main.cpp.obj CMakeFiles/Corvanell.dir/resources/resources.rc.res \
      CMakeFiles/Corvanell.dir/corvanell_version.rc.res > /dev/null
rm -f "$build/Corvanell.exe" "$build/Corvanell.packaged.txt"

start=$(seconds)
cmake --build "$build" --target Corvanell > /dev/null
sync -f "$build"
package_time=$(elapsed "$start" "$(seconds)")

# The steps one by one, from ninja's log (start and end in milliseconds).
step() {
    awk -v out="$1" '$4 == out { t = ($2 - $1) / 1000 } END { printf "%.2f", t }' "$build/.ninja_log"
}
link_time=$(step Corvanell.exe)

start=$(seconds)
rebuild=$(cmake --build "$build" --target Corvanell)
rebuild_time=$(elapsed "$start" "$(seconds)")

exe_size=$(stat -c %s "$build/Corvanell.exe")
added=$(awk -v p="$package_time" -v c="$copy_time" 'BEGIN { printf "%.2f", p - c }')
cat <<REPORT
payloads: $runtime_size + $archive_size bytes; Corvanell.exe: $exe_size bytes
plain copy of the payloads:   ${copy_time} s
packaging, whole:             ${package_time} s
  link and finishing:         ${link_time} s
added by the packaging:       ${added} s (goal: at most 3 s)
rebuild, payloads unchanged:  ${rebuild_time} s: $(tail -n 1 <<<"$rebuild")
REPORT
cat "$build/Corvanell.packaged.txt"
if ! grep -q "no work to do" <<<"$rebuild"; then
    echo "packaging: the rebuild with unchanged payloads did work" >&2
    exit 1
fi
