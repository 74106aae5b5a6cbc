#!/usr/bin/env bash
# Builds the program if needed and starts it on a settings file (the sample by
# default) in the project's Wine prefix. With no display it runs in a virtual
# one, saves a screenshot of the window as build/screenshots/main-window.png
# and closes the window again.
#   scripts/run.sh [i686|x86_64] [FILE.nwk]
# The i686 build is the default; where this machine cannot run 32-bit programs
# the x86_64 build is.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
arch=""
case "${1:-}" in
  i686 | x86_64) arch="$1"; shift ;;
esac
file="${1:-$root/examples/admin-tools.nwk}"
[[ "$file" == /* ]] || file="$PWD/$file"
cd "$root"

bash scripts/install-deps.sh
. cmake/wine-host.sh
if [ "$NW_RUNS_32BIT" = no ]; then
  if [ "$arch" = i686 ]; then
    echo "run: the i686 build cannot run here: $NW_NO_32BIT_WHY (try: scripts/run.sh x86_64)" >&2
    exit 3
  fi
  [ -n "$arch" ] || echo "run: $NW_NO_32BIT_WHY: running the x86_64 build"
  arch=x86_64
fi
arch="${arch:-i686}"
if [ ! -f "$file" ]; then
  echo "run: no such file: $file" >&2
  exit 2
fi
file="$(realpath "$file")"
cmake --preset "$arch" >/dev/null
cmake --build --preset "$arch" --target nookwayer -j "$(nproc)"

exe="$root/build/$arch/src/frmNW/nookwayer.exe"
prefix="$root/build/wineprefix"
env -u DISPLAY cmake/wine-prefix.sh ensure "$prefix"
cmake/wine-prefix.sh stop "$prefix"  # a new session binds to this run's display

if [ -n "${DISPLAY:-}" ]; then
  cmake/wine-prefix.sh start "$prefix"
  . cmake/wine-env.sh "$prefix"
  status=0
  nw_wine "$exe" "$(nw_winpath "$file")" || status=$?
  cmake/wine-prefix.sh stop "$prefix"
  exit $status
fi

# Without a display: start it in a virtual one, take a picture of the window
# and close it again.
screenshot() {
  local exe="$1" file="$2" shot="$3" window="" status=1
  nw_wine "$exe" "$(nw_winpath "$file")" &
  for _ in $(seq 1 200); do
    window="$(xdotool search --onlyvisible --name "^Nookwayer$" 2>/dev/null | head -n 1 || true)"
    [ -n "$window" ] && break
    sleep 0.05
  done
  if [ -n "$window" ]; then
    sleep 0.5  # let it paint
    import -window "$window" "$shot" && echo "screenshot: $shot" && status=0
    xdotool windowfocus --sync "$window" key Escape || true
  else
    echo "the main window did not appear" >&2
  fi
  wait || true
  return $status
}
. cmake/wine-display.sh
mkdir -p build/screenshots
nw_wine_display "$prefix" screenshot "$exe" "$file" "$root/build/screenshots/main-window.png"
