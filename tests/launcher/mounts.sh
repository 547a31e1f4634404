#!/usr/bin/env bash
# Mounts the two folders the extract-mode failure tests write into: a
# read-only one holding an earlier Corvanell.jar, and a 1 MiB disk that a
# larger archive fills. Root ignores file permissions, so only a read-only
# or full file system makes a write fail.
# usage: mounts.sh setup|teardown TEST_ROOT
set -euo pipefail
action=$1
root=$2
readonly_dir=$root/readonly
small_dir=$root/smalldisk

teardown() {
    for dir in "$readonly_dir" "$small_dir"; do
        if mountpoint -q "$dir"; then umount "$dir"; fi
    done
}

case "$action" in
setup)
    teardown
    mkdir -p "$readonly_dir" "$small_dir"
    mount -t tmpfs -o size=1m tmpfs "$readonly_dir"
    printf 'an earlier Corvanell.jar' >"$readonly_dir/Corvanell.jar"
    mount -o remount,ro "$readonly_dir"
    mount -t tmpfs -o size=1m tmpfs "$small_dir"
    ;;
teardown) teardown ;;
*) echo "usage: mounts.sh setup|teardown TEST_ROOT" >&2; exit 2 ;;
esac
