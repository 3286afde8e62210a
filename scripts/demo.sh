#!/usr/bin/env bash
# Installs what is needed, builds, starts three simulated controllers on loopback and opens the
# administrator pointed at them. Nothing leaves this machine: the search goes to 127.0.0.1.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build

export KELVORA_DISCOVERY_TARGET=127.0.0.1:18001
export KELVORA_COMMAND_PORT=11010
export KELVORA_FTP_PORT=10021
data=$(mktemp -d /tmp/kelvora-demo.XXXXXX)
build/sim/kelvora-sim --controllers 3 --discovery "$KELVORA_DISCOVERY_TARGET" \
  --command-port "$KELVORA_COMMAND_PORT" --ftp-port "$KELVORA_FTP_PORT" --data-dir "$data" \
  --code-read-interval 3000 --lifetime 86400 &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null; rm -rf "$data"' EXIT
sleep 0.5
echo "Demo controllers: user \"admin\", password \"admin\"."
build/app/kelvora-admin "$@"
