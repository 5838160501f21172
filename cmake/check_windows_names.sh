#!/usr/bin/env bash
# Usage: check_windows_names.sh CXX FOLDER...
#
# Fails when the C++ files in the folders use a name that <windows.h> turns
# into a macro for its ANSI and wide variants (DeleteFile becomes DeleteFileA
# or DeleteFileW). Such a name compiles, but a method of that name is called
# something else in every file that includes <windows.h>, and the two halves
# of the program no longer meet. A name that a header of the folders takes
# back with #undef is allowed. Comments are not read.
set -euo pipefail
shopt -s nullglob
cxx=$1
shift

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

printf '#include <windows.h>\n#include <ole2.h>\n' |
  "$cxx" -x c++ -E -dM -DNOMINMAX - |
  sed -nE 's/^#define ([A-Za-z_][A-Za-z0-9_]*) __MINGW_NAME_AW\(\1\)$/\1/p
           s/^#define ([A-Za-z_][A-Za-z0-9_]*) \1[AW]$/\1/p' |
  sort -u >"$work/macros"
if [ ! -s "$work/macros" ]; then
  echo "check_windows_names: no macros read from <windows.h> with $cxx" >&2
  exit 1
fi

files=()
for dir in "$@"; do
  files+=("$dir"/*.h "$dir"/*.cc)
done
sed -nE 's/^[[:space:]]*#[[:space:]]*undef[[:space:]]+([A-Za-z_][A-Za-z0-9_]*).*/\1/p' \
  "${files[@]}" | sort -u >"$work/undone"
comm -23 "$work/macros" "$work/undone" >"$work/banned"

found=0
for f in "${files[@]}"; do
  if sed 's://.*$::' "$f" | grep -nwF -f "$work/banned" >"$work/hits"; then
    sed "s|^|$f:|" "$work/hits" >&2
    found=1
  fi
done
if [ "$found" -ne 0 ]; then
  echo "check_windows_names: the lines above use names that <windows.h> redefines;" \
    "rename them, or #undef the macro in the header that declares the name" >&2
  exit 1
fi
