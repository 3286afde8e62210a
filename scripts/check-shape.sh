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

files=$(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run -Werror $files 2>/tmp/clang-format-drift.$$; then
  echo "clang-format finds drift (run: clang-format -i \$(git ls-files '*.cpp' '*.h')):"
  grep -E '^[^ ].*: (error|warning):' /tmp/clang-format-drift.$$ | cut -d: -f1 | sort -u | sed 's/^/    /'
  status=1
fi
rm -f /tmp/clang-format-drift.$$
exit $status
