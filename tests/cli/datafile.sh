#!/usr/bin/env bash
# kestrune-cli datafile FILE prints the sections and pairs the reader delivers.
set -u
IFS=';' read -ra CLI <<< "$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
fail() { echo "FAIL: $*"; exit 1; }

printf '\xEF\xBB\xBF# Kestrune data v1\r\n\r\n[pin]\r\npath=C:\\\\a\\\\b.txt\r\ntitle=a=b\\\\c\\nd\xC3\xA9\r\nact=8\r\nnoequals\r\n[bad\r\nx=1\r\n[junk]\r\nhand=C:\\a\\n\r\n' > t.dat
out=$("${CLI[@]}" datafile t.dat | tr -d '\r') || fail "datafile exited non-zero"
want=$(printf '[pin]\npath=C:\\\\a\\\\b.txt\ntitle=a=b\\\\c\\nd\xC3\xA9\nact=8\n[junk]\nhand=C:\\\\a\\n')
[ "$out" = "$want" ] || fail "unexpected output: $out"

: > empty.dat
"${CLI[@]}" datafile empty.dat >/dev/null 2>&1 && fail "an empty file must not be read"
"${CLI[@]}" datafile missing.dat >/dev/null 2>&1 && fail "a missing file must fail"
head -c 1048577 /dev/zero | tr '\0' '#' > big.dat
"${CLI[@]}" datafile big.dat >/dev/null 2>&1 && fail "a file over 1 MiB must not be read"
exit 0
