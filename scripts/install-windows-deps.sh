#!/usr/bin/env bash
# Installs the Debian 12 packages the Windows build and its checks need: the MinGW-w64 cross compiler,
# Qt's host tools and German texts (the cross build of Qt uses them), Wine, NSIS, and what the window check
# under Xvfb uses. The source of Debian's Qt is fetched by scripts/build-windows-qt.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
exec scripts/apt-install.sh cmake ninja-build dpkg-dev g++-mingw-w64-x86-64-posix qt6-base-dev-tools \
  qt6-translations-l10n wine wine64 nsis zip xvfb imagemagick xdotool python3 fonts-dejavu-core
