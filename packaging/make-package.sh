#!/usr/bin/env bash
# Builds the installer package and the portable zip of one build:
#   make-package.sh ARCH VERSION NOOKWAYER_EXE NWK_EXE SOURCE_DIR OUT_DIR
# ARCH is x86 (the i686 build) or x64. Writes nookwayer-VERSION-ARCH.msi and
# nookwayer-VERSION-ARCH.zip to OUT_DIR; the programs in both and the package
# itself are signed when sign.sh is given a certificate.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
arch="$1" version="$2" program="$3" console="$4" source="$5" out="$6"
case "$arch" in
  x64) program_files=ProgramFiles64Folder win64=' Win64="yes"' ;;
  x86) program_files=ProgramFilesFolder win64='' ;;
  *) echo "make-package: ARCH must be x86 or x64, not $arch" >&2; exit 2 ;;
esac
name="nookwayer-$version-$arch"
upgrade_code="$(sed -n 's/.*UpgradeCode="\([0-9A-F-]*\)".*/{\1}/p' "$here/nookwayer.wxs.in")"
stage="$out/$name"
rm -rf "$stage" "$out/$name.msi" "$out/$name.zip"
mkdir -p "$stage/examples"

cp "$program" "$stage/nookwayer.exe"
cp "$console" "$stage/nwk.exe"
# For Programs and Features only: the zip does not take it.
cp "$source/src/frmNW/nookwayer.ico" "$stage/nookwayer.ico"
# Notepad before Windows 10 shows only CR LF line ends.
sed 's/\r*$/\r/' "$source/README.md" >"$stage/README.txt"
cp "$source"/examples/*.nwk "$stage/examples/"
bash "$here/sign.sh" "$stage/nookwayer.exe" "$stage/nwk.exe"

# The samples, the first of them the key of their component.
examples=""
key=' KeyPath="yes"'
for file in "$stage"/examples/*.nwk; do
  base="$(basename "$file")"
  examples+="              <File Id=\"example_${base//[^A-Za-z0-9]/_}\" Source=\"examples/$base\"$key/>\n"
  key=""
done
sed -e "s/@VERSION@/$version/g" -e "s/@ARCH@/$arch/g" -e "s/@PROGRAM_FILES@/$program_files/g" \
  -e "s/@WIN64@/$win64/g" -e "s#@EXAMPLES@#$examples#" -e "s#@ICON@#nookwayer.ico#" \
  "$here/nookwayer.wxs.in" >"$out/$name.wxs"
(cd "$stage" && wixl -a "$arch" -o "$out/$name.msi" "$out/$name.wxs")
# The PATH entry, which wixl cannot write: appended to the machine's PATH by
# the component of nwk.exe, and taken out again when it is removed. And the
# upgrade row, whose attributes wixl cannot set: it finds an installed
# package up to this version, that of the same version included (the other
# platform's package, which shares the upgrade code and the machine's file
# type), and migrates its features (1) with the maximum included (512).
msibuild "$out/$name.msi" \
  -q "CREATE TABLE \`Environment\` (\`Environment\` CHAR(72) NOT NULL, \`Name\` CHAR(255) NOT NULL LOCALIZABLE, \`Value\` CHAR(255) LOCALIZABLE, \`Component_\` CHAR(72) NOT NULL PRIMARY KEY \`Environment\`)" \
  -q "INSERT INTO \`Environment\` (\`Environment\`, \`Name\`, \`Value\`, \`Component_\`) VALUES ('NookwayerPath', '=-*PATH', '[~];[INSTALLDIR]', 'Console')" \
  -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('RemoveEnvironmentStrings', 3300)" \
  -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('WriteEnvironmentStrings', 5200)" \
  -q "DELETE FROM \`Upgrade\` WHERE \`ActionProperty\` = 'WIX_UPGRADE_DETECTED'" \
  -q "INSERT INTO \`Upgrade\` (\`UpgradeCode\`, \`VersionMax\`, \`Attributes\`, \`ActionProperty\`) VALUES ('$upgrade_code', '$version', $((1 | 512)), 'WIX_UPGRADE_DETECTED')"
bash "$here/sign.sh" "$out/$name.msi"

(cd "$out" && cmake -E tar cf "$name.zip" --format=zip "$name/nookwayer.exe" "$name/nwk.exe" "$name/README.txt" "$name/examples")
