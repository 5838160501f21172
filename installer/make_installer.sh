#!/usr/bin/env bash
# Builds the installer: the files beside the DLL come from a fresh `lirvo
# init` (Config.xml with no documents folder of its own, so the plug-in uses
# the user's folder; an empty TrascodificaLirvo.xml; the nine icons).
#   make_installer.sh MAKENSIS LIRVO NSI DLL VERSION BITS OUTFILE
set -euo pipefail
makensis=$1 lirvo=$2 nsi=$3 dll=$4 version=$5 bits=$6 out=$7
[ -x "$lirvo" ] || { echo "make_installer: $lirvo is not built (the dev preset makes it)"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$lirvo" init "$work/init" >/dev/null
mkdir -p "$work/files"
cp -r "$work/init/plugin/Styles" "$work/init/plugin/TrascodificaLirvo.xml" "$work/files/"
sed 's#<parameter name="documentsfolder">[^<]*</parameter>#<parameter name="documentsfolder"></parameter>#' \
  "$work/init/plugin/Config.xml" >"$work/files/Config.xml"
"$makensis" -V2 -WX -DVERSION="$version" -DBITS="$bits" -DDLL="$dll" -DFILES="$work/files" \
  -DOUTFILE="$out" "$nsi"
