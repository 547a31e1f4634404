#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian machine, as root.
# Safe to run again: it only installs what is missing.
#
# Every host gets both cross compilers and the 64-bit Wine. Only a host that
# runs 32-bit x86 programs gets the i386 architecture and the 32-bit Wine:
# where that loader cannot run, /usr/bin/wine would still pick it and fail.
set -euo pipefail
. "$(dirname "$0")/host-arch.sh"

packages=(
  cmake ninja-build make g++
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  googletest
  default-jdk-headless
  wine wine64
  xvfb x11-utils xauth
  nsis icoutils python3-pefile python3-pil
  fonts-dejavu-core
  clang-14 libclang-rt-14-dev
  imagemagick
  lld
  osslsigncode openssl
)

need_update=0
if corvanell_host_runs_32bit; then
  packages+=(wine32:i386)
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    need_update=1
  fi
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  case "$status" in
    *"install ok installed"*) ;;
    *) missing+=("$p") ;;
  esac
done

if [ ${#missing[@]} -gt 0 ] || [ "$need_update" = 1 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
