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
  wixl msitools osslsigncode openssl libssl-dev
)

# Locales for the code-page tests. Under Wine a process's ANSI code page
# follows its locale (ja_JP.UTF-8 gives 932, ru_RU.UTF-8 gives 1251), but only
# for a locale the system has: otherwise it stays 1252.
test_locales=(ja_JP.UTF-8 ru_RU.UTF-8)
ensure_test_locales() {
  local wanted=()
  for l in "${test_locales[@]}"; do
    # locale -a lists ja_JP.UTF-8 as ja_JP.utf8.
    locale -a 2>/dev/null | grep -qix "${l%.UTF-8}.utf8" || wanted+=("$l")
  done
  [ ${#wanted[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: missing locales (${wanted[*]}); run as root to generate them" >&2
    exit 1
  fi
  if ! dpkg-query -W -f='${Status}' locales 2>/dev/null | grep -q 'install ok installed'; then
    DEBIAN_FRONTEND=noninteractive apt-get update -q -o DPkg::Lock::Timeout=600
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q -o DPkg::Lock::Timeout=600 --no-install-recommends locales
  fi
  for l in "${wanted[@]}"; do
    if grep -Eq "^# *${l//./\\.} UTF-8\$" /etc/locale.gen; then
      sed -i -E "s/^# *(${l//./\\.} UTF-8)\$/\\1/" /etc/locale.gen
    elif ! grep -Eq "^${l//./\\.} UTF-8\$" /etc/locale.gen; then
      echo "$l UTF-8" >>/etc/locale.gen
    fi
  done
  locale-gen
}
ensure_test_locales

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
