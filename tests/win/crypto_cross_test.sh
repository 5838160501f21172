#!/usr/bin/env bash
# The DLL and the Linux lirvo make the same ciphertext of the same text, and
# each decrypts what the other encrypted.
#   crypto_cross_test.sh WINE CLIENT DLL LIRVO
set -uo pipefail
wine=$1 client=$2 dll=$3 lirvo=$4
if [ ! -x "$lirvo" ]; then
  echo "no Linux lirvo at $lirvo (build the dev preset first)"
  exit 77
fi
"$wine" regsvr32 /s "$dll" || { echo "regsvr32 failed"; exit 1; }
trap '"$wine" regsvr32 /u /s "$dll"' EXIT

status=0
fail() { echo "FAILED: $*"; status=1; }
for text in "referto" "Però è già qui" "abcdefghijklmno, due blocchi" "€ 12,50 – ü"; do
  from_dll=$("$wine" "$client" call EncryptStr "$text") || fail "EncryptStr '$text' in the DLL"
  from_linux=$("$lirvo" crypto encrypt-str "$text") || fail "lirvo crypto encrypt-str '$text'"
  [ "$from_dll" = "$from_linux" ] || fail "'$text': DLL $from_dll, Linux $from_linux"
  back=$("$lirvo" crypto decrypt-str "$from_dll")
  [ "$back" = "$text" ] || fail "lirvo decrypts the DLL's '$text' as '$back'"
  back=$("$wine" "$client" call DecryptStr "$from_linux")
  [ "$back" = "$text" ] || fail "the DLL decrypts lirvo's '$text' as '$back'"
done
exit $status
