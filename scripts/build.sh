#!/usr/bin/env bash
# Configures and builds into the given folder (default: build). Extra arguments go to cmake.
# KELVORA_WERROR=ON in the environment turns warnings into errors (CI does so).
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVORA_WERROR="${KELVORA_WERROR:-OFF}" "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)"
