#!/usr/bin/env bash
# A payload that is missing or empty, or a version that is not one, stops the
# configuration with a message that names its variable. Configures the source tree in a scratch folder, once per case.
# usage: configure_errors.sh SOURCE_DIR TOOLCHAIN_FILE SCRATCH_DIR
set -uo pipefail
source=$1
toolchain=$2
scratch=$3
rm -rf "$scratch"
mkdir -p "$scratch/build"
: > "$scratch/empty.jar"
: > "$scratch/empty.exe"
failures=0

# expect_error DESCRIPTION EXPECTED_TEXT CMAKE_ARGS...
expect_error() {
    local what=$1 expected=$2
    shift 2
    local output
    output=$(cmake -S "$source" -B "$scratch/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
                   -DBUILD_TESTING=OFF "$@" 2>&1)
    local status=$?
    # CMake wraps long messages: compare with the lines joined again.
    output=$(tr '\n' ' ' <<<"$output" | tr -s ' ')
    if [ $status -eq 0 ]; then
        echo "FAIL $what: the configuration succeeded"
        failures=$((failures + 1))
    elif ! grep -qF -- "$expected" <<<"$output"; then
        echo "FAIL $what: no \"$expected\" in:"
        echo "$output"
        failures=$((failures + 1))
    else
        echo "ok   $what: $expected"
    fi
}

expect_error "missing runtime package" "CORVANELL_RUNTIME_PACKAGE: payload file not found: $scratch/no-jre.exe" \
    -DCORVANELL_RUNTIME_PACKAGE="$scratch/no-jre.exe" -UCORVANELL_INSTALLER_JAR
expect_error "empty runtime package" "CORVANELL_RUNTIME_PACKAGE: payload file is empty: $scratch/empty.exe" \
    -DCORVANELL_RUNTIME_PACKAGE="$scratch/empty.exe"
expect_error "missing installer archive" "CORVANELL_INSTALLER_JAR: payload file not found: $scratch/no.jar" \
    -UCORVANELL_RUNTIME_PACKAGE -DCORVANELL_INSTALLER_JAR="$scratch/no.jar"
expect_error "empty installer archive" "CORVANELL_INSTALLER_JAR: payload file is empty: $scratch/empty.jar" \
    -UCORVANELL_RUNTIME_PACKAGE -DCORVANELL_INSTALLER_JAR="$scratch/empty.jar"
expect_error "installer archive set to nothing" "CORVANELL_INSTALLER_JAR is empty" \
    -UCORVANELL_RUNTIME_PACKAGE -DCORVANELL_INSTALLER_JAR=
expect_error "runtime package set to nothing" "CORVANELL_RUNTIME_PACKAGE is empty" \
    -DCORVANELL_RUNTIME_PACKAGE= -UCORVANELL_INSTALLER_JAR
expect_error "version of five numbers" "CORVANELL_VERSION must be one to four numbers separated by dots" \
    -UCORVANELL_RUNTIME_PACKAGE -UCORVANELL_INSTALLER_JAR -DCORVANELL_VERSION=1.2.3.4.5
expect_error "version number too large" "CORVANELL_VERSION: each number must be at most 65535, not 65536" \
    -DCORVANELL_VERSION=1.65536

rm -rf "$scratch"
exit $((failures > 0))
