#!/usr/bin/env bash
# Holds Windows executables to what Windows 7 SP1 can load:
#   check-imports.sh OBJDUMP ARCH LIST EXE...
# Every function an executable imports must be on LIST (lines "dll!Function",
# optionally followed by the one architecture, i686 or x86_64, that imports it),
# and the subsystem and operating-system versions in its PE header must be 6.1
# or lower: Windows refuses to start a program that asks for a newer system.
# Fails naming every function, DLL and version that breaks the rule.
set -euo pipefail
objdump="$1" arch="$2" list="$3"
shift 3

declare -A allowed=()
while read -r entry only rest; do
  if [[ -z "$entry" || "$entry" == \#* ]]; then continue; fi
  if [[ -n "$rest" || ! "$entry" =~ ^[^!]+\.dll![^!]+$ || ! "$only" =~ ^(|i686|x86_64)$ ]]; then
    echo "$list: unreadable line: $entry $only $rest" >&2
    exit 2
  fi
  if [[ -z "$only" || "$only" == "$arch" ]]; then
    dll="${entry%%!*}"
    allowed["${dll,,}!${entry#*!}"]=1
  fi
done <"$list"

failed=0
for exe in "$@"; do
  name="$(basename "$exe")"
  header="$("$objdump" -p "$exe")" || { echo "$name: $objdump cannot read it" >&2; failed=1; continue; }

  for field in Subsystem OSystem; do
    what="${field/OSystem/operating system}"
    major="$(awk -v f="Major${field}Version" '$1 == f { print $2 }' <<<"$header")"
    minor="$(awk -v f="Minor${field}Version" '$1 == f { print $2 }' <<<"$header")"
    if [[ -z "$major" || -z "$minor" ]]; then
      echo "$name: no ${what,,} version in the PE header" >&2
      failed=1
    elif ((major > 6 || (major == 6 && minor > 1))); then
      echo "$name: ${what,,} version $major.$minor is newer than Windows 7 (6.1)" >&2
      failed=1
    fi
  done

  # The import tables: a "DLL Name:" line, then one line per function with its
  # address, hint and name; an import by ordinal has "<none>" for the name.
  imports="$(awk '
    /^The / { tables = /^The Import Tables/; dll = ""; next }
    !tables { next }
    /^\tDLL Name: / { dll = tolower($3); next }
    dll != "" && /^\t[0-9a-f]+[ \t]+[0-9a-f]+[ \t]+/ {
      print dll "!" ($3 == "<none>" ? "#" $2 : $3)
      next
    }
    /^ [0-9a-f]+\t/ { dll = "" }
  ' <<<"$header")"
  if [[ -z "$imports" ]]; then
    echo "$name: no imported functions found; is it a Windows executable?" >&2
    failed=1
    continue
  fi
  while read -r import; do
    if [[ -z "${allowed[$import]:-}" ]]; then
      echo "$name: imports ${import#*!} from ${import%%!*}, which is not on $(basename "$list") for $arch" >&2
      failed=1
    fi
  done <<<"$imports"
  echo "$name: $(wc -l <<<"$imports") imports checked"
done
exit $failed
