#!/usr/bin/env bash
# The shape of the code: a layer includes only the layers below it, and the formatting matches
# .clang-format. Fails with a list of what is out of place.
set -uo pipefail
cd "$(dirname "$0")/.."
status=0

# Layers, lowest first; sim sits beside them and may use net, device and data only.
declare -A allowed=(
  [platform]=""
  [net]="platform"
  [device]="platform net"
  [data]="platform net device"
  [ops]="platform net device data"
  [ui]="platform net device data ops"
  [cli]="platform net device data ops"
  [app]="platform net device data ops ui"
  [sim]="platform net device data"
)
layers="platform net device data ops ui cli app sim"
for layer in $layers; do
  [ -d "$layer" ] || continue
  for other in $layers; do
    [ "$other" = "$layer" ] && continue
    case " ${allowed[$layer]} " in *" $other "*) continue ;; esac
    hits=$(grep -rnE "#include [<\"]$other/" "$layer" --include='*.h' --include='*.cpp' 2>/dev/null)
    if [ -n "$hits" ]; then
      echo "layer $layer must not include $other:"
      echo "$hits" | sed 's/^/    /'
      status=1
    fi
  done
done

# The simulator encodes and decodes the wire on its own, so that a layout mistake cannot hide on both sides
# of a test: of the tool's device layer it may use the code page and the byte order, nothing of its packet
# code; and the headers of the layers it includes must not bring that code in either.
sim_device_allowed="device/ByteOrder.h device/Cp1252.h"
declare -A seen=()
pending=$(grep -rhoE '#include "(net|device|data)/[^"]+"' sim --include='*.h' --include='*.cpp' 2>/dev/null |
  sed -E 's/#include "([^"]+)"/\1/' | sort -u)
while [ -n "$pending" ]; do
  next=""
  for header in $pending; do
    [ -n "${seen[$header]:-}" ] && continue
    seen[$header]=1
    case "$header" in
      device/*)
        case " $sim_device_allowed " in
          *" $header "*) ;;
          *) echo "sim must not include the tool's packet code: $header"; status=1 ;;
        esac ;;
    esac
    [ -f "$header" ] && next="$next $(grep -hoE '#include "(net|device|data)/[^"]+"' "$header" |
      sed -E 's/#include "([^"]+)"/\1/')"
  done
  pending=$(echo $next | tr ' ' '\n' | sort -u)
done

files=$(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run -Werror $files 2>/tmp/clang-format-drift.$$; then
  echo "clang-format finds drift (run: clang-format -i \$(git ls-files '*.cpp' '*.h')):"
  grep -E '^[^ ].*: (error|warning):' /tmp/clang-format-drift.$$ | cut -d: -f1 | sort -u | sed 's/^/    /'
  status=1
fi
rm -f /tmp/clang-format-drift.$$
exit $status
