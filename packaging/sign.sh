#!/usr/bin/env bash
# Signs each file named, in place, with osslsigncode (programs and installer
# packages alike) when NW_SIGN_PFX names a PKCS#12 file holding the signing
# certificate and its private key. NW_SIGN_PASSWORD is that file's password
# (read through a pipe, never on a command line); NW_SIGN_TIMESTAMP, when set,
# the URL of a timestamp server. Without NW_SIGN_PFX it leaves the files as
# they are.
#   sign.sh FILE...
set -euo pipefail
[ -n "${NW_SIGN_PFX:-}" ] || exit 0
for file in "$@"; do
  args=(sign -pkcs12 "$NW_SIGN_PFX" -h sha256 -n Nookwayer)
  [ -z "${NW_SIGN_TIMESTAMP:-}" ] || args+=(-ts "$NW_SIGN_TIMESTAMP")
  rm -f "$file.signed"
  osslsigncode "${args[@]}" -readpass <(printf '%s' "${NW_SIGN_PASSWORD:-}") -in "$file" -out "$file.signed" >/dev/null
  mv "$file.signed" "$file"
done
