#!/usr/bin/env bash
# Fuzzes the settings reader with libFuzzer (AddressSanitizer and
# UndefinedBehaviorSanitizer on), seeded with the sample files and the
# reader's edge cases.
#   scripts/fuzz.sh [SECONDS]        run for that long (default 60)
#   scripts/fuzz.sh -runs=N          run N inputs
# A crash or a broken invariant leaves its input in build/fuzz/ and fails.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target reader_fuzzer -j "$(nproc)"

limit="${1:-60}"
case "$limit" in
  -runs=*) budget=("$limit") ;;
  *) budget=("-max_total_time=$limit") ;;
esac

corpus="build/fuzz/corpus"
mkdir -p "$corpus"
log="build/fuzz/last-run.log"
status=0
build/fuzz/tests/fuzz/reader_fuzzer "${budget[@]}" -dict=tests/fuzz/reader.dict \
  -max_len=4096 -print_final_stats=1 -artifact_prefix=build/fuzz/ \
  "$corpus" tests/fuzz/seeds >"$log" 2>&1 || status=$?
grep -E "^(stat::number_of_executed_units|stat::peak_rss|==[0-9]+==|SUMMARY|artifact_prefix|Test unit written)" "$log" || true
if [ "$status" -ne 0 ]; then
  echo "fuzzing found a problem (exit $status); see $log" >&2
  exit 1
fi
echo "fuzzing: no findings"
