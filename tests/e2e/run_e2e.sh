#!/bin/bash
# Runs one end-to-end script through `lirvo run` on a fresh installation and
# compares its transcript with the expected one.
#
#   run_e2e.sh LIRVO SCRIPT.lirvo
#
# Lines of the script that begin with "#! " are directives for this driver
# (lirvo run reads them as comments), carried out on the installation before
# the run:
#   #! file RELPATH TEXT   writes TEXT and a line break to INSTALL/RELPATH
#   #! exit N              the exit status the run must end with (default 0)
# The expected transcript is SCRIPT.expected, with the installation's path
# written as $INSTALL. With LIRVO_E2E_UPDATE=1 the transcript is written
# there instead of compared.
set -u
lirvo="$1"
script="$2"
expected="${script%.lirvo}.expected"

work="$(mktemp -d "${TMPDIR:-/tmp}/lirvo-e2e-XXXXXX")"
trap 'rm -rf "$work"' EXIT
install="$work/inst"

"$lirvo" init "$install" > /dev/null || { echo "lirvo init failed"; exit 1; }

want_exit=0
while IFS= read -r line; do
  case "$line" in
    "#! file "*)
      rest="${line#\#! file }"
      rel="${rest%% *}"
      text="${rest#* }"
      mkdir -p "$(dirname "$install/$rel")"
      printf '%s\n' "$text" > "$install/$rel"
      ;;
    "#! exit "*)
      want_exit="${line#\#! exit }"
      ;;
  esac
done < "$script"

actual="$work/transcript"
"$lirvo" run --install "$install" --clock "01/03/2026 09:00:00" "$script" > "$work/raw" 2> "$work/err"
got_exit=$?
# The installation's path reads $INSTALL.
sed "s|$install|\$INSTALL|g" "$work/raw" > "$actual"

if [ "${LIRVO_E2E_UPDATE:-0}" = "1" ]; then
  cp "$actual" "$expected"
  echo "updated $expected"
fi

status=0
if [ "$got_exit" != "$want_exit" ]; then
  echo "exit status $got_exit, expected $want_exit"
  cat "$work/err"
  status=1
fi
if ! diff -u "$expected" "$actual"; then
  status=1
fi
exit $status
