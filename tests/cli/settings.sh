#!/usr/bin/env bash
# kestrune-cli settings: rows of the catalog search, the cap and the build override.
set -u
IFS=';' read -ra CLI <<< "$1"
fail() { echo "FAIL: $*" >&2; exit 1; }

out=$("${CLI[@]}" settings bluetooth | tr -d '\r') || fail "settings bluetooth exited non-zero"
first=$(printf '%s\n' "$out" | head -1)
[ "$first" = "$(printf '100\t2\tS\tBluetooth\tSystem settings > Devices\t\tms-settings:bluetooth')" ] || fail "first row: $first"
printf '%s\n' "$out" | awk -F'\t' 'NF != 7 || $2 != 2 || $3 != "S" { bad = 1 } END { exit bad }' || fail "malformed rows"

n=$("${CLI[@]}" settings "" --cap 12 | tr -d '\r' | wc -l)
[ "$n" -eq 12 ] || fail "--cap 12 gave $n rows"

n=$("${CLI[@]}" settings --build 19041 | tr -d '\r' | wc -l)
[ "$n" -eq 526 ] || fail "build 19041 gave $n rows"
"${CLI[@]}" settings --build 19041 | grep -q $'\tTruePlay\t' && fail "TruePlay listed on 19041"
"${CLI[@]}" settings truepla --build 17762 | grep -q $'\tTruePlay\t' || fail "TruePlay missing on 17762"

"${CLI[@]}" settings dns --cap 2 | tr -d '\r' | grep -q $'^90\t2\tS\tEthernet\t' || fail "dns does not find Ethernet"
[ -z "$("${CLI[@]}" settings ms-settings)" ] || fail "targets were searched"
"${CLI[@]}" settings --cap x >/dev/null 2>&1 && fail "a bad --cap was accepted"
exit 0
