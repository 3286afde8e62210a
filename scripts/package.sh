#!/usr/bin/env bash
# Builds the Debian package into the build folder (default: build) and checks it: its control data and file
# list, lintian, the desktop entry and AppStream metainfo as installed, an install with dpkg into a throwaway
# root, that its dependencies resolve on this Debian, and a start of the installed programs. The start stays
# on loopback: the administrator's search goes to 127.0.0.1, where this script listens for it.
set -euo pipefail
cd "$(dirname "$0")/.."
. packaging/search-listener.sh
dir=${1:-build}
scripts/install-deps.sh
scripts/build.sh "$dir"
rm -f "$dir"/kelvora-admin_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
deb=$(ls "$dir"/kelvora-admin_*.deb)
echo "package: $deb"

tmp=$(mktemp -d /tmp/kelvora-package.XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "package check failed: $*" >&2; exit 1; }

# Control data and the exact file list.
[ "$(dpkg-deb --field "$deb" Package)" = kelvora-admin ] || fail "package name"
depends=$(dpkg-deb --field "$deb" Depends)
for need in qt6-qpa-plugins qt6-translations-l10n libqt6widgets6 libqt6network6 libc6; do
  case ", $depends," in *", $need"[\ ,]*) ;; *) fail "Depends lacks $need: $depends" ;; esac
done
id=de.nopra.KelvoraAdministrator
expected="./usr/bin/kelvora-admin
./usr/bin/kelvora-sim
./usr/share/applications/$id.desktop
./usr/share/doc/kelvora-admin/changelog.Debian.gz
./usr/share/doc/kelvora-admin/copyright
./usr/share/icons/hicolor/128x128/apps/$id.png
./usr/share/icons/hicolor/16x16/apps/$id.png
./usr/share/icons/hicolor/256x256/apps/$id.png
./usr/share/icons/hicolor/32x32/apps/$id.png
./usr/share/icons/hicolor/48x48/apps/$id.png
./usr/share/icons/hicolor/64x64/apps/$id.png
./usr/share/man/man1/kelvora-admin.1.gz
./usr/share/man/man1/kelvora-sim.1.gz
./usr/share/metainfo/$id.metainfo.xml"
actual=$(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ {print $6}' | LC_ALL=C sort)
[ "$actual" = "$(echo "$expected" | LC_ALL=C sort)" ] || fail "file list:
$actual"

# Debian's own package checks (the package is not meant for Debian's archive, so no bug to close).
lintian_root=()
[ "$(id -u)" -eq 0 ] && lintian_root=(--allow-root)
lintian "${lintian_root[@]}" --fail-on error,warning --suppress-tags initial-upload-closes-no-bugs "$deb" \
  || fail "lintian"

# Installed with dpkg into an empty root: only the package's own files land there.
root=$tmp/root
mkdir -p "$root"/var/lib/dpkg/{info,updates,triggers}
touch "$root"/var/lib/dpkg/{status,available}
dpkg --root="$root" --force-depends --force-script-chrootless --force-not-root -i "$deb" >"$tmp/dpkg.log" 2>&1 \
  || { cat "$tmp/dpkg.log"; fail "dpkg -i"; }
dpkg --root="$root" -s kelvora-admin | grep -q '^Status: install ok installed' || fail "dpkg status"
desktop-file-validate --no-hints "$root/usr/share/applications/$id.desktop" || fail "desktop entry"
grep -qx 'Name=Kelvora compact Administrator' "$root/usr/share/applications/$id.desktop" || fail "Name"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" >"$tmp/appstream.log" \
  || { cat "$tmp/appstream.log"; fail "appstream metainfo"; }
for size in 16 32 48 64 128 256; do
  file "$root/usr/share/icons/hicolor/${size}x${size}/apps/$id.png" | grep -q "PNG image data, $size x $size," \
    || fail "icon ${size}x${size}"
done
for bin in kelvora-admin kelvora-sim; do
  if ldd "$root/usr/bin/$bin" | grep -q 'not found'; then ldd "$root/usr/bin/$bin"; fail "$bin libraries"; fi
done

# The declared dependencies are packages this Debian has (a simulated install resolves them).
apt-get install -s --no-install-recommends "$(realpath "$deb")" >"$tmp/apt.log" 2>&1 \
  || { cat "$tmp/apt.log"; fail "dependencies do not resolve"; }

# The installed simulator starts, and the administrator, started as the menu entry starts it, comes up on
# the offscreen platform and searches once; settings and local copies go to a throwaway home.
menu_command=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/$id.desktop")
[ -x "$root/usr/bin/$menu_command" ] || fail "the menu entry starts $menu_command, which is not installed"
port=$((20000 + RANDOM % 20000))
"$root/usr/bin/kelvora-sim" --discovery 127.0.0.1:$((port + 1)) --command-port $((port + 2)) \
  --ftp-port $((port + 3)) --lifetime 5 >"$tmp/sim.log" 2>&1 &
pids+=($!)
start_search_listener "$port" "$tmp/search.log"
pids+=($listener)
mkdir -m 700 "$tmp/run"
HOME=$tmp/home XDG_CONFIG_HOME=$tmp/home/.config XDG_DATA_HOME=$tmp/home/.local/share \
  XDG_RUNTIME_DIR=$tmp/run QT_QPA_PLATFORM=offscreen KELVORA_DISCOVERY_TARGET=127.0.0.1:$port \
  KELVORA_COMMAND_PORT=$((port + 2)) KELVORA_FTP_PORT=$((port + 3)) \
  "$root/usr/bin/$menu_command" >"$tmp/admin.log" 2>&1 &
admin=$!
pids+=($admin)
expect_search "$tmp/search.log" "$tmp/admin.log" "from the installed package"
sleep 1
kill -0 "$admin" 2>/dev/null || { cat "$tmp/admin.log"; fail "kelvora-admin ended by itself"; }
grep -q 'search service on 127.0.0.1' "$tmp/sim.log" || { cat "$tmp/sim.log"; fail "kelvora-sim did not start"; }
echo "package check passed: $(basename "$deb")"
