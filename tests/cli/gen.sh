#!/bin/bash
# kestrune-cli query with the password and uninstall tools: the shape of each password row
# (lengths, character sets, subtitles), never the random characters themselves.
set -u
IFS=';' read -ra CLI <<< "$1"
fail() { echo "FAIL: $*" >&2; exit 1; }

# row TEXT: the single row the query prints, carriage returns dropped.
row() {
  local out
  out=$("${CLI[@]}" query "$1") || fail "query '$1' exited $?"
  out=${out//$'\r'/}
  [ "$(printf '%s\n' "$out" | grep -c .)" = 1 ] || fail "query '$1' gave not one row: [$out]"
  printf '%s' "$out"
}
field() { printf '%s' "$1" | cut -f"$2"; }

# check TEXT SUBTITLE LENGTH CHARSET: a kind 9 row tagged U whose target is its title.
check() {
  local line pw
  line=$(row "$1")
  [ "$(field "$line" 1)" = 100 ] || fail "$1: score: [$line]"
  [ "$(field "$line" 2)" = 9 ] || fail "$1: kind: [$line]"
  [ "$(field "$line" 3)" = U ] || fail "$1: tag: [$line]"
  [ "$(field "$line" 5)" = "$2" ] || fail "$1: subtitle: [$line]"
  pw=$(field "$line" 4)
  [ "$(field "$line" 7)" = "$pw" ] || fail "$1: target differs from the title: [$line]"
  [ "${#pw}" = "$3" ] || fail "$1: length ${#pw}, want $3: [$pw]"
  [[ "$pw" =~ ^$4$ ]] || fail "$1: characters outside the set: [$pw]"
}

check "gen 24" "24 chars - Enter copies - type to regenerate" 27 '[a-zA-Z0-9]{6}(-[a-zA-Z0-9]{6}){3}'
check "gen 24 symbols" "24 chars - Enter copies - type to regenerate" 27 '[a-zA-Z0-9!@#$%^&*?+-]{27}'
check "pw zz" "18 chars - Enter copies - type to regenerate" 20 '[a-zA-Z0-9]{6}(-[a-zA-Z0-9]{6}){2}'
check "gen pin 8" "8 digits - Enter copies - type to regenerate" 8 '[0-9]{8}'
check "GEN PIN" "6 digits - Enter copies - type to regenerate" 6 '[0-9]{6}'
check "gen alpha 10 symbols" "10 chars - Enter copies - type to regenerate" 11 '[a-zA-Z]{6}-[a-zA-Z]{4}'
check "gen 4294967314" "18 chars - Enter copies - type to regenerate" 20 '[a-zA-Z0-9]{6}(-[a-zA-Z0-9]{6}){2}'
line=$(row "gen words 3")
[ "$(field "$line" 5)" = "3 words - Enter copies - type to regenerate" ] || fail "words 3: [$line]"
[[ "$(field "$line" 4)" =~ ^[a-z]+-[a-z]+-[a-z]+-[0-9]{2}$ ]] || fail "words 3: [$line]"
line=$(row "gen words 40")
[ "$(field "$line" 5)" = "12 words - Enter copies - type to regenerate" ] || fail "words 40: [$line]"
[[ "$(field "$line" 4)" =~ ^([a-z]+-){12}[0-9]{2}$ ]] || fail "words 40: [$line]"
[ "$(row "gen")" = $'90\t0\tU\tPassword generator\tgen 24 symbols, gen pin 8, gen words 5 - Enter copies\t\t' ] ||
  fail "help row: [$(row gen)]"

# The uninstaller: whatever this machine has installed, each row is a kind 33 row tagged U.
out=$("${CLI[@]}" query "uninstall") || fail "uninstall exited $?"
while IFS= read -r line; do
  line=${line%$'\r'}
  [ -z "$line" ] && continue
  [ "$(field "$line" 2)" = 33 ] && [ "$(field "$line" 3)" = U ] || fail "uninstall row: [$line]"
  [ -n "$(field "$line" 4)" ] && [ -n "$(field "$line" 7)" ] || fail "uninstall row without name or command: [$line]"
done <<< "$out"
out=$("${CLI[@]}" query "uninstall zzqqxxkestrune") || fail "uninstall query exited $?"
[ -z "${out//$'\r'/}" ] || fail "nonsense uninstall query found rows: [$out]"
exit 0
