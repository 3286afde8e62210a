#!/usr/bin/env bash
# Builds Qt for 64-bit Windows from the source of the Debian release this machine runs, with the Debian
# cross compiler, and installs it into a versioned folder that later runs reuse:
#
#   scripts/build-windows-qt.sh            prints the folder (building it first when it is missing)
#
# KELVORA_WINDOWS_QT names another folder. Only what the program uses is built: Core, Gui, Widgets,
# Network, Test, the Windows platform plugin and style, and the German Qt translation beside them.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
scripts/install-windows-deps.sh

version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools | sed 's/+.*//; s/-.*//')
prefix=${KELVORA_WINDOWS_QT:-/var/cache/kelvora/qt-$version-mingw-w64-x86_64}
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

# The build folder stays until Qt is installed, so that a build cut short goes on where it stopped.
work=$prefix.build
$SUDO mkdir -p "$work"
$SUDO chown "$(id -u):$(id -g)" "$work"
cd "$work"
ccache=()
command -v ccache >/dev/null && ccache=(-DQT_USE_CCACHE=ON)
# The source of Debian's own Qt: a deb-src entry beside the binary one, the same archive.
if ls qt6-base_*.dsc >/dev/null 2>&1; then
  :
elif ! apt-get source --download-only qt6-base >/dev/null 2>&1; then
  for list in /etc/apt/sources.list.d/debian.sources; do
    [ -f "$list" ] && ! grep -q '^Types:.*deb-src' "$list" && $SUDO sed -i 's/^Types: deb$/Types: deb deb-src/' "$list"
  done
  if [ -f /etc/apt/sources.list ] && grep -q '^deb ' /etc/apt/sources.list && ! grep -q '^deb-src ' /etc/apt/sources.list; then
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list | $SUDO tee -a /etc/apt/sources.list >/dev/null
  fi
  $SUDO apt-get update -qq
  apt-get source --download-only qt6-base >/dev/null 2>&1
fi
[ -d src ] || dpkg-source -x --skip-patches qt6-base_*.dsc src >/dev/null 2>&1
echo "Qt $version for Windows: configuring" >&2
cmake -S src -B build -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/packaging/windows/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_TOOLS_BY_DEFAULT=OFF \
  -DBUILD_SHARED_LIBS=ON "${ccache[@]}" \
  -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_opengl_dynamic=OFF -DFEATURE_dynamicgl=OFF \
  -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF -DFEATURE_xml=OFF -DFEATURE_concurrent=OFF \
  -DFEATURE_tabletevent=OFF -DFEATURE_vulkan=OFF -DFEATURE_system_zlib=OFF -DFEATURE_openssl=OFF \
  -DFEATURE_schannel=OFF -DFEATURE_icu=OFF -DFEATURE_sctp=OFF -DFEATURE_direct2d=OFF -DFEATURE_directwrite3=OFF -DFEATURE_gif=OFF \
  -DFEATURE_jpeg=OFF -DFEATURE_pdf=OFF -DFEATURE_textodfwriter=OFF -DFEATURE_textmarkdownreader=OFF \
  -DFEATURE_textmarkdownwriter=OFF -DFEATURE_testlib_selfcover=OFF -DFEATURE_networklistmanager=OFF \
  -DFEATURE_sessionmanager=OFF -DFEATURE_movie=OFF -DFEATURE_dtls=OFF -DFEATURE_ocsp=OFF \
  >configure.log 2>&1 || { tail -40 configure.log >&2; exit 1; }
echo "Qt $version for Windows: building (about 20 minutes on two cores, once per machine)" >&2
cmake --build build -j"$(nproc)" >build.log 2>&1 || { grep -B2 -A20 'FAILED' build.log | head -80 >&2; exit 1; }
$SUDO mkdir -p "$(dirname "$prefix")"
$SUDO cmake --install build >/dev/null
# Qt's German texts (the standard buttons' "Abbrechen" and the like) are Debian's, the same version.
$SUDO mkdir -p "$prefix/translations"
$SUDO cp /usr/share/qt6/translations/qtbase_de.qm "$prefix/translations/"
$SUDO touch "$prefix/.complete"
cd /
rm -rf "$work"
echo "$prefix"
