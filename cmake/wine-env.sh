# Sourced by the Wine scripts: the environment of the project's own Wine prefix.
# Usage: . wine-env.sh PREFIX
export WINEPREFIX="$(realpath -m "$1")"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64
