#!/usr/bin/env bash
# Manages the project-local Wine prefix.
#   wine-prefix.sh ensure PREFIX   create and configure the prefix once (under a lock)
#   wine-prefix.sh start PREFIX    ensure, then start a wineserver that stays until stop (current DISPLAY)
#   wine-prefix.sh stop PREFIX     shut the prefix's wineserver down
#   wine-prefix.sh version PREFIX win7|win10
#                                  stop, then make the prefix report that Windows version
#                                  (as winecfg -v does) and check what it reports; start again after
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cmd="$1"
. "$here/wine-env.sh" "$2"

# The ready mark records whether the prefix was booted with 32-bit support. A
# prefix booted by the 64-bit loader alone lacks its 32-bit half: where 32-bit
# programs run, it is booted again.
ready="$WINEPREFIX/.nookwayer-ready"
usable() {
  [ -f "$ready" ] || return 1
  [ "$NW_RUNS_32BIT" = no ] || [ "$(cat "$ready")" != "32-bit: no" ]
}

ensure() {
  usable && return 0
  mkdir -p "$(dirname "$WINEPREFIX")"
  # The lock lives in a subshell, so no Wine process started here inherits it.
  (
    flock 9
    usable || create
  ) 9>"$WINEPREFIX.lock"
}

create() {
  if [ -d "$WINEPREFIX" ]; then
    timeout 30 wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
  fi
  [ "$NW_RUNS_32BIT" = yes ] || echo "wine-prefix: booting a 64-bit-only prefix: $NW_NO_32BIT_WHY" >&2
  # Boot without a display: the first process of a session binds the desktop to its DISPLAY.
  if ! env -u DISPLAY "${NW_WINE[@]}" wineboot -i >/dev/null 2>&1 9>&-; then
    echo "wine-prefix: wineboot could not create $WINEPREFIX" >&2
    exit 1
  fi
  # Debian's Wine does not load its own fonts: put them where the prefix finds them.
  cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  local reg="$WINEPREFIX/nookwayer-setup.reg"
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n"ShowCrashDialog"=dword:00000000\r\n\r\n' >"$reg"
  env -u DISPLAY "${NW_WINE[@]}" regedit /S "$(nw_wine winepath -w "$reg" 2>/dev/null 9>&-)" >/dev/null 2>&1 9>&-
  timeout 60 wineserver -w || wineserver -k || true
  echo "32-bit: $NW_RUNS_32BIT" >"$ready"
}

stop() {
  if [ -d "$WINEPREFIX" ]; then
    # The server persists until told: end its processes, then wait for it to go.
    wineserver -k 2>/dev/null || true
    timeout 30 wineserver -w 2>/dev/null || true
  fi
}

# Wine 8 reports Windows 7 SP1 in a new prefix. winecfg -v writes the version
# keys under HKLM\Software\Microsoft\Windows NT\CurrentVersion, which programs
# started afterwards read; cmd's "ver" shows what they get.
version() {
  local want
  case "$1" in
    win7) want="6.1.7601" ;;
    win10) want="10.0." ;;
    *) echo "wine-prefix: unknown Windows version '$1' (win7 or win10)" >&2; exit 2 ;;
  esac
  ensure
  stop
  env -u DISPLAY "${NW_WINE[@]}" winecfg -v "$1" </dev/null >/dev/null 2>&1 9>&-
  local reported
  reported="$(env -u DISPLAY "${NW_WINE[@]}" cmd /c ver </dev/null 2>/dev/null 9>&- | tr -d '\r' | grep -o '[0-9][0-9.]*[0-9]' || true)"
  timeout 30 wineserver -w 2>/dev/null || wineserver -k 2>/dev/null || true
  if [[ "$reported" != "$want"* ]]; then
    echo "wine-prefix: asked for $1, but the prefix reports Windows ${reported:-nothing}" >&2
    exit 1
  fi
  echo "wine-prefix: reports Windows $reported ($1)"
}

case "$cmd" in
  ensure) ensure ;;
  start)
    ensure
    # A persistent server, detached from the caller's output so test runners do not wait on it.
    setsid wineserver -p </dev/null >/dev/null 2>&1 || true
    nw_wine cmd /c exit 0 </dev/null >/dev/null 2>&1 || true
    ;;
  stop) stop ;;
  version) version "${3:-}" ;;
  *) echo "usage: $0 ensure|start|stop PREFIX, or version PREFIX win7|win10" >&2; exit 2 ;;
esac
