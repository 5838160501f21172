#!/usr/bin/env bash
# The DLL imports only system DLLs: the C and C++ runtimes are linked in.
#   dll_imports.sh OBJDUMP DLL
set -euo pipefail
objdump=$1 dll=$2
imports=$("$objdump" -p "$dll" | sed -n 's/^\s*DLL Name: //p')
[ -n "$imports" ] || { echo "no imports read from $dll"; exit 1; }
status=0
while read -r name; do
  case "${name,,}" in
    kernel32.dll | advapi32.dll | ole32.dll | oleaut32.dll | msvcrt.dll | user32.dll | gdi32.dll | comctl32.dll | \
      comdlg32.dll | shell32.dll) ;;
    *) echo "imports $name, which Windows does not ship"; status=1 ;;
  esac
done <<<"$imports"
echo "imports:" $imports
exit $status
