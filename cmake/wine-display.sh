# Sourced by the scripts: nw_wine_display runs a bash function of the caller
# under the project's Wine in a virtual display.
#   nw_wine_display PREFIX FUNCTION [ARGS...]
# One Xvfb display and one wineserver of PREFIX serve the whole function, which
# runs with the environment of wine-env.sh (WINEPREFIX, nw_wine, nw_winpath,
# nw_runnable_arches) and the working folder of the caller. The wineserver is
# stopped after it, whatever it returns; its status is returned.
nw_wine_display() {
  local prefix="$1" fn="$2"
  shift 2
  # The function goes as its own text: xvfb-run is a POSIX shell script, and
  # such a shell passes no exported bash function on.
  xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    set -u
    here="$1" prefix="$2" fn="$4"
    eval "$3"
    shift 4
    "$here/wine-prefix.sh" start "$prefix"
    . "$here/wine-env.sh" "$prefix"
    status=0
    "$fn" "$@" || status=$?
    "$here/wine-prefix.sh" stop "$prefix"
    exit $status
  ' bash "$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)" "$prefix" "$(declare -f "$fn")" "$fn" "$@"
}
