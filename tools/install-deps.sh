#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian machine, as root.
# Safe to run again: it only installs what is missing.
set -euo pipefail

packages=(
  cmake ninja-build make
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  googletest
  default-jdk-headless
  wine wine32:i386
  xvfb x11-utils xauth
  nsis icoutils python3-pefile python3-pil
  fonts-dejavu-core
  clang-14 libclang-rt-14-dev
  imagemagick
  lld
  osslsigncode openssl
)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need_update=1
fi

missing=()
for p in "${packages[@]}"; do
  name=${p%%:*}
  arch=${p#*:}
  [ "$arch" = "$p" ] && arch=""
  if [ -n "$arch" ]; then
    status=$(dpkg-query -W -f='${Status}' "$name:$arch" 2>/dev/null || true)
  else
    status=$(dpkg-query -W -f='${Status}' "$name" 2>/dev/null || true)
  fi
  case "$status" in
    *"install ok installed"*) ;;
    *) missing+=("$p") ;;
  esac
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
