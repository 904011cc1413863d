#!/usr/bin/env bash
# Signs copies of the release with a throwaway code-signing certificate, in both ways that
# scripts/sign takes one (certificate and key; PKCS#12 with a password), checks them with
# osslsigncode verify and the release check, and checks that a byte changed after signing
# fails verification. The release itself stays unsigned.
#   check_signing.sh <CumuloInstaller.exe> <work folder>
set -euo pipefail
exe="$1" work="$2"
root="$(cd "$(dirname "$0")/../.." && pwd)"
rm -rf "$work"
mkdir -p "$work"
quiet() { "$@" >/dev/null 2>&1; }

quiet openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Cumulo Throwaway Code CA" \
  -keyout "$work/ca.key" -out "$work/ca.pem"
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >"$work/ext.cnf"
quiet openssl req -newkey rsa:2048 -nodes -subj "/O=Aldervane/CN=Cumulo Throwaway Signing" \
  -keyout "$work/leaf.key" -out "$work/leaf.csr"
quiet openssl x509 -req -in "$work/leaf.csr" -CA "$work/ca.pem" -CAkey "$work/ca.key" \
  -CAcreateserial -days 2 -extfile "$work/ext.cnf" -out "$work/leaf.pem"
password="throwaway-$$"
quiet openssl pkcs12 -export -in "$work/leaf.pem" -inkey "$work/leaf.key" -certfile "$work/ca.pem" \
  -passout "pass:$password" -out "$work/leaf.p12"

CUMULO_SIGN_CERT="$work/leaf.pem" CUMULO_SIGN_KEY="$work/leaf.key" CUMULO_SIGN_CHAIN="$work/ca.pem" \
  bash "$root/scripts/sign" "$exe" "$work/by-key.exe"
CUMULO_SIGN_PKCS12="$work/leaf.p12" CUMULO_SIGN_PASSWORD="$password" \
  bash "$root/scripts/sign" "$exe" "$work/by-pkcs12.exe"

status=0
for signed in "$work/by-key.exe" "$work/by-pkcs12.exe"; do
  if osslsigncode verify -in "$signed" -CAfile "$work/ca.pem" >"$signed.verify" 2>&1; then
    echo "osslsigncode verify passed: $signed"
  else
    cat "$signed.verify"; echo "release signing FAILED: osslsigncode verify refused $signed"; status=1
  fi
  report="$(python3 "$root/tests/release/check_release.py" "$signed" | grep '^release signature:')"
  echo "$report"
  case "$report" in
    *"signed by O = Aldervane, CN = Cumulo Throwaway Signing") ;;
    *) echo "release signing FAILED: the release check does not name the signer"; status=1 ;;
  esac
done

cp "$work/by-key.exe" "$work/tampered.exe"
python3 "$root/tests/harness/flip_byte.py" "$work/tampered.exe"
if osslsigncode verify -in "$work/tampered.exe" -CAfile "$work/ca.pem" >/dev/null 2>&1; then
  echo "release signing FAILED: a changed byte still verifies"; status=1
fi
case "$(python3 "$root/tests/release/check_release.py" "$exe" | grep '^release signature:')" in
  "release signature: unsigned") ;;
  *) echo "release signing FAILED: the built release should stay unsigned"; status=1 ;;
esac
[ $status -eq 0 ] && echo "release signing passed"
exit $status
