#!/usr/bin/env bash
# Installs what is missing, builds the native, i686 and x86_64 configurations
# and runs every test: natively, then the Windows builds under Wine in Xvfb.
# On a machine whose kernel cannot run 32-bit programs (or with NW_RUNS_32BIT=no)
# the i686 build is still built and checked on Linux, and its Windows suites
# are reported as skipped.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/install-deps.sh
# Which Wine this machine can run: probed once here, shared by all that follows.
. cmake/wine-host.sh
[ "$NW_RUNS_32BIT" = yes ] || echo "test: $NW_I686_SKIPPED; the x86_64 suites run with Wine's 64-bit loader"

jobs="$(nproc)"
for preset in native i686 x86_64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done

ctest --preset native -j "$jobs"

# Short fuzzing runs of the settings reader and of the .reg exports, so the
# targets keep working.
bash scripts/fuzz.sh 30
bash scripts/fuzz.sh export 30

# The Windows tests share one Wine prefix: boot it without a display, then run
# both suites, one after the other, in one virtual display with one wineserver.
# The prefix reports Windows 7 SP1 for the full suites (Wine 8's own default),
# then Windows 10 for the end-to-end suites (label e2e) once more.
prefix="$root/build/wineprefix"
env -u DISPLAY cmake/wine-prefix.sh ensure "$prefix"
. cmake/wine-display.sh
full_suites() {
  local prefix="$1" status=0
  cmake/wine-prefix.sh version "$prefix" win7 || return 1
  cmake/wine-prefix.sh start "$prefix"
  # Now and then Wine fails to start a test program at all ("could not be
  # started"); such a test gets one more try. A test that fails twice fails.
  # Where i686 programs cannot run, its preset still runs the checks that run
  # on Linux (imports, PE headers) and lists each Windows suite as skipped.
  ctest --preset i686 --repeat until-pass:2 || status=1
  ctest --preset x86_64 --repeat until-pass:2 || status=1
  if cmake/wine-prefix.sh version "$prefix" win10; then
    cmake/wine-prefix.sh start "$prefix"
    for preset in $(nw_runnable_arches); do
      ctest --preset "$preset" -L e2e --repeat until-pass:2 || status=1
    done
  else
    status=1
  fi
  cmake/wine-prefix.sh version "$prefix" win7 || status=1
  return $status
}
nw_wine_display "$prefix" full_suites "$prefix"

# The code-page cases again, in the locales whose ANSI code pages are 932 and
# 1251: under Wine a process's code page follows LANG. Each locale gets a
# wineserver of its own, so no Wine process of one locale serves the next.
code_page_cases() {
  local codepage="$1" status=0
  for preset in $(nw_runnable_arches); do
    ctest --preset "$preset" -R "CodePage.*Cp$codepage" --repeat until-pass:2 || status=1
  done
  return $status
}

for run in "ja_JP.UTF-8 932" "ru_RU.UTF-8 1251"; do
  read -r locale codepage <<<"$run"
  (
    unset LC_ALL
    export LANG="$locale" NW_EXPECTED_ACP="$codepage"
    nw_wine_display "$prefix" code_page_cases "$codepage"
  )
done

# Said last, where it is seen.
[ "$NW_RUNS_32BIT" = yes ] || echo "$NW_I686_SKIPPED"
