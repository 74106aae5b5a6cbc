#!/usr/bin/env bash
# The package under Wine's own msiexec, in the project's prefix: a silent
# install over an older version, what it puts where, opening an NWK file
# through the shell, a repair, and a silent removal that leaves a folder
# registered meanwhile in place. The prefix is left as it was found.
#   install-test.sh PREFIX MSI OLDER_MSI VERSION ARCH SHELL_OPEN_PROBE BUILD_NWK
set -uo pipefail
prefix="$1" msi="$2" older="$3" version="$4" arch="$5" probe="$6" build_nwk="$7"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$here/../../cmake/wine-env.sh" "$prefix"
. "$here/programs.sh"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

if [ "$arch" = x64 ]; then folder='C:\Program Files\Nookwayer'; else folder='C:\Program Files (x86)\Nookwayer'; fi
unix_folder="$(nw_wine winepath -u "$folder" 2>/dev/null | tr -d '\r')"
scratch="$(mktemp -d)"
mkdir -p "$scratch/with blank"
probe_file="$scratch/with blank/probe folder.nwk"
printf "Hollowpine's Nookway v1_[A1]\r\nname=Opened Through The Shell\r\nicon=shell32.dll,3\r\nclsid5=0000D0C1A7E5\r\nOpen;notepad.exe;\r\n" >"$probe_file"
probe_class='HKLM\Software\Classes\CLSID\{0000000D-CF0D-D10A-A240-0000D0C1A7E5}'

cleanup() {
  nw_wine msiexec /x "$(nw_winpath "$msi")" /qn >/dev/null 2>&1
  nw_wine msiexec /x "$(nw_winpath "$older")" /qn >/dev/null 2>&1
  nw_wine "$build_nwk" remove "$(nw_winpath "$probe_file")" >/dev/null 2>&1
  restore_path
  rm -rf "$scratch"
}
trap cleanup EXIT

nw_wine msiexec /i "$(nw_winpath "$msi")" /qn || fail "installing the package failed"
[ "$(entries)" = "$version" ] || fail "after the install, Programs and Features lists: $(entries | tr '\n' ' ')"

# The files, in the Program Files folder of the package's bitness.
for file in nookwayer.exe nwk.exe README.txt examples/admin-tools.nwk; do
  [ -f "$unix_folder/$file" ] || fail "not installed: $folder\\$file"
done
# The file type, where the 64-bit shell reads it.
query 'HKLM\Software\Classes\.nwk' | grep -q 'REG_SZ *Nookwayer.NWK$' || fail ".nwk is not of the type"
query 'HKLM\Software\Classes\Nookwayer.NWK\shell\open\command' | grep -qF "REG_SZ    \"$folder\\nookwayer.exe\" \"%1\"" ||
  fail "the open verb: $(query 'HKLM\Software\Classes\Nookwayer.NWK\shell\open\command')"
query 'HKLM\Software\Classes\Nookwayer.NWK\shell\edit\command' | grep -qF 'notepad.exe "%1"' || fail "no edit verb"
query 'HKLM\Software\Classes\Nookwayer.NWK\DefaultIcon' | grep -qF "\"$folder\\nookwayer.exe\",0" || fail "no icon"
# nwk on the PATH of a new process.
win cmd /c nwk --version | grep -qx "nwk ${version%.*}.*" || fail "a new process does not find nwk on the PATH"

# Opening the file through the shell, in a folder with a blank in its name,
# shows the main window with that file's definition.
shown="$(win "$probe" "$(nw_winpath "$probe_file")")"
grep -qx "Nookwayer" <<<"$shown" || fail "no main window opened: $shown"
grep -qx "Opened Through The Shell" <<<"$shown" || fail "the window does not show the file's definition: $shown"

# A folder registered meanwhile, by the installed nwk.
win cmd /c nwk make "$(nw_winpath "$probe_file")" --placement desktop >/dev/null
has_key "$probe_class" || fail "the installed nwk did not register the probe folder"

# Installing the same package again adds no second entry; installing it again
# as a repair brings a lost file back. (Wine's msiexec refuses /fa PACKAGE,
# which Windows takes for the same repair.)
nw_wine msiexec /i "$(nw_winpath "$msi")" /qn
[ "$(entries)" = "$version" ] || fail "after a second install, Programs and Features lists: $(entries | tr '\n' ' ')"
rm -f "$unix_folder/README.txt"
nw_wine msiexec /i "$(nw_winpath "$msi")" REINSTALL=ALL REINSTALLMODE=amus /qn || fail "repair failed"
[ -f "$unix_folder/README.txt" ] || fail "repair did not restore README.txt"
[ "$(entries)" = "$version" ] || fail "after the repair, Programs and Features lists: $(entries | tr '\n' ' ')"

# Silent removal: no file, no file type, no PATH entry; the registered folder stays.
nw_wine msiexec /x "$(nw_winpath "$msi")" /qn || fail "removing the package failed"
[ ! -e "$unix_folder" ] || fail "left behind: $(ls -R "$unix_folder")"
! has_key 'HKLM\Software\Classes\.nwk' || fail ".nwk is still registered"
! has_key 'HKLM\Software\Classes\Nookwayer.NWK' || fail "the file type is still registered"
query "$environment" /v PATH | grep -qi 'Nookwayer' && fail "the PATH still names the folder"
[ -z "$(entries)" ] || fail "Programs and Features still lists: $(entries | tr '\n' ' ')"
has_key "$probe_class" || fail "removal took the folder a user registered: $(query "$probe_class" 2>&1)"

# The PATH value found is put back before the next install.
restore_path

# An older version first; the package then replaces it: one entry, and
# removing that leaves nothing of either.
nw_wine msiexec /i "$(nw_winpath "$older")" /qn || fail "installing the older package failed"
[ "$(entries)" = "0.9.0" ] || fail "after the older install, Programs and Features lists: $(entries | tr '\n' ' ')"
nw_wine msiexec /i "$(nw_winpath "$msi")" /qn || fail "upgrading failed"
[ "$(entries)" = "$version" ] || fail "after the upgrade, Programs and Features lists: $(entries | tr '\n' ' ')"
[ -f "$unix_folder/nwk.exe" ] || fail "the upgrade left no nwk.exe"
nw_wine msiexec /x "$(nw_winpath "$msi")" /qn || fail "removing the upgrade failed"
[ -z "$(entries)$(ls -A "$unix_folder" 2>/dev/null)" ] || fail "the upgrade's removal left: $(entries) $(ls -A "$unix_folder")"

[ "$failures" -eq 0 ] && echo "installed, upgraded, opened, repaired and removed as it should"
exit $((failures > 0))
