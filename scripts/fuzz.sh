#!/usr/bin/env bash
# Fuzzes with libFuzzer (AddressSanitizer and UndefinedBehaviorSanitizer on):
#   reader   the settings reader, seeded with the sample files and its edge cases
#   export   nwk's .reg exports of whatever the reader takes, read back by the
#            tests' strict .reg reader against make and remove; seeded with the
#            reader's seeds and tests/fuzz/export-seeds (the refused and
#            escaped cases, and the input of every fault found)
#   scripts/fuzz.sh [reader|export] [SECONDS]    run for that long (default 60)
#   scripts/fuzz.sh [reader|export] -runs=N      run N inputs
# A crash or a broken invariant leaves its input in build/fuzz/ and fails.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

target=reader
case "${1:-}" in
  reader | export) target="$1"; shift ;;
esac
limit="${1:-60}"
case "$limit" in
  -runs=*) budget=("$limit") ;;
  *) budget=("-max_total_time=$limit") ;;
esac

bash scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "${target}_fuzzer" -j "$(nproc)"

if [ "$target" = reader ]; then
  corpus="build/fuzz/corpus"
  seeds=(tests/fuzz/seeds)
  max_len=4096
else
  corpus="build/fuzz/export-corpus"
  # Long enough for names near the registry's limits (255 and 260 characters).
  max_len=1024
  seeds=(tests/fuzz/seeds tests/fuzz/export-seeds)
fi
mkdir -p "$corpus"
log="build/fuzz/last-$target-run.log"
status=0
# Allocation stacks are what makes the export target slow under ASan: a
# report still names the fault, without where the memory came from.
if [ "$target" = export ]; then export ASAN_OPTIONS="${ASAN_OPTIONS:-malloc_context_size=0}"; fi
"build/fuzz/tests/fuzz/${target}_fuzzer" "${budget[@]}" -dict="tests/fuzz/$target.dict" \
  -max_len="$max_len" -print_final_stats=1 -artifact_prefix="build/fuzz/$target-" \
  "$corpus" "${seeds[@]}" >"$log" 2>&1 || status=$?
grep -E "^(stat::number_of_executed_units|stat::peak_rss|==[0-9]+==|SUMMARY|artifact_prefix|Test unit written|export fault)" "$log" || true
grep -E "^#[0-9]+ +DONE" "$log" || true
if [ "$status" -ne 0 ]; then
  echo "fuzzing $target found a problem (exit $status); see $log" >&2
  exit 1
fi
echo "fuzzing $target: no findings"
