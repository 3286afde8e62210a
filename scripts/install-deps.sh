#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests, the demo, the package and the fuzz targets need.
set -euo pipefail
cd "$(dirname "$0")/.."
packages=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
          qt6-translations-l10n python3-pyftpdlib clang-format xvfb xauth imagemagick
          dpkg-dev file lintian desktop-file-utils appstream
          clang libclang-rt-14-dev)
packages+=(iproute2) # network namespaces of the wire test
exec scripts/apt-install.sh "${packages[@]}"
