#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) into build-fuzz and fuzzes each for a fixed time
# (default 20 s), starting from its checked-in seed corpus. New inputs collect in build-fuzz/corpus/<target>,
# inputs that break an oracle or crash in build-fuzz/artifacts/; the script fails on the first such one.
# KELVORA_FUZZ_RUNS=<n> also ends each target after n executions (the long runs in bench/README.md).
#   scripts/fuzz.sh [seconds] [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
shift || true
dir=build-fuzz
scripts/install-deps.sh
CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVORA_FUZZ=ON \
  -DKELVORA_WERROR="${KELVORA_WERROR:-OFF}" >/dev/null
cmake --build "$dir" -j"$(nproc)" --target fuzz_targets
declare -A max_len=()
all=()
while read -r name len; do
  [ -n "$name" ] || continue
  all+=("$name")
  max_len[$name]=$len
done <"$dir/fuzz-targets.txt"
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")

mkdir -p "$dir/artifacts"
# KELVORA_FUZZ_ASAN adds AddressSanitizer options: the long runs drop the allocation stacks and the fill of
# new memory and keep a smaller quarantine, which makes them several times faster (a finding is replayed
# with the full options for its report: build-fuzz/tests/fuzz/<target> <input>).
export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1:allocator_may_return_null=1${KELVORA_FUZZ_ASAN:+:$KELVORA_FUZZ_ASAN}
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
for target in "${targets[@]}"; do
  [ -n "${max_len[$target]:-}" ] || { echo "fuzz: no target $target" >&2; exit 2; }
  corpus=$dir/corpus/$target
  mkdir -p "$corpus"
  echo "== $target, ${seconds} s"
  # One process, a fixed time; the figures of the last status line say how far it got.
  if ! "$dir/tests/fuzz/$target" -max_total_time="$seconds" -runs="${KELVORA_FUZZ_RUNS:--1}" -max_len="${max_len[$target]}" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$dir/artifacts/$target-" -print_final_stats=1 \
      "$corpus" "tests/fuzz/corpus/$target" >"$dir/$target.log" 2>&1; then
    tail -n 40 "$dir/$target.log"
    echo "fuzz: $target failed; the input is in $dir/artifacts/" >&2
    exit 1
  fi
  grep -E '^#[0-9]+.*(DONE|pulse|NEW|REDUCE)' "$dir/$target.log" | tail -n 1
  grep -E '^stat::number_of_executed_units' "$dir/$target.log"
done
echo "fuzz: ${#targets[@]} targets, ${seconds} s each, no oracle broken"
