#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the run command need.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

packages=(
  cmake make g++ googletest libgtest-dev
  g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 mingw-w64-tools
  wine wine64 wine32:i386 fonts-wine fonts-liberation
  xvfb xauth x11-utils xdotool imagemagick
  clang-format clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages (${missing[*]}); run as root to install them" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
apt-get update -q -o DPkg::Lock::Timeout=600
apt-get install -y -q -o DPkg::Lock::Timeout=600 --no-install-recommends "${missing[@]}"
