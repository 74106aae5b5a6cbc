#!/usr/bin/env bash
# Takes the README's pictures of both windows at 100 and 150 percent (96 and
# 144 DPI) with the x86_64 build, in a virtual display, into docs/:
#   bash tools/screenshots.sh
# The DPI setting of the project's Wine prefix is put back afterwards.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
prefix="$root/build/wineprefix"
exe="$root/build/x86_64/src/frmNW/nookwayer.exe"
[ -x "$exe" ] || { echo "build the x86_64 preset first" >&2; exit 1; }
env -u DISPLAY cmake/wine-prefix.sh ensure "$prefix"
cmake/wine-prefix.sh stop "$prefix"  # a new session binds to this run's display

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -euo pipefail
  prefix="$1"; exe="$2"; file="Z:${3//\//\\}"
  cmake/wine-prefix.sh start "$prefix"
  . cmake/wine-env.sh "$prefix"
  key="HKCU\\Control Panel\\Desktop"
  previous="$(nw_wine reg query "$key" /v LogPixels 2>/dev/null | tr -d "\r" | awk "/LogPixels/ {print \$3}")" || true
  restore() {
    if [ -n "$previous" ]; then nw_wine reg add "$key" /v LogPixels /t REG_DWORD /d "$((previous))" /f >/dev/null
    else nw_wine reg delete "$key" /v LogPixels /f >/dev/null 2>&1 || true; fi
  }
  trap restore EXIT
  # The top-level X window of the program of about that width.
  shoot() {  # name, smallest width
    local id=""
    for _ in $(seq 1 100); do
      id="$(xwininfo -root -children | awk -v min="$2" "/nookwayer.exe/ && match(\$0, /[0-9]+x[0-9]+[+]/) {
              w = substr(\$0, RSTART, RLENGTH) + 0; if (w >= min && w < min + 40) { print \$1; exit } }")"
      [ -n "$id" ] && break
      sleep 0.05
    done
    [ -n "$id" ] || { echo "no window for $1" >&2; return 1; }
    sleep 0.7  # let it paint
    import -window "$id" "docs/$1.png"
    echo "docs/$1.png"
  }
  for scale in 100 150; do
    dpi=$((96 * scale / 100))
    nw_wine reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
    nw_wine "$exe" "$file" &
    suffix=""; [ "$scale" = 100 ] || suffix="-$scale"
    shoot "main-window$suffix" $((433 * scale / 100))
    main="$(xdotool search --onlyvisible --name "^Nookwayer$" | head -n 1)"
    xdotool windowfocus --sync "$main" key alt+a
    shoot "about-window$suffix" $((286 * scale / 100))
    xdotool key Escape
    sleep 0.3
    xdotool windowfocus --sync "$main" key Escape
    wait
  done
  cmake/wine-prefix.sh stop "$prefix"
' bash "$prefix" "$exe" "$root/examples/admin-tools.nwk"
