#!/usr/bin/env bash
# The path of a machine whose kernel cannot run 32-bit programs, taken here on
# purpose (NW_RUNS_32BIT=no), so that it keeps working where the probe passes.
#   without-32bit-test.sh SOURCE_DIR PREFIX NWK_EXE SCRATCH_DIR
# NWK_EXE is a 64-bit Windows program; SCRATCH_DIR is emptied and used for a
# configure of the i686 build.
set -uo pipefail
src="$1" prefix="$2" nwk="$3" scratch="$4"
cd "$src"
. cmake/wine-host.sh  # for the texts only; each case sets its own answer
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
expect_in() {  # expect_in WHAT TEXT OUTPUT
  [[ "$3" == *"$2"* ]] || fail "$1: expected \"$2\" in:"$'\n'"$3"
}

# There, Debian's wine wrapper and the tools that go through it fail the way
# the 32-bit loader does. Stand-ins with that behaviour come first on PATH.
broken="$scratch/broken-wrapper"
rm -rf "$scratch"
mkdir -p "$broken"
for tool in wine wineboot winecfg winepath regedit; do
  printf '#!/bin/sh\necho "%s: Exec format error" >&2\nexit 126\n' "$tool" >"$broken/$tool"
  chmod +x "$broken/$tool"
done

echo "-- a 64-bit program runs through the one place for Wine, without the wrapper"
out="$(NW_RUNS_32BIT=no PATH="$broken:$PATH" cmake/wine-run.sh "$prefix" "$nwk" --help 2>&1)"
status=$?
[ "$status" -eq 0 ] || fail "64-bit path: status $status"
expect_in "64-bit path" "export FILE" "$out"
# The stand-ins do stand for the broken wrapper: the normal path fails on them.
(
  export NW_RUNS_32BIT=yes PATH="$broken:$PATH"
  . cmake/wine-env.sh "$prefix"
  nw_wine "$nwk" --help >/dev/null 2>&1
)
status=$?
[ "$status" -eq 126 ] || fail "the stand-in wrapper did not fail the normal path (status $status)"

echo "-- run.sh refuses i686 with the reason, and picks x86_64 by itself"
out="$(NW_RUNS_32BIT=no bash scripts/run.sh i686 2>&1)"
status=$?
[ "$status" -eq 3 ] || fail "run.sh i686: status $status, expected 3"
expect_in "run.sh i686" "$NW_NO_32BIT_WHY" "$out"
# A file that is not there ends the run after the choice, before any build.
out="$(NW_RUNS_32BIT=no bash scripts/run.sh "$scratch/missing.nwk" 2>&1)"
status=$?
[ "$status" -eq 2 ] || fail "run.sh without a build named: status $status, expected 2"
expect_in "run.sh without a build named" "running the x86_64 build" "$out"
expect_in "run.sh without a build named" "no such file" "$out"

echo "-- the i686 build still configures; its Windows suites report themselves skipped"
out="$(NW_RUNS_32BIT=no cmake -S "$src" -B "$scratch/i686" \
  --toolchain "$src/cmake/toolchain-i686-w64-mingw32.cmake" -DCMAKE_BUILD_TYPE=MinSizeRel 2>&1)"
status=$?
[ "$status" -eq 0 ] || fail "configure: status $status"$'\n'"$out"
expect_in "configure" "$NW_I686_SKIPPED" "$out"
listed="$(ctest --test-dir "$scratch/i686" -N 2>&1)"
# The checks that run on Linux stay.
expect_in "ctest -N" "imports.nookwayer" "$listed"
expect_in "ctest -N" "imports.nwk" "$listed"
for suite in core_tests registry_tests platform_tests shell_notify_tests nwk_tests e2e_tests main_window_tests about_window_tests window_tests manifest_tests \
  nwk.program.show nwk.program.full-output packaging.install; do
  expect_in "ctest -N" "$suite.skipped" "$listed"
done
# The package's tables and signing are checked on Linux: they stay too.
expect_in "ctest -N" "packaging.tables" "$listed"
out="$(ctest --test-dir "$scratch/i686" -LE 'imports|packaging' 2>&1)"
status=$?
[ "$status" -eq 0 ] || fail "ctest of the skipped suites: status $status"
expect_in "ctest" "100% tests passed" "$out"
expect_in "ctest" "(Skipped)" "$out"
expect_in "ctest" "$NW_I686_SKIPPED" "$(ctest --test-dir "$scratch/i686" -R '^core_tests' -V 2>&1)"
# Nothing else runs: every test left out by the labels is one of the skipped.
ran="$(grep -c 'Test *#' <<<"$out")"
skipped="$(grep -c '\*\*\*Skipped' <<<"$out")"
[ "$ran" -gt 0 ] && [ "$ran" -eq "$skipped" ] || fail "ctest ran $ran tests, of which $skipped were skipped"

rm -rf "$scratch"
[ "$failures" -eq 0 ] && echo "every case held"
