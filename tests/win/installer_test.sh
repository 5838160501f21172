#!/usr/bin/env bash
# The installer under Wine, as a practice's IT person runs it: a silent
# install into a fresh folder (the files, the registration, a script creating
# plgRefertiLirvo.Plugin), an upgrade from an older version over an edited
# Config.xml (the edit survives), a newer version already installed (refused), and the silent
# uninstall (the ProgIDs gone, the documents folder untouched).
#   installer_test.sh WINE SETUP CLIENT
set -uo pipefail
wine=$1 setup=$2 client=$3
[ -f "$setup" ] || { echo "$setup is not built (--target installer): skipped"; exit 77; }
prefix_c="$WINEPREFIX/drive_c"
folder='C:\lirvo-setup-test\plgRefertiLirvo'
installed="$prefix_c/lirvo-setup-test/plgRefertiLirvo"
documents="$prefix_c/lirvo-setup-test/documenti"
status=0
fail() { echo "FAILED: $*"; status=1; }
cleanup() {
  "$wine" regsvr32 /u /s "$folder\\plgRefertiLirvo.dll" >/dev/null 2>&1
  "$wine" reg delete 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\plgRefertiLirvo' /f \
    >/dev/null 2>&1
  rm -rf "$prefix_c/lirvo-setup-test"
}
cleanup
trap cleanup EXIT
mkdir -p "$documents"
printf 'bundle\r\n' >"$documents/referti.dat"

# A silent install into a folder of its own.
"$wine" "$setup" /S "/D=$folder" || fail "the silent install exited with $?"
for f in plgRefertiLirvo.dll Config.xml TrascodificaLirvo.xml Uninstall.exe Styles/RefertiLirvo.png \
  Styles/REFConfig.png; do
  [ -f "$installed/$f" ] || fail "$f is not installed"
done
[ "$(ls "$installed/Styles" | wc -l)" -eq 9 ] || fail "not the nine icons: $(ls "$installed/Styles")"
"$wine" "$client" registered "$folder\\plgRefertiLirvo.dll" || fail "the registration"
cat >"$prefix_c/lirvo-setup-test/create.vbs" <<'VBS'
Set plugin = CreateObject("plgRefertiLirvo.Plugin")
WScript.Echo "created " & TypeName(plugin)
VBS
out=$("$wine" cscript //nologo 'C:\lirvo-setup-test\create.vbs' 2>&1)
grep -q "^created" <<<"$out" || fail "a script cannot create plgRefertiLirvo.Plugin: $out"

# An upgrade from an older version keeps the practice's Config.xml.
"$wine" reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\plgRefertiLirvo' \
  /v DisplayVersion /d 0.0.1 /f >/dev/null 2>&1
sed -i 's#<parameter name="documentsfolder">[^<]*</parameter>#<parameter name="documentsfolder">C:\\lirvo-setup-test\\documenti\\</parameter>#' \
  "$installed/Config.xml"
"$wine" "$setup" /S "/D=$folder" || fail "the upgrade exited with $?"
grep -q 'lirvo-setup-test\\documenti' "$installed/Config.xml" || fail "the upgrade replaced Config.xml"
"$wine" "$client" registered "$folder\\plgRefertiLirvo.dll" || fail "the registration after the upgrade"

# A newer installed version is not replaced by a silent install.
"$wine" reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\plgRefertiLirvo' \
  /v DisplayVersion /d 99.0.0 /f >/dev/null 2>&1
rm "$installed/Styles/REFConfig.png"
"$wine" "$setup" /S "/D=$folder"
code=$?
[ "$code" -eq 2 ] || fail "installing over a newer version exited with $code, not 2"
[ ! -f "$installed/Styles/REFConfig.png" ] || fail "the installer replaced a newer version"

# The silent uninstall, run in place so that the test can wait for it.
"$wine" "$folder\\Uninstall.exe" /S "_?=$folder" || fail "the uninstall exited with $?"
for f in plgRefertiLirvo.dll Config.xml TrascodificaLirvo.xml Styles; do
  [ ! -e "$installed/$f" ] || fail "$f is left after the uninstall"
done
"$wine" "$client" unregistered || fail "the registration is left"
[ -f "$documents/referti.dat" ] || fail "the uninstall touched the documents folder"
exit $status
