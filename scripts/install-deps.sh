#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests, the demo, the package and the fuzz targets need.
set -euo pipefail
packages=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
          qt6-translations-l10n python3-pyftpdlib clang-format xvfb xauth imagemagick
          dpkg-dev file lintian desktop-file-utils appstream
          clang libclang-rt-14-dev)
missing=()
packages+=(iproute2) # network namespaces of the wire test
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
