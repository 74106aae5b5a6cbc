#!/usr/bin/env bash
# What a package holds, read from its tables with msiinfo, and what its zip holds.
#   tables-test.sh MSI ZIP VERSION ARCH SOURCE_DIR
set -uo pipefail
msi="$1" zip="$2" version="$3" arch="$4" source="$5"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
# expect TABLE PATTERN: a row of the exported table matches the extended regex.
expect() { msiinfo export "$msi" "$1" | tr -d '\r' | grep -Eq -- "$2" || fail "$1 has no row like: $2"; }

expect Property $'^ProductName\tNookwayer$'
expect Property $'^ProductVersion\t'"${version//./\\.}"'$'
# The upgrade code never changes: a newer package finds and replaces an older one.
expect Property $'^UpgradeCode\t\\{6E0F5B1C-2C7A-4D55-9A41-0B5A7C3E4D21\\}$'
# Up to this version, that one included (513: migrate features, maximum
# included), so the other platform's package of the same version is replaced
# too, not installed beside this one.
expect Upgrade $'^\\{6E0F5B1C-2C7A-4D55-9A41-0B5A7C3E4D21\\}\t\t'"${version//./\\.}"$'\t\t513\t\tWIX_UPGRADE_DETECTED$'
# Newer versions are only found, and stop the install.
expect Upgrade $'^\\{6E0F5B1C-2C7A-4D55-9A41-0B5A7C3E4D21\\}\t'"${version//./\\.}"$'\t\t\t2\t\tWIX_DOWNGRADE_DETECTED$'
expect LaunchCondition $'^NOT WIX_DOWNGRADE_DETECTED\t'
expect InstallExecuteSequence $'^RemoveExistingProducts\t'
# Per machine, into the Program Files folder of its bitness.
expect Property $'^ALLUSERS\t1$'
# Programs and Features shows the program's icon.
expect Property $'^ARPPRODUCTICON\tnookwayer\.ico$'
expect Icon $'^nookwayer\.ico\t'
if [ "$arch" = x64 ]; then
  expect Directory $'^ProgramFiles64Folder\t'
  template="x64;1033"
else
  expect Directory $'^ProgramFilesFolder\t'
  template="Intel;1033"
fi
msiinfo suminfo "$msi" | grep -q "Template: $template" || fail "summary template is not $template"
expect Directory $'^INSTALLDIR\t[A-Za-z0-9_]+\tNookwayer$'
for file in nookwayer.exe nwk.exe README.txt; do expect File $'\t'"$file"$'\t'; done
for sample in "$source"/examples/*.nwk; do expect File $'\t'"$(basename "$sample")"$'\t'; done
# The file type, in the machine's classes.
expect Registry $'\t2\tSoftware\\\\Classes\\\\\\.nwk\t\tNookwayer\\.NWK\tProgram$'
expect Registry $'\t2\tSoftware\\\\Classes\\\\Nookwayer\\.NWK\\\\DefaultIcon\t\t"\\[INSTALLDIR\\]nookwayer\\.exe",0\t'
expect Registry $'\t2\tSoftware\\\\Classes\\\\Nookwayer\\.NWK\\\\shell\\\\open\\\\command\t\t"\\[INSTALLDIR\\]nookwayer\\.exe" "%1"\t'
expect Registry $'\t2\tSoftware\\\\Classes\\\\Nookwayer\\.NWK\\\\shell\\\\edit\\\\command\t\tnotepad\\.exe "%1"\t'
# nwk's folder on the machine's PATH, appended on install, taken out on removal.
expect Environment $'^NookwayerPath\t=-\\*PATH\t\\[~\\];\\[INSTALLDIR\\]\tConsole$'
expect Component $'^Console\t.*\tnwk\\.exe$'
expect InstallExecuteSequence $'^WriteEnvironmentStrings\t\t5200$'
expect InstallExecuteSequence $'^RemoveEnvironmentStrings\t\t3300$'

# The portable zip: the same files in one folder.
listing="$(cmake -E tar tf "$zip")"
name="nookwayer-$version-$arch"
for entry in nookwayer.exe nwk.exe README.txt examples/admin-tools.nwk; do
  grep -qx "$name/$entry" <<<"$listing" || fail "the zip lacks $name/$entry"
done

[ "$failures" -eq 0 ] && echo "the package's tables and zip hold what they should"
exit $((failures > 0))
