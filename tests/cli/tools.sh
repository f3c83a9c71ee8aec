#!/usr/bin/env bash
# Black-box checks of the built-in commands through `kestrune-cli query`: "sys" lists the system
# commands and a monitor row, a mixed search finds a command, "kill" lists no protected process.
set -u
IFS=';' read -ra CLI <<< "$1"
fail=0

rows() { "${CLI[@]}" query "$1" | tr -d '\r'; }
# has QUERY KIND TAG TITLE: some row of the query has these fields.
has() {
  if ! rows "$1" | awk -F'\t' -v k="$2" -v t="$3" -v title="$4" '$2 == k && $3 == t && $4 == title { found = 1 } END { exit !found }'; then
    printf 'FAIL: query %q has no row %s %s %q\n' "$1" "$2" "$3" "$4"
    rows "$1" | head -20
    fail=1
  fi
}

has sys 11 C Shutdown
has sys 23 C "Kestrune Data Folder"
has sys 39 C "Move to monitor 1"
has "sys   " 14 C "Log Off"
has "sys shutdown" 11 C Shutdown
has shut 11 C Shutdown
has "sign out" 14 C "Log Off"

n=$(rows sys | grep -c $'\tC\t')
[ "$n" -ge 15 ] || { echo "FAIL: sys lists $n command rows"; fail=1; }

# The launcher's own process and the system's are never listed.
if rows "kill" | awk -F'\t' '$4 ~ /^Kill (all )?(svchost|explorer|csrss|services|System)/' | grep -q .; then
  echo "FAIL: kill lists a protected process"; rows kill | head; fail=1
fi
exit $fail
