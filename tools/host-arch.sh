# Sourced by the scripts in tools/ and bench/: what this host can run.
#
# corvanell_host_runs_32bit succeeds when the host runs 32-bit x86 Linux
# programs, as Wine's 32-bit loader is one. Some kernels have IA-32 emulation
# switched off; there every 32-bit program fails with "Exec format error".
# The probe is a 91-byte static 32-bit program that only exits with 0, written
# here, so it needs no 32-bit library on the machine.
#
# CORVANELL_NO_32BIT=1 takes the path of a host without 32-bit support even
# where the host has it.
corvanell_host_runs_32bit() {
    case "${CORVANELL_NO_32BIT:-0}" in
        0|"") ;;
        *) return 1 ;;
    esac
    local probe status
    probe=$(mktemp /tmp/corvanell-i386-probe.XXXXXX) || return 1
    # ELF header: 32-bit, little-endian, executable, i386, entry 0x08048054.
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' >"$probe"
    printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' >>"$probe"
    printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00' >>"$probe"
    # One loadable segment: the whole file at 0x08048000, readable and executable.
    printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' >>"$probe"
    printf '\x5b\x00\x00\x00\x5b\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' >>"$probe"
    # xor ebx, ebx; xor eax, eax; inc eax; int 0x80: exit(0).
    printf '\x31\xdb\x31\xc0\x40\xcd\x80' >>"$probe"
    chmod +x "$probe"
    "$probe" >/dev/null 2>&1
    status=$?
    rm -f "$probe"
    return $status
}

# The Windows architecture whose Wine tests this host runs: win32 or win64.
corvanell_wine_arch() {
    if corvanell_host_runs_32bit; then echo win32; else echo win64; fi
}

# What a benchmark builds and runs here: the 32-bit product where the host
# runs it, else the 64-bit twin. Sets bench_preset, bench_build (the preset's
# folder), bench_toolchain, bench_nsis_args (the runtime package's target),
# bench_suffix (for the benchmark's own folders) and CORVANELL_WINE_ARCH (for
# the Wine prefix), and prints the architecture measured.
# CORVANELL_BENCH_CMAKE_ARGS, when set, are further configure arguments of a
# variant; the suffix names them, so that variants do not rebuild each other.
corvanell_bench_arch() {
    local top=$1
    if corvanell_host_runs_32bit; then
        bench_preset=default
        bench_build=$top/build
        bench_toolchain=$top/cmake/mingw-i686.cmake
        bench_nsis_args=()
        export CORVANELL_WINE_ARCH=win32
        echo "architecture: i686, the 32-bit product under 32-bit Wine"
    else
        bench_preset=x64
        bench_build=$top/build-x64
        bench_toolchain=$top/cmake/mingw-x86_64.cmake
        bench_nsis_args=(-DAMD64)
        export CORVANELL_WINE_ARCH=win64
        echo "architecture: x86_64, the 64-bit twin under 64-bit Wine (this host cannot run 32-bit programs)"
    fi
    bench_suffix=-$CORVANELL_WINE_ARCH
    if [ -n "${CORVANELL_BENCH_CMAKE_ARGS:-}" ]; then
        bench_suffix=$bench_suffix-$(echo "$CORVANELL_BENCH_CMAKE_ARGS" | sed 's/-D//g' | tr -c 'A-Za-z0-9=\n' '_' | tr '=' '-')
        echo "variant: $CORVANELL_BENCH_CMAKE_ARGS"
    fi
}
