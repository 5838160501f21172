#!/bin/bash
# Runs one end-to-end script through `lirvo run` on a fresh installation and
# compares its transcript, the installation's path written as $INSTALL, with
# SCRIPT.expected (written there instead with LIRVO_E2E_UPDATE=1). The run
# must exit 0. Script lines "#! file RELPATH TEXT" (comments to lirvo run)
# write TEXT and a line break to INSTALL/RELPATH before the run.
#
#   run_e2e.sh LIRVO SCRIPT.lirvo
set -u
lirvo="$1"
script="$2"
expected="${script%.lirvo}.expected"
work="$(mktemp -d "${TMPDIR:-/tmp}/lirvo-e2e-XXXXXX")"
trap 'rm -rf "$work"' EXIT
install="$work/inst"
"$lirvo" init "$install" > /dev/null || { echo "lirvo init failed"; exit 1; }

while IFS= read -r line; do
  if [[ "$line" == "#! file "* ]]; then
    rest="${line#\#! file }"
    mkdir -p "$(dirname "$install/${rest%% *}")"
    printf '%s\n' "${rest#* }" > "$install/${rest%% *}"
  fi
done < "$script"

"$lirvo" run --install "$install" --clock "01/03/2026 09:00:00" "$script" > "$work/raw" 2> "$work/err"
got_exit=$?
sed "s|$install|\$INSTALL|g" "$work/raw" > "$work/transcript"
if [ "${LIRVO_E2E_UPDATE:-0}" = "1" ]; then
  cp "$work/transcript" "$expected"
  echo "updated $expected"
fi

status=0
if [ "$got_exit" != 0 ]; then
  echo "exit status $got_exit"
  cat "$work/err"
  status=1
fi
diff -u "$expected" "$work/transcript" || status=1
exit $status
