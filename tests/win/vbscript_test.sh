#!/usr/bin/env bash
# clsAES from VBScript (Wine's cscript), with the DLL registered by regsvr32.
# The script's last line says it ran: cscript exits with 0 on a syntax error.
#   vbscript_test.sh WINE DLL SCRIPT
set -uo pipefail
wine=$1 dll=$2 script=$3
"$wine" regsvr32 /s "$dll" || { echo "regsvr32 failed"; exit 1; }
trap '"$wine" regsvr32 /u /s "$dll"' EXIT
out=$("$wine" cscript //nologo "$script" 2>&1)
status=$?
printf '%s\n' "$out"
grep -q "^checks done: 0 failed" <<<"$out" || exit 1
exit $status
