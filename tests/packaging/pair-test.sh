#!/usr/bin/env bash
# The x64 and x86 packages of one version under Wine's msiexec, in the
# project's prefix: whichever is installed second replaces the first, so there
# is one entry in Programs and Features, one folder on the PATH and one set of
# programs, and the file type the machine's classes share stays. Removing it
# leaves nothing of either. The prefix is left as it was found.
#   pair-test.sh PREFIX X64_MSI X86_MSI VERSION
set -uo pipefail
prefix="$1" x64="$2" x86="$3" version="$4"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$here/../../cmake/wine-env.sh" "$prefix"
. "$here/programs.sh"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

[ -f "$x86" ] || { echo "FAIL: no x86 package at $x86: build the i686 preset first" >&2; exit 1; }
folder64="$(win winepath -u 'C:\Program Files\Nookwayer')"
folder32="$(win winepath -u 'C:\Program Files (x86)\Nookwayer')"

cleanup() {
  nw_wine msiexec /x "$(nw_winpath "$x64")" /qn >/dev/null 2>&1
  nw_wine msiexec /x "$(nw_winpath "$x86")" /qn >/dev/null 2>&1
  restore_path
}
trap cleanup EXIT

# installed FIRST SECOND: SECOND installed over FIRST leaves SECOND alone.
installed() {
  local first="$1" second="$2" folder gone
  if [ "$second" = "$x64" ]; then folder="$folder64" gone="$folder32"; else folder="$folder32" gone="$folder64"; fi
  nw_wine msiexec /i "$(nw_winpath "$first")" /qn || fail "installing $(basename "$first") failed"
  restore_path
  nw_wine msiexec /i "$(nw_winpath "$second")" /qn || fail "installing $(basename "$second") over it failed"
  [ "$(entries)" = "$version" ] ||
    fail "after $(basename "$second") over $(basename "$first"), Programs and Features lists: $(entries | tr '\n' ' ')"
  [ -f "$folder/nookwayer.exe" ] || fail "$(basename "$second") left no program in $folder"
  [ ! -e "$gone" ] || fail "$(basename "$second") left the other package's files: $(ls -R "$gone")"
  query 'HKLM\Software\Classes\.nwk' | grep -q 'REG_SZ *Nookwayer.NWK$' || fail "the file type is gone"
  local on_path
  on_path="$(query "$environment" /v PATH | grep -o -i 'Nookwayer' | wc -l)"
  [ "$on_path" -eq 1 ] || fail "the PATH names Nookwayer $on_path times"
  nw_wine msiexec /x "$(nw_winpath "$second")" /qn || fail "removing $(basename "$second") failed"
  restore_path
  [ -z "$(entries)" ] || fail "after removal, Programs and Features lists: $(entries | tr '\n' ' ')"
  ! has_key 'HKLM\Software\Classes\.nwk' || fail "after removal, the file type is still registered"
  [ ! -e "$folder64" ] && [ ! -e "$folder32" ] || fail "after removal, files are left"
}

installed "$x64" "$x86"
installed "$x86" "$x64"

[ "$failures" -eq 0 ] && echo "either package of one version replaces the other"
exit $((failures > 0))
