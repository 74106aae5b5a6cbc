#!/usr/bin/env bash
# The packages nwk writes, read back with msiinfo (not with the Windows
# Installer that wrote them): platform, page and word counts, components,
# upgrade rows, the icon, and codes that follow from the folder and its file
# alone. Runs nwk under Wine, so it also runs where i686 programs cannot.
#   package-tables-test.sh PREFIX NWK_EXE SETTINGS_FILE
set -uo pipefail
prefix="$1" nwk="$2" settings="$3"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$here/../../cmake/wine-env.sh" "$prefix"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

# package NAME OPTIONS...: writes $scratch/NAME.msi and keeps what nwk printed.
package() {
  local name="$1"
  shift
  nw_wine "$nwk" package "$(nw_winpath "$settings")" -o "$(nw_winpath "$scratch/$name.msi")" "$@" \
    >"$scratch/$name.out" 2>"$scratch/$name.err" || fail "nwk package $* failed: $(cat "$scratch/$name.err")"
  tr -d '\r' <"$scratch/$name.out" >"$scratch/$name.codes"
}
# expect MSI TABLE PATTERN: a row of the exported table matches the extended regex.
expect() { msiinfo export "$scratch/$1.msi" "$2" | tr -d '\r' | grep -Eq -- "$3" || fail "$1: $2 has no row like: $3"; }
refuse() { ! msiinfo export "$scratch/$1.msi" "$2" | tr -d '\r' | grep -Eq -- "$3" || fail "$1: $2 has a row like: $3"; }
summary() { msiinfo suminfo "$scratch/$1.msi" | grep -q -- "$2" || fail "$1: the summary has no \"$2\""; }
code() { sed -n "s/^$2 //p" "$scratch/$1.codes"; }

package x64 --arch x64
package x64-again --arch x64
package native
package x86 --arch x86
package user --user --arch x64
package manual --placement manual --arch x64
package newer --arch x64 --version 1.2.3

# The platform: 64-bit components in an x64 package, 32-bit ones only in an
# x86 package; Windows Installer 2.0 at least for both.
summary x64 "Template: x64;1033"
summary x64 "Version: 200"
expect x64 Component $'^Folder\t\\{[0-9A-F-]{36}\\}\tTARGETDIR\t260\t\tr[0-9]+$'
summary x86 "Template: Intel;1033"
summary x86 "Version: 200"
expect x86 Component $'^Folder\t\\{[0-9A-F-]{36}\\}\tTARGETDIR\t4\t\tr[0-9]+$'
expect x86 LaunchCondition $'^NOT VersionNT64\t'
refuse x64 LaunchCondition $'^NOT VersionNT64\t'
# Without a platform given, the one of this (64-bit) Windows.
summary native "Template: x64;1033"

# Per machine, and per user without elevation.
expect x64 Property $'^ALLUSERS\t1$'
summary x64 "Source: 2 "
refuse user Property $'^ALLUSERS\t'
summary user "Source: 10 "
expect user Registry $'^r[0-9]+\t1\tSoftware\\\\Classes\\\\CLSID\\\\'
expect x64 Registry $'^r[0-9]+\t2\tSoftware\\\\Classes\\\\CLSID\\\\'

# Programs and Features: the folder's name and CLSID, Nookwayer, the icon, no Change.
expect x64 Property $'^ProductName\t.+ \\(\\{0000000D-CF0D-D10A-A240-[0-9A-F]{12}\\}\\)$'
expect x64 Property $'^Manufacturer\tNookwayer$'
expect x64 Property $'^ARPNOMODIFY\t1$'
expect x64 Property $'^ARPPRODUCTICON\tfolder\\.ico$'
expect x64 Icon $'^folder\\.ico\t'
# The icon is a whole .ico file, with the sizes of a small icon up to 300 percent.
msiinfo extract "$scratch/x64.msi" Icon.folder.ico >"$scratch/folder.ico" 2>/dev/null
sizes="$(identify -format '%wx%h ' "$scratch/folder.ico" 2>/dev/null)"
[ "$sizes" = "16x16 20x20 24x24 32x32 40x40 48x48 " ] || fail "the icon's images: $sizes"
expect newer Property $'^ProductVersion\t1\\.2\\.3$'

# The folder's placement: the Desktop's entry, or none at all for manual.
expect x64 Registry $'\\\\Desktop\\\\NameSpace\\\\\\[\\\\\\{\\]0000000D'
refuse manual Registry $'\\\\NameSpace\\\\'

# Codes: the same file gives the same codes, the upgrade code follows from the
# folder alone, and another version is another product of the same folder.
upgrade="$(code x64 UpgradeCode)"
product="$(code x64 ProductCode)"
[[ "$product" =~ ^\{[0-9A-F-]{36}\}$ ]] || fail "no product code printed: $(cat "$scratch/x64.out")"
[ "$(code x64-again ProductCode)" = "$product" ] || fail "the same file gave another product code"
[ "$(code x64-again UpgradeCode)" = "$upgrade" ] || fail "the same file gave another upgrade code"
expect x64 Property $'^ProductCode\t'"$product"$'$'
expect x64 Property $'^UpgradeCode\t'"$upgrade"$'$'
[ "$(code newer UpgradeCode)" = "$upgrade" ] || fail "a new version has another upgrade code"
[ "$(code newer ProductCode)" != "$product" ] || fail "a new version has the same product code"
for other in x86 user manual; do
  [ "$(code $other UpgradeCode)" != "$upgrade" ] || fail "$other has the upgrade code of the x64 desktop package"
done
# Older and same versions are replaced; a newer one is only found, and stops it.
expect x64 Upgrade $'^'"${upgrade}"$'\t\t1\\.0\\.0\t\t512\t\tNWOLDERFOUND$'
expect x64 Upgrade $'^'"${upgrade}"$'\t1\\.0\\.0\t\t\t2\t\tNWNEWERFOUND$'
expect x64 LaunchCondition $'^NOT NWNEWERFOUND\t'
expect x64 InstallExecuteSequence $'^RemoveExistingProducts\t\t1450$'

[ "$failures" -eq 0 ] && echo "the packages' tables are as they should be"
exit $((failures > 0))
