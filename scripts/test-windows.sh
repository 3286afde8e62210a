#!/usr/bin/env bash
# Cross-compiles the Windows pieces (platform/) and their test program for 64-bit Windows and runs the
# test under Wine, in a Wine prefix of its own that is removed afterwards.
#
#   scripts/test-windows.sh [--no-install] [build folder]
#
# Without --no-install the cross compiler and Wine are installed first (Debian packages). With it, a
# missing tool ends the script with 77, which CTest counts as skipped.
set -euo pipefail
cd "$(dirname "$0")/.."

install=1
if [ "${1:-}" = "--no-install" ]; then
  install=0
  shift
fi
out=${1:-build/windows}

cxx=x86_64-w64-mingw32-g++
if [ $install -eq 1 ]; then
  missing=()
  for p in g++-mingw-w64-x86-64 wine wine64; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
fi
if ! command -v "$cxx" >/dev/null || ! command -v wine >/dev/null; then
  echo "skipped: $cxx or wine is not installed (scripts/test-windows.sh installs them)"
  exit 77
fi

mkdir -p "$out"
# Static: the program needs no DLL from the compiler, so Wine runs it as it stands.
"$cxx" -std=c++20 -O1 -Wall -Wextra -Werror -static -I. \
  platform/FolderProbe.cpp platform/RegistryValue.cpp tests/windows/tst_platform.cpp \
  -ladvapi32 -o "$out/tst_platform.exe"

prefix=$(mktemp -d /tmp/kelvora-wine.XXXXXX)
trap 'WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true; rm -rf "$prefix"' EXIT
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# The first start of a prefix sets it up; that is most of the time this takes.
timeout 170 wine "$out/tst_platform.exe"
