#!/usr/bin/env bash
# Mounts the folders the extract-mode failure tests write into: a read-only
# one holding an earlier Corvanell.jar; a 1 MiB disk that a larger archive
# fills; and a 64 KiB disk that is full already, holding a 4-byte
# Corvanell.jar and, in "space", the file that fills it. Root ignores file
# permissions, so only a read-only or full file system makes a write fail.
# usage: mounts.sh setup|teardown TEST_ROOT
set -euo pipefail
action=$1
root=$2
readonly_dir=$root/readonly
small_dir=$root/smalldisk
full_dir=$root/fulldisk

teardown() {
    for dir in "$readonly_dir" "$small_dir" "$full_dir"; do
        if mountpoint -q "$dir"; then umount "$dir"; fi
    done
}

case "$action" in
setup)
    teardown
    mkdir -p "$readonly_dir" "$small_dir" "$full_dir"
    mount -t tmpfs -o size=1m tmpfs "$readonly_dir"
    printf 'an earlier Corvanell.jar' >"$readonly_dir/Corvanell.jar"
    mount -o remount,ro "$readonly_dir"
    mount -t tmpfs -o size=1m tmpfs "$small_dir"
    mount -t tmpfs -o size=64k tmpfs "$full_dir"
    printf 'old!' >"$full_dir/Corvanell.jar"
    mkdir "$full_dir/space"
    dd if=/dev/zero of="$full_dir/space/filler" bs=1k 2>/dev/null || true
    if printf 'x' >>"$full_dir/space/filler" 2>/dev/null; then
        echo "mounts.sh: $full_dir is not full" >&2
        exit 1
    fi
    ;;
teardown) teardown ;;
*) echo "usage: mounts.sh setup|teardown TEST_ROOT" >&2; exit 2 ;;
esac
