#!/usr/bin/env bash
# The plug-in as Clinora loads it: a VBScript Clinora (clinora.vbs) creates
# plgRefertiLirvo.Plugin by ProgID from the DLL registered beside a demo
# installation's Config.xml, TrascodificaLirvo.xml and Styles, builds the
# ribbon, opens the main window, loads a bundle through the chooser and
# imports it, shows the unread summary and the configuration dialog;
# window_answerer plays the person at the dialogs. The saves the
# small Clinora received must be those the Linux `lirvo import` makes of the
# same bundle.
#   clinora_test.sh WINE ANSWERER DLL SCRIPT LIRVO
set -uo pipefail
wine=$1 answerer=$2 dll=$3 script=$4 lirvo=$5
[ -x "$lirvo" ] || { echo "the Linux lirvo is not built ($lirvo): skipped"; exit 77; }
bundle=referti_ottobre.dat

# In the build folder: the 32-bit Wine runs in a root that sees the
# repository, not this machine's /tmp.
work=$(mktemp -d "$PWD/clinora.XXXXXX")
trap 'rm -rf "$work"' EXIT
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }

# Points an installation's Config.xml at a documents folder.
set_documents() {
  python3 - "$1/plugin/Config.xml" "$2" <<'PY'
import sys, re
path, folder = sys.argv[1], sys.argv[2]
text = open(path, encoding="utf-8").read()
text = re.sub(r'(<parameter name="documentsfolder">)[^<]*', lambda m: m.group(1) + folder, text)
open(path, "w", encoding="utf-8").write(text)
PY
}
"$lirvo" init --demo "$work/inst" >/dev/null || exit 1
cp -r "$work/inst" "$work/linux"
set_documents "$work/linux" "$work/linux/documents/" || exit 1
# The documents folder as Windows names it.
set_documents "$work/inst" "$(windows_path "$work/inst/documents/")" || exit 1
"$lirvo" patients list --install "$work/inst" --json | python3 -c '
import json, sys
for p in json.load(sys.stdin)["patients"]:
    print("\t".join(str(p[k]) for k in ("id", "cognome", "nome", "data_nascita", "codice_fiscale", "tessera")))
' >"$work/patients.txt" || exit 1
# The chooser lists the bundles by name, without regard to letter case.
row=$(ls "$work/inst/documents" | grep -i '\.dat$' | sort -f | grep -n -x "$bundle" | cut -d: -f1)
row=$((row - 1))

cp "$dll" "$work/inst/plugin/plgRefertiLirvo.dll"
dll_windows=$(windows_path "$work/inst/plugin/plgRefertiLirvo.dll")
"$wine" regsvr32 /s "$dll_windows" || { echo "regsvr32 failed"; exit 1; }
trap '"$wine" regsvr32 /u /s "$dll_windows"; rm -rf "$work"' EXIT

"$wine" "$answerer" "$(windows_path "$work/answers.log")" "frmGetBundle:row $row" no \
  frmReferto:cbChiudi frmConfig:Chiudi &
answerer_pid=$!
out=$("$wine" cscript //nologo "$script" "$(windows_path "$work/patients.txt")" \
  "$(windows_path "$work/saves.txt")" "$(windows_path "$work/inst/plugin")" 2>&1)
status=$?
printf '%s\n' "$out"
wait "$answerer_pid" || { echo "the dialogs were not all answered"; status=1; }
echo "== dialogs"
cat "$work/answers.log"
grep -q "^checks done: 0 failed" <<<"$out" || status=1
grep -q '"type":"msgbox".*Importati .* referti' "$work/answers.log" ||
  { echo "no import message came"; status=1; }
[ ! -e "$work/inst/documents/$bundle" ] || { echo "$bundle was not marked imported"; status=1; }
# The detail window shows the summary as rich text; the configuration
# dialog shows the documents folder.
grep -q '"form":"frmReferto".*"texts":.*Data: ' "$work/answers.log" ||
  { echo "the detail window did not show the unread summary"; status=1; }
grep -q '"form":"frmConfig".*"texts":.*documents' "$work/answers.log" ||
  { echo "the configuration dialog did not show the documents folder"; status=1; }

# The same saves as the Linux import of the same bundle.
"$lirvo" import --install "$work/linux" --bundle "$bundle" --log "$work/linux.jsonl" >/dev/null ||
  { echo "the Linux import failed"; exit 1; }
python3 - "$work/linux.jsonl" "$work/saves.txt" <<'PY' || status=1
import json, sys
linux = []
for line in open(sys.argv[1], encoding="utf-8"):
    item = json.loads(line)
    if item.get("outcome") != "saved":
        continue
    if item["kind"] == "lab":
        linux.append(("exam", str(item["patientId"]), item["examCode"], item["value"]))
    else:
        linux.append(("visit", str(item["patientId"])))
windows = []
for line in open(sys.argv[2], encoding="utf-8-sig", errors="replace"):
    f = line.rstrip("\r\n").split("\t")
    windows.append(("exam", f[1], f[3], f[5]) if f[0] == "exam" else ("visit", f[1]))
if sorted(linux) != sorted(windows):
    print("the saves differ from the Linux import's")
    print("  Linux only:  ", sorted(set(linux) - set(windows))[:10])
    print("  Windows only:", sorted(set(windows) - set(linux))[:10])
    print("  counts:", len(linux), len(windows))
    sys.exit(1)
print(f"same saves as the Linux import: {len(linux)}")
PY
exit $status
