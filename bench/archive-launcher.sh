# Sourced by the benchmarks that need a launcher built around a random
# archive of a given size (made here, not kept): bench/extract.sh and
# bench/chunk_write.sh share its folder, archive and build.
# corvanell_archive_launcher TOP BYTES TARGET...: sets work, archive and
# env_root, builds Corvanell and the targets named, and sets up a private
# Wine prefix that is torn down on exit.
corvanell_archive_launcher() {
    local top=$1 bytes=$2
    shift 2
    . "$top/tools/host-arch.sh"
    corvanell_bench_arch "$top"
    work=$top/build-bench/extract-$bytes$bench_suffix
    mkdir -p "$work/run"
    archive=$work/archive.jar
    if [ ! -f "$archive" ] || [ "$(stat -c %s "$archive")" != "$bytes" ]; then
        head -c "$bytes" /dev/urandom >"$archive"
    fi
    # shellcheck disable=SC2086
    cmake -S "$top" -B "$work/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$bench_toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DCORVANELL_INSTALLER_JAR="$archive" \
        ${CORVANELL_BENCH_CMAKE_ARGS:-} >/dev/null
    cmake --build "$work/build" --target Corvanell "$@"
    env_root=$work/env
    # shellcheck disable=SC2064
    trap "'$top/tests/wine/testenv.sh' teardown '$env_root' >/dev/null 2>&1 || true" EXIT
    "$top/tests/wine/testenv.sh" setup "$env_root" >/dev/null
}

# A Unix path as Wine's Z: drive spells it.
win() { echo "Z:${1//\//\\}"; }
