#!/usr/bin/env bash
# Builds the Windows programs (kelvora-admin.exe, kelvora-cli.exe, kelvora-sim.exe), their tests, the
# installer and the portable zip on this Linux machine, with Debian's MinGW-w64 cross compiler:
#
#   scripts/build-windows.sh [build folder]          (default: build-windows)
#
# Qt for Windows comes from scripts/build-windows-qt.sh, which builds it once per machine. The programs
# run under Wine (scripts/test-windows.sh runs the tests). Results in the build folder:
#   kelvora-admin-<version>-setup.exe   the installer
#   kelvora-admin-<version>-windows.zip the same program folder to unpack anywhere
#   stage/                              that program folder
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-build-windows}

scripts/install-windows-deps.sh
qt=$(scripts/build-windows-qt.sh)
"$qt/bin/qt-cmake" -S . -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DQT_CHAINLOAD_TOOLCHAIN_FILE="$PWD/packaging/windows/mingw-w64-x86_64.cmake" \
  -DKELVORA_WERROR="${KELVORA_WERROR:-OFF}" >/dev/null
cmake --build "$out" -j"$(nproc)"

# The program folder, and the installer's lists of what it puts there and removes again.
version=$(sed -n 's/^project(KelvoraAdmin VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
stage=$out/stage
rm -rf "$stage"
cmake --install "$out" --prefix "$stage" >/dev/null
# Without their symbols (the compiler's runtime alone carries 20 MB of them).
find "$stage" -name '*.exe' -o -name '*.dll' | xargs x86_64-w64-mingw32-strip --strip-unneeded
files=$out/installer-files.nsh
unfiles=$out/installer-unfiles.nsh
: >"$files"
: >"$unfiles"
(cd "$stage" && find . -type d | LC_ALL=C sort) | while read -r dir; do
  rel=${dir#./}
  win=${rel//\//\\}
  echo "SetOutPath \"\$INSTDIR${rel:+\\$win}\"" >>"$files"
  (cd "$stage/$dir" && find . -maxdepth 1 -type f | LC_ALL=C sort) | while read -r file; do
    name=${file#./}
    echo "File \"$(realpath "$stage/$dir/$name")\"" >>"$files"
    echo "Delete \"\$INSTDIR${rel:+\\$win}\\$name\"" >>"$unfiles"
  done
done
# Folders deepest first; each goes only when nothing else is left in it.
(cd "$stage" && find . -mindepth 1 -type d | LC_ALL=C sort -r) | while read -r dir; do
  rel=${dir#./}
  echo "RMDir \"\$INSTDIR\\${rel//\//\\}\"" >>"$unfiles"
done

setup=$out/kelvora-admin-$version-setup.exe
makensis -V2 -DVERSION="$version" -DFILES="$(realpath "$files")" -DUNFILES="$(realpath "$unfiles")" \
  -DICON="$(realpath "$out/app/kelvora-admin.ico")" -DOUTFILE="$(realpath -m "$setup")" \
  packaging/windows/installer.nsi >/dev/null
zipfile=$(realpath -m "$out/kelvora-admin-$version-windows.zip")
rm -f "$zipfile"
(cd "$stage" && zip -qr -X "$zipfile" .)
echo "Windows build: $setup, $zipfile"
