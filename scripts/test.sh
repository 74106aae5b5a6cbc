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

# The code-page cases again, in locales whose ANSI code pages are 932, 1251 and
# UTF-8 (65001): under Wine 8 a process's code page follows its locale (LANG).
# Wine writes it into the prefix's Nls\CodePage values when a session starts
# in another locale than the last, and takes no code page from them (an ACP of
# 65001 written there leaves GetACP at 1252). hi_IN has no ANSI code page of its own, so Wine
# gives it UTF-8, as Windows 10 (1903 and later) does with "Use Unicode UTF-8
# for worldwide language support"; that locale is built into the build folder
# (LOCPATH) and the system's locales stay as they are. Each locale gets a
# wineserver of its own, so no Wine process of one locale serves the next, and
# the prefix gets its code-page values back afterwards.
code_page_cases() {
  local codepage="$1" status=0
  for preset in $(nw_runnable_arches); do
    ctest --preset "$preset" -R "CodePage.*Cp$codepage" --repeat until-pass:2 || status=1
  done
  return $status
}

# The prefix's code-page values ("NAME VALUE" lines on standard output), and
# putting such lines back.
nls='HKLM\System\CurrentControlSet\Control\Nls\CodePage'
code_page_values() {
  (
    . cmake/wine-env.sh "$prefix"
    for name in ACP OEMCP MACCP; do
      env -u DISPLAY "${NW_WINE[@]}" reg query "$nls" /v "$name" /reg:64 2>/dev/null |
        tr -d '\r' | awk -v name="$name" '$1 == name { print name, $3 }'
    done
    timeout 30 wineserver -w || wineserver -k
  )
}
put_code_page_values() {
  (
    . cmake/wine-env.sh "$prefix"
    while read -r name value; do
      env -u DISPLAY "${NW_WINE[@]}" reg add "$nls" /v "$name" /t REG_SZ /d "$value" /f /reg:64 </dev/null >/dev/null 2>&1
    done
    timeout 30 wineserver -w || wineserver -k
  )
}

locales="$root/build/locale"
if [ ! -d "$locales/hi_IN.UTF-8" ]; then
  mkdir -p "$locales"
  localedef -i hi_IN -f UTF-8 "$locales/hi_IN.UTF-8" >/dev/null ||
    { echo "test: cannot build the hi_IN.UTF-8 locale (localedef, package locales)" >&2; exit 1; }
fi

saved_code_pages="$(code_page_values)"
code_page_status=0
for run in "ja_JP.UTF-8 932" "ru_RU.UTF-8 1251" "hi_IN.UTF-8 65001 $locales"; do
  read -r locale codepage locpath <<<"$run"
  (
    unset LC_ALL
    export LANG="$locale" NW_EXPECTED_ACP="$codepage"
    [ -z "$locpath" ] || export LOCPATH="$locpath"
    nw_wine_display "$prefix" code_page_cases "$codepage"
  ) || code_page_status=1
done
put_code_page_values <<<"$saved_code_pages"
[ "$code_page_status" -eq 0 ] || exit 1

# Said last, where it is seen.
[ "$NW_RUNS_32BIT" = yes ] || echo "$NW_I686_SKIPPED"
