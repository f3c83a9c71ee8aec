#!/usr/bin/env bash
# Black-box checks of the query subcommands: score, ranges, highlight, classify and filter.
set -u
IFS=';' read -ra CLI <<< "$1"
fail=0

# expect WANT ARGS...: the command's output, line breaks and carriage returns as printed, equals WANT.
expect() {
  local want=$1
  shift
  local got
  got=$("${CLI[@]}" "$@" | tr -d '\r')
  if [[ "$got" != "$want" ]]; then
    printf 'FAIL: %s\n  want: %q\n  got:  %q\n' "$*" "$want" "$got"
    fail=1
  fi
}

expect 100 score note Notepad 110 100 75
expect 85 score test my-test
expect 86 score test contest
expect 59 score xya "xylophone zebra"
expect -1 score notepad++ notepad
expect 7 score Gen gen 7 5 3
expect "" ranges zzz abc
expect "0:1 1:1 14:1" ranges xya "xylophone zebra"
expect "3:4" ranges test my-test
expect "1:1" ranges "é" "aé"  # positions count UTF-16 units

expect "3:7 11:4" highlight plain "website/ kest" 'C:\website\kest.txt'
expect "8:3" highlight plain ext:pdf context.pdf
expect "0:10" highlight plain "report .pdf" report.pdf
expect "0:4" highlight title "website/ kest" Kestrune
expect "0:8" highlight title "pax/ demo.pax" demo.pax
expect "3:7" highlight path "website/ kest" 'C:\website\kest.txt'
expect "12:3" highlight path "pax/ demo.pax" 'C:\projects\pax\demo.pax'
expect "" highlight path kest 'C:\website\kest.txt'

expect "text=kill  note
command=kill
command_argument=note
tool=-1
cache_key=
stripped=
ends_with_slash=0
is_drive_list=0
is_drive_filter=0
drive_filter=
is_extension_query=0
is_scoped=0
scope_name=" classify "  kill  note"

# fields WANT PATTERN ARGS...: the classify lines that match PATTERN equal WANT.
fields() {
  local want=$1 pattern=$2
  shift 2
  local got
  got=$("${CLI[@]}" classify "$@" | tr -d '\r' | grep -E "$pattern")
  if [[ "$got" != "$want" ]]; then
    printf 'FAIL: classify %s\n  want: %q\n  got:  %q\n' "$*" "$want" "$got"
    fail=1
  fi
}

fields "command=tool
command_argument=chrome
tool=1" '^(command|tool)' "uninstall chrome"
fields "command=tool
command_argument=
tool=0" '^(command|tool)' "pw"
fields "command=exit" '^command=' "QUIT"
fields "command=none" '^command=' "exit "
fields "is_drive_list=1" '^is_drive_list' ":"

expect 'text=\photos\
command=none
command_argument=
tool=-1
cache_key=C:\Users\me\|\photos\
stripped=\photos
ends_with_slash=1
is_drive_list=0
is_drive_filter=0
drive_filter=
is_extension_query=0
is_scoped=1
scope_name=photos' classify '\photos\' --scope 'C:\Users\me\'

fields "is_drive_filter=1
drive_filter=c" 'drive_filter' '\c'
fields "is_drive_filter=0" '^is_drive_filter' '\\server\share'
fields "is_extension_query=1" 'extension' 'report *.pdf'
fields "is_extension_query=0" 'extension' 'text:pdf'

# filter: best first, then the line ignoring case; misses and empty lines left out; CRLF input.
got=$(printf 'my notes\r\nNotepad\r\n\r\nxx\r\nnote\r\nNOTE\r\nNot even\r\n' | "${CLI[@]}" filter note | tr -d '\r')
want=$'110\tnote\n110\tNOTE\n100\tNotepad\n85\tmy notes\n60\tNot even'
if [[ "$got" != "$want" ]]; then
  printf 'FAIL: filter\n  want: %q\n  got:  %q\n' "$want" "$got"
  fail=1
fi
# Long shared prefixes, a line that is a prefix of another, and case-only differences keep input order.
got=$(printf 'C:\\dir\\abd\nC:\\dir\\abc\nc:\\DIR\\ab\nC:\\Dir\\ab\n' | "${CLI[@]}" filter "c:" | tr -d '\r')
want=$'100\tc:\\DIR\\ab\n100\tC:\\Dir\\ab\n100\tC:\\dir\\abc\n100\tC:\\dir\\abd'
if [[ "$got" != "$want" ]]; then
  printf 'FAIL: filter order\n  want: %q\n  got:  %q\n' "$want" "$got"
  fail=1
fi
# Letters beyond ASCII, malformed bytes (shown as the text they were read as) and a line far longer
# than one block of input; positions count UTF-16 units ("é" is one).
got=$( { printf 'caf\xc3\n\xc3\xa9caf\ncaf\xc3\xa9\r\n'; head -c 3000000 /dev/zero | tr '\0' a; printf 'caf\n'; } |
  "${CLI[@]}" filter "caf" | cut -c1-20 | tr -d '\r')
want=$'100\tcaf\xc3\xa9\n100\tcaf\xef\xbf\xbd\n88\t\xc3\xa9caf\n61\taaaaaaaaaaaaaaaaa'
if [[ "$got" != "$want" ]]; then
  printf 'FAIL: filter beyond ASCII\n  want: %q\n  got:  %q\n' "$want" "$got"
  fail=1
fi
got=$(printf 'abc' | "${CLI[@]}" filter "")
[[ -z "$got" ]] || { echo "FAIL: an empty query matches nothing"; fail=1; }

# Bad usage is refused with status 2.
for bad in "score" "score a b 1 2" "score a b x y z" "ranges a" "highlight bold a b" "classify" "classify a --scope" "filter"; do
  read -ra words <<< "$bad"
  "${CLI[@]}" "${words[@]}" >/dev/null 2>&1
  [[ $? -eq 2 ]] || { echo "FAIL: '$bad' should be refused"; fail=1; }
done
exit $fail
