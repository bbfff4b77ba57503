#!/usr/bin/env bash
# The signed packages, with a throwaway self-signed certificate made here:
# osslsigncode accepts the program in the zip, the installer and the
# uninstaller it installs; the signed installer installs and uninstalls
# silently under Wine; a wrong password or an unreadable certificate stops
# scripts/package with a clear message and leaves no package behind.
#
# Runs from scripts/test, in the 32-bit Wine prefix that scripts/test started
# (WINEPREFIX and DISPLAY set); prints one line per failed check. With
# --no-install, for machines that cannot run the 32-bit installer, it signs
# and verifies only, and needs no Wine.
set -uo pipefail

install=1
case ${1:-} in
  --no-install) install=0 ;;
  "") ;;
  *) echo "usage: signing.sh [--no-install]" >&2; exit 2 ;;
esac

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$here"
work=$here/build/signing-test
rm -rf "$work"
mkdir -p "$work"
version=$(sed -nE 's/^#define TARVELO_VERSION_(MAJOR|MINOR|PATCH) +([0-9]+).*/\2/p' app/product.h | paste -sd.)
faults=0
fault() {
  echo "FAILED: $*"
  faults=$((faults + 1))
}

export TARVELO_SIGN_PASSWORD="throwaway-$$-$RANDOM"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Tarvelo throwaway test signer" \
  -addext "extendedKeyUsage=codeSigning" -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null &&
  openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/signer.p12" \
    -passout env:TARVELO_SIGN_PASSWORD || { echo "FAILED: could not make the certificate"; exit 1; }

# Refused before anything is built: the message says why, nothing is left.
refused() {  # what, expected words of the message, then scripts/package's arguments
  local what=$1 words=$2 folder=$work/$1
  shift 2
  if bash scripts/package --only win32 --out "$folder" "$@" >"$folder.log" 2>&1; then
    fault "$what: scripts/package succeeded"
  elif ! grep -q -- "$words" "$folder.log"; then
    fault "$what: no clear message (want \"$words\"): $(tail -n 3 "$folder.log")"
  fi
  if compgen -G "$folder/Tarvelo-*" >/dev/null; then
    fault "$what: left $(cd "$folder" && echo Tarvelo-*)"
  fi
}
TARVELO_SIGN_PASSWORD=wrong refused wrong-password "wrong password" --pkcs12 "$work/signer.p12"
refused unreadable "cannot read the certificate" --pkcs12 "$work/missing.p12"

signed=$work/signed
if ! bash scripts/package --only win32 --pkcs12 "$work/signer.p12" --out "$signed" >"$signed.log" 2>&1; then
  echo "FAILED: signed packaging: $(tail -n 5 "$signed.log")"
  exit 1
fi
verify() {  # what, file
  osslsigncode verify -CAfile "$work/cert.pem" -in "$2" >"$work/verify.log" 2>&1 ||
    fault "$1 is not validly signed: $(grep -iE 'fail|error|mismatch' "$work/verify.log" | head -n 3)"
}
mkdir -p "$work/unzipped"
python3 -m zipfile -e "$signed/Tarvelo-$version-win32.zip" "$work/unzipped"
verify "the program in the zip" "$work/unzipped/Tarvelo-$version-win32/Tarvelo.exe"
setup=$signed/Tarvelo-$version-setup.exe
verify "the installer" "$setup"
[ "$(cut -d' ' -f1 "$setup.sha256")" = "$(sha256sum "$setup" | cut -d' ' -f1)" ] ||
  fault "the installer's .sha256 is not that of the signed installer"

if ((!install)); then
  [ "$faults" = 0 ] && echo "signed packages: all checks passed (not installed: --no-install)"
  exit $((faults > 0))
fi

# Installed and uninstalled silently; the installed uninstaller is signed.
local_app_data=$(wine cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null | tr -d '\r')
installed=$(winepath -u "$local_app_data\\Programs\\Tarvelo" 2>/dev/null)
wait_for() {  # what, seconds, then the condition's command
  local what=$1 deadline=$((SECONDS + $2))
  shift 2
  until "$@"; do
    [ $SECONDS -lt $deadline ] || { fault "timed out waiting for $what"; return 1; }
    sleep 0.5
  done
}
timeout 120 wine "$(winepath -w "$setup")" /S >/dev/null 2>&1 || fault "the signed installer failed"
if wait_for "the installed program" 60 test -f "$installed/Uninstall.exe" -a -f "$installed/Tarvelo.exe"; then
  verify "the installed program" "$installed/Tarvelo.exe"
  verify "the uninstaller" "$installed/Uninstall.exe"
  # The uninstaller runs a copy of itself from the temporary folder and
  # returns at once: the folder going is the sign that it finished.
  timeout 60 wine "$(winepath -w "$installed/Uninstall.exe")" /S >/dev/null 2>&1 || fault "the uninstaller failed"
  wait_for "the uninstaller to remove the program" 60 test ! -e "$installed/Tarvelo.exe"
fi

[ "$faults" = 0 ] && echo "signed packages: all checks passed"
exit $((faults > 0))
