#!/usr/bin/env bash
# kestrune-cli query for the drive list, the drive filter and a folder's children: natively over
# the fake machine, under wine over the prefix's real drives.
set -u
IFS=';' read -ra CLI <<< "$1"
fail=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1; shift
  "$@" || { echo "FAIL: $what"; fail=1; }
}
drive_c=$'^100\t1\tD\tLocal Disk \\(C:\\)\t[^\t]*free of[^\t]*\tC:\\\\\tC:\\\\$'

for q in ':' '\'; do
  out=$("${CLI[@]}" query "$q" | tr -d '\r')
  check "\"$q\" lists C: with its usage" grep -qE "$drive_c" <<<"$out"
  check "\"$q\" lists drive rows only" bash -c '! grep -vq $'"'"'^100\t1\tD\t'"'"' <<<"$1"' _ "$out"
done
out=$("${CLI[@]}" query '\c' | tr -d '\r')
check "\"\\c\" lists C:" grep -qE $'\tD\tLocal Disk \\(C:\\)\t' <<<"$out"
check "\"\\c\" lists folders only" bash -c '! grep -vq $'"'"'\t[DF]\t'"'"' <<<"$1"' _ "$out"

# A scope lists its children, one backslash between folder and name.
out=$("${CLI[@]}" query '' --scope 'C:\' | tr -d '\r')
check "the children of C:\\ are listed" grep -qiE $'^100\t1\tF\t(windows|users)\tC:\\\\(windows|users)\t' <<<"$out"
check "no entry without a name" bash -c '! grep -qP "^100\t1\tF\t\t" <<<"$1"' _ "$out"
check "no doubled separator" bash -c '! grep -qF "C:\\\\\\\\" <<<"$1"' _ "$out"
exit $fail
