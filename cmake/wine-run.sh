#!/usr/bin/env bash
# Runs a Windows executable under Wine in the project's prefix: wine-run.sh PREFIX EXE [ARGS...]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$here/wine-prefix.sh" ensure "$1"
. "$here/wine-env.sh" "$1"
shift
exec "${NW_WINE[@]}" "$@"
