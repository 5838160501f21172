#!/usr/bin/env bash
# regsvr32 registers the DLL so that a client finds clsAES by ProgID, and
# regsvr32 /u leaves nothing behind.
#   regsvr32_test.sh WINE CLIENT DLL
set -uo pipefail
wine=$1 client=$2 dll=$3
"$wine" regsvr32 /s "$dll" || { echo "regsvr32 failed"; exit 1; }
status=0
"$wine" "$client" registered "$dll" || status=1
"$wine" regsvr32 /u /s "$dll" || { echo "regsvr32 /u failed"; status=1; }
"$wine" "$client" unregistered || status=1
exit $status
