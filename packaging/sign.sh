#!/usr/bin/env bash
# Signs one Windows executable in place with Authenticode (SHA-256), through
# Debian's osslsigncode: sign.sh FILE DESCRIPTION. scripts/package --pkcs12
# sets what it reads:
#   TARVELO_SIGN_PKCS12     the certificate and key, a PKCS#12 file
#   TARVELO_SIGN_PASSWORD   its password, handed over through a pipe so that
#                           it never shows in the list of processes
#   TARVELO_SIGN_TIMESTAMP  an RFC 3161 time-stamping server, or empty
# CPack runs it on the program before packing it, and makensis on the
# uninstaller and the installer (!uninstfinalize, !finalize).
set -euo pipefail
file=$1 description=$2
signed=$file.signed
arguments=(sign -pkcs12 "$TARVELO_SIGN_PKCS12" -h sha256 -n "$description")
if [ -n "${TARVELO_SIGN_TIMESTAMP:-}" ]; then
  arguments+=(-ts "$TARVELO_SIGN_TIMESTAMP")
fi
rm -f "$signed"
if ! osslsigncode "${arguments[@]}" -readpass <(printf '%s' "$TARVELO_SIGN_PASSWORD") -in "$file" -out "$signed" >"$signed.log" 2>&1; then
  echo "signing $file failed:" >&2
  cat "$signed.log" >&2
  rm -f "$signed" "$signed.log"
  exit 1
fi
rm -f "$signed.log"
mv -f "$signed" "$file"
