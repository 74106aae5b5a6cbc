# Sourced by the Wine scripts: the environment of the project's own Wine prefix,
# and nw_wine, the Wine this machine can run (wine-host.sh).
# Usage: . wine-env.sh PREFIX
. "$(dirname "${BASH_SOURCE[0]}")/wine-host.sh"
export WINEPREFIX="$(realpath -m "$1")"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64
