#!/bin/bash
# What only a real process shows: standard output on a full device, a closed
# standard input, a pipe from the shell as an input file, /dev/zero as a
# script.
#
#   hostile_shell.sh LIRVO
set -u
lirvo="$1"
work="$(mktemp -d "${TMPDIR:-/tmp}/lirvo-hostile-XXXXXX")"
trap 'rm -rf "$work"' EXIT
status=0

# expect NAME EXIT-STATUS TEXT-ON-STDERR (status and stderr of the last run)
expect() {
  local got="$?"
  if [ "$got" != "$2" ] || { [ -n "$3" ] && ! grep -qF -- "$3" "$work/err"; }; then
    echo "FAIL $1: exit $got (want $2), stderr:"
    cat "$work/err"
    status=1
  fi
}

if [ -w /dev/full ]; then
  "$lirvo" crypto b64-encode "testo" > /dev/full 2> "$work/err"
  expect "b64-encode into /dev/full" 1 "write error"
  "$lirvo" demo-bundle "$work/d.dat" --reports 2 > /dev/full 2> "$work/err"
  expect "demo-bundle into /dev/full" 1 "write error"
  "$lirvo" parse --json "$work/d.dat" > /dev/full 2> "$work/err"
  expect "parse --json into /dev/full" 1 "write error"
fi

"$lirvo" init "$work/inst" > /dev/null 2>&1
"$lirvo" run --install "$work/inst" - <&- > "$work/out" 2> "$work/err"
expect "run with standard input closed" 2 "the standard input is closed"

: > "$work/err"
head -c 200000 /dev/zero | "$lirvo" run --install "$work/inst" - > "$work/out" 2> "$work/err"
got=$?
if [ "$got" != 0 ] && [ "$got" != 2 ]; then echo "FAIL zeros as a script: exit $got"; status=1; fi
"$lirvo" run --install "$work/inst" /dev/zero > "$work/out" 2> "$work/err"
expect "/dev/zero as a script" 2 ""
grep -qF 'the line is longer than' "$work/out" || { echo "FAIL /dev/zero: no error line"; status=1; }

printf 'QUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFB\n' > "$work/mail.txt"
out="$("$lirvo" crypto mime-decode <(cat "$work/mail.txt") 2> "$work/err")"
expect "mime-decode of a pipe" 0 ""
[ "$out" = "$(printf 'A%.0s' $(seq 45))" ] || { echo "FAIL mime-decode of a pipe: $out"; status=1; }

exit $status
