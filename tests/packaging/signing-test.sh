#!/usr/bin/env bash
# Signing with a certificate made for this run alone (its key never leaves the
# run's scratch folder): each program and the package are signed, each
# signature checks out against that certificate and names it, a changed byte
# breaks it, and without a certificate nothing is signed.
#   signing-test.sh SIGN_SH FILE...
set -uo pipefail
sign="$1"
shift
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

subject="/CN=Nookwayer test signer $$"
openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "$subject" \
  -keyout "$scratch/key.pem" -out "$scratch/cert.pem" 2>/dev/null || { echo "openssl failed" >&2; exit 1; }
password="pw-$RANDOM$RANDOM"
openssl pkcs12 -export -inkey "$scratch/key.pem" -in "$scratch/cert.pem" -out "$scratch/signer.pfx" \
  -passout "pass:$password" || { echo "openssl pkcs12 failed" >&2; exit 1; }

for file in "$@"; do
  copy="$scratch/$(basename "$file")"
  cp "$file" "$copy"
  # No certificate named: the file stays as it was, unsigned.
  env -u NW_SIGN_PFX bash "$sign" "$copy" || fail "sign.sh without a certificate failed"
  cmp -s "$file" "$copy" || fail "$(basename "$file") changed without a certificate"
  osslsigncode verify -in "$copy" >/dev/null 2>&1 && fail "$(basename "$file") verifies unsigned"

  NW_SIGN_PFX="$scratch/signer.pfx" NW_SIGN_PASSWORD="$password" bash "$sign" "$copy" ||
    fail "signing $(basename "$file") failed"
  report="$(osslsigncode verify -CAfile "$scratch/cert.pem" -in "$copy" 2>&1)"
  grep -q "Signature verification: ok" <<<"$report" || fail "$(basename "$file"): $report"
  grep -q "${subject#/}" <<<"$report" || fail "$(basename "$file"): the signature names another signer"
  # The signature covers the file: one changed byte of the signed content breaks it.
  cp "$copy" "$copy.changed"
  printf '\x5a' | dd of="$copy.changed" bs=1 seek=1024 conv=notrunc status=none
  osslsigncode verify -CAfile "$scratch/cert.pem" -in "$copy.changed" 2>&1 | grep -q "Signature verification: ok" &&
    fail "$(basename "$file"): a changed file still verifies"
done
[ "$failures" -eq 0 ] && echo "signed, verified against the run's certificate, and a change breaks it"
exit $((failures > 0))
