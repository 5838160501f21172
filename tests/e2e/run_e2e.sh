#!/bin/bash
# Runs one end-to-end script through `lirvo run` on a fresh installation and
# compares its transcript, the installation's path written as $INSTALL, with
# SCRIPT.expected (written there instead with LIRVO_E2E_UPDATE=1). The run
# must exit 0, or N after a line "#! exit N". Script lines "#! file RELPATH TEXT" (comments to lirvo run)
# write TEXT and a line break to INSTALL/RELPATH before the run ("#! file
# RELPATH" alone makes an empty file); a line
# "#! init ARGS" passes ARGS (such as --demo) to lirvo init.
#
#   run_e2e.sh LIRVO SCRIPT.lirvo
set -u
lirvo="$1"
script="$2"
expected="${script%.lirvo}.expected"
work="$(mktemp -d "${TMPDIR:-/tmp}/lirvo-e2e-XXXXXX")"
trap 'rm -rf "$work"' EXIT
install="$work/inst"
init_args=$(sed -n 's/^#! init //p' "$script" | head -n 1)
# shellcheck disable=SC2086
"$lirvo" init "$install" $init_args > /dev/null || { echo "lirvo init failed"; exit 1; }

while IFS= read -r line; do
  if [[ "$line" == "#! file "* ]]; then
    rest="${line#\#! file }"
    mkdir -p "$(dirname "$install/${rest%% *}")"
    if [[ "$rest" == *" "* ]]; then
      printf '%s\n' "${rest#* }" > "$install/${rest%% *}"
    else
      : > "$install/$rest"  # no text: an empty file
    fi
  fi
done < "$script"

# The files of the documents folder carry one fixed date, so the chooser's
# "Scaricato il" column is the same on every run.
find "$install/documents" -type f -exec touch -d "2026-03-01 08:00:00" {} +

"$lirvo" run --install "$install" --clock "01/03/2026 09:00:00" "$script" > "$work/raw" 2> "$work/err"
got_exit=$?
sed "s|$install|\$INSTALL|g" "$work/raw" > "$work/transcript"
if [ "${LIRVO_E2E_UPDATE:-0}" = "1" ]; then
  cp "$work/transcript" "$expected"
  echo "updated $expected"
fi

status=0
want_exit=$(sed -n 's/^#! exit //p' "$script" | head -n 1)
if [ "$got_exit" != "${want_exit:-0}" ]; then
  echo "exit status $got_exit, expected ${want_exit:-0}"
  cat "$work/err"
  status=1
fi
diff -u "$expected" "$work/transcript" || status=1
exit $status
