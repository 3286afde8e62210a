#!/usr/bin/env bash
# Installs the Debian 12 packages the Windows build and its checks need: the MinGW-w64 cross compiler,
# Qt's host tools and German texts (the cross build of Qt uses them), Wine, NSIS, and what the window check
# under Xvfb uses. The source of Debian's Qt is fetched by scripts/build-windows-qt.sh.
set -euo pipefail
packages=(cmake ninja-build dpkg-dev g++-mingw-w64-x86-64-posix qt6-base-dev-tools qt6-translations-l10n
          wine wine64 nsis zip xvfb imagemagick xdotool python3 fonts-dejavu-core)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
