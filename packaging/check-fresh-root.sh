#!/usr/bin/env bash
# Installs the built package (scripts/package.sh) the way a user does on a fresh Debian 12: mmdebstrap makes a
# new bookworm root from the Debian mirror, apt installs the .deb there with what it depends on, and the
# administrator is started as its menu entry says, from inside that root. Only what the package declares is in
# the root, so a missing dependency shows as a failed install or start.
# The search of the started administrator stays on loopback (127.0.0.1, where this script listens for it).
# When no fresh root can be made here (not root, no mirror, mount not allowed) the check says so and is
# skipped; a package that does not install or start there fails it.
#   packaging/check-fresh-root.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
. packaging/search-listener.sh
dir=${1:-build}
deb=$(ls "$dir"/kelvora-admin_*.deb)
id=de.nopra.KelvoraAdministrator
skip() { echo "fresh-root check skipped: $*"; exit 0; }
fail() { echo "fresh-root check failed: $*" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || skip "needs root"
command -v mmdebstrap >/dev/null || {
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends mmdebstrap
} >/dev/null 2>&1 || skip "mmdebstrap cannot be installed"

tmp=$(mktemp -d /tmp/kelvora-fresh.XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
  rm -rf "$tmp"
}
trap cleanup EXIT
root=$tmp/root
cp "$deb" "$tmp/kelvora-admin.deb"

# The download needs the mirror (its failure skips); the install then finds everything in apt's cache, and
# its failure is the package's: the hook records it (outside /tmp, which mmdebstrap empties at the end)
# instead of failing mmdebstrap.
started=$SECONDS
timeout 480 mmdebstrap --mode=root --variant=apt --quiet \
  --customize-hook="copy-in $tmp/kelvora-admin.deb /tmp" \
  --customize-hook='chroot "$1" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --download-only \
                    --no-install-recommends /tmp/kelvora-admin.deb' \
  --customize-hook='chroot "$1" env DEBIAN_FRONTEND=noninteractive apt-get install -y \
                    --no-install-recommends /tmp/kelvora-admin.deb >"$1/root/install.log" 2>&1 \
                    || touch "$1/root/install-failed"' \
  bookworm "$root" >"$tmp/mmdebstrap.log" 2>&1 || { tail -n 20 "$tmp/mmdebstrap.log"; skip "no fresh bookworm root"; }
echo "fresh root with the package: $((SECONDS - started)) s"
[ ! -e "$root/root/install-failed" ] || { cat "$root/root/install.log"; fail "apt install of the package"; }
chroot "$root" dpkg -s kelvora-admin | grep -q '^Status: install ok installed' || fail "dpkg status"

# Started the way the menu starts it, on the offscreen platform, settings in a throwaway home.
menu_command=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/$id.desktop")
[ -n "$menu_command" ] || fail "no Exec in the desktop entry"
port=$((20000 + RANDOM % 20000))
start_search_listener "$port" "$tmp/search.log"
pids+=($listener)
mkdir -p -m 700 "$root/tmp/run"
chroot "$root" /usr/bin/env -i PATH=/usr/bin:/bin HOME=/tmp/home XDG_RUNTIME_DIR=/tmp/run QT_QPA_PLATFORM=offscreen \
  KELVORA_DISCOVERY_TARGET=127.0.0.1:$port KELVORA_COMMAND_PORT=$((port + 2)) KELVORA_FTP_PORT=$((port + 3)) \
  $menu_command >"$tmp/admin.log" 2>&1 &
admin=$!
pids+=($admin)
expect_search "$tmp/search.log" "$tmp/admin.log" "in the fresh root"
sleep 1
kill -0 "$admin" 2>/dev/null || { cat "$tmp/admin.log"; fail "kelvora-admin ended by itself in the fresh root"; }
chroot "$root" /usr/bin/kelvora-sim --discovery 127.0.0.1:$((port + 1)) --command-port $((port + 2)) \
  --ftp-port $((port + 3)) --lifetime 1 >"$tmp/sim.log" 2>&1 || { cat "$tmp/sim.log"; fail "kelvora-sim"; }
grep -q 'search service on 127.0.0.1' "$tmp/sim.log" || { cat "$tmp/sim.log"; fail "kelvora-sim did not start"; }
echo "fresh-root check passed: $(basename "$deb") installs on bookworm and starts from its menu entry"
