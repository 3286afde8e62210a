#!/usr/bin/env bash
# Source-based coverage of a fuzz target's corpus (the checked-in seeds and what scripts/fuzz.sh added in
# build-fuzz/corpus): runs every input once through a build with clang's coverage instrumentation
# (build-fuzzcov) and prints, over the functions of the code under test that the corpus reached at least
# once, the lines and branches it covered. The figures of bench/README.md come from here.
#   scripts/fuzz-coverage.sh [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build-fuzzcov
declare -A sources=(
  [fuzz_discovery_reply]="device/Discovery.cpp device/Cp1252.cpp"
  [fuzz_device_info]="data/DeviceInfoText.cpp"
  [fuzz_conversions]="device/Conversions.cpp device/Cp1252.cpp"
  [fuzz_table_files]="data/TableFiles.cpp device/Conversions.cpp device/Cp1252.cpp"
  [fuzz_logbook]="data/Logbook.cpp data/SpreadsheetField.cpp device/Cp1252.cpp"
  [fuzz_reply_framer]="device/ReplyFramer.cpp device/CommandSocket.cpp device/Conversions.cpp"
  [fuzz_ftp_reply]="net/FtpReplyParser.cpp"
)
CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVORA_FUZZ=ON \
  "-DCMAKE_CXX_FLAGS=-fprofile-instr-generate -fcoverage-mapping" \
  -DCMAKE_EXE_LINKER_FLAGS=-fprofile-instr-generate >/dev/null
cmake --build "$dir" -j"$(nproc)" --target fuzz_targets >/dev/null
targets=("$@")
# Without names: every target the build has, in its order (the file scripts/fuzz.sh reads too).
[ ${#targets[@]} -gt 0 ] || mapfile -t targets < <(cut -d' ' -f1 "$dir/fuzz-targets.txt" | grep .)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
for target in "${targets[@]}"; do
  [ -n "${sources[$target]:-}" ] || { echo "fuzz-coverage: no target $target" >&2; exit 2; }
  rm -f "$work"/*.profraw
  corpora=("tests/fuzz/corpus/$target")
  [ -d "build-fuzz/corpus/$target" ] && corpora+=("build-fuzz/corpus/$target")
  LLVM_PROFILE_FILE="$work/%p.profraw" "$dir/tests/fuzz/$target" -runs=0 "${corpora[@]}" >/dev/null 2>&1
  llvm-profdata merge -sparse "$work"/*.profraw -o "$work/$target.profdata"
  # shellcheck disable=SC2086 # the source list splits into files
  llvm-cov report -show-functions "$dir/tests/fuzz/$target" -instr-profile="$work/$target.profdata" \
      ${sources[$target]} |
    awk -v t="$target" -v s="${sources[$target]}" '
      # Rows: name, regions, missed, cover, lines, missed, cover, branches, missed, cover.
      NF == 10 && $4 ~ /%$/ && $1 != "TOTAL" && $4 != "0.00%" {
        lines += $5; lmiss += $6; branches += $8; bmiss += $9; functions++
      }
      END { printf "%s (%s): %d functions reached, lines %d/%d, branches %d/%d\n",
                   t, s, functions, lines - lmiss, lines, branches - bmiss, branches }'
done
