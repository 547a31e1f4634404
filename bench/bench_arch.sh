# Sourced by the benchmark scripts: the architecture they build and run.
# CORVANELL_BENCH_ARCH=x64 chooses the 64-bit twin and a 64-bit Wine prefix;
# the default is the 32-bit product. CORVANELL_BENCH_CMAKE_ARGS, when set,
# names a build folder of its own so that variants do not rebuild each other.
case "${CORVANELL_BENCH_ARCH:-x86}" in
    x86)
        bench_toolchain=$top/cmake/mingw-i686.cmake
        bench_preset=default
        bench_preset_dir=build
        bench_nsis_args=()
        export CORVANELL_WINE_ARCH=win32
        bench_suffix=
        ;;
    x64)
        bench_toolchain=$top/cmake/mingw-x86_64.cmake
        bench_preset=x64
        bench_preset_dir=build-x64
        bench_nsis_args=(-DAMD64)
        export CORVANELL_WINE_ARCH=win64
        bench_suffix=-x64
        ;;
    *)
        echo "CORVANELL_BENCH_ARCH must be x86 or x64, not $CORVANELL_BENCH_ARCH" >&2
        exit 2
        ;;
esac
if [ -n "${CORVANELL_BENCH_CMAKE_ARGS:-}" ]; then
    bench_suffix=$bench_suffix-$(echo "$CORVANELL_BENCH_CMAKE_ARGS" | sed 's/-D//g' | tr -c 'A-Za-z0-9=\n' '_' | tr '=' '-')
fi
