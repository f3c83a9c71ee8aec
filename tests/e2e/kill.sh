#!/usr/bin/env bash
# End to end: "kill <name>" in the real launcher window ends a process of ours. A copy of the
# marker program under a unique name stays alive; typing its name after "kill" lists it, Enter
# ends it and the search box is cleared.
# Usage: kill.sh WINE_RUN PREFIX KESTRUNE_EXE MARKER_EXE
set -u
here=$(cd "$(dirname "$0")" && pwd)
source "$here/x_session.sh"
x_session_start "$1" "$2" "$3" || exit 1
MARKER_EXE=$4

failures=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
pass() { echo "ok   $*"; }

BG='#1E1E2E' MATCH='#D9B130'
W=768 H=460 LIST_TOP=62 ROW_H=52
title_band() { echo "700x26+50+$(( LIST_TOP + ROW_H * $1 + 2 ))"; }
win_shot() { shot_window "$X_TMP/w.png" "$WX" "$WY" "$W" "$H"; }
painted() { win_shot && [ "$(pixel "$X_TMP/w.png" 700 $(( H - 60 )))" = "$BG" ]; }
first_row_matched() { win_shot && [ "$(count_colour "$X_TMP/w.png" "$(title_band 0)" "$MATCH")" -gt 40 ]; }
list_empty() { win_shot && [ "$(count_colour "$X_TMP/w.png" "$(title_band 0)" "$MATCH")" -lt 5 ]; }

# A process of our own under a name nothing else has.
NAME="kmark$$$RANDOM"
cp "$MARKER_EXE" "$X_TMP/$NAME.exe"
( "$WINE_RUN" --prefix="$WINEPREFIX" "$X_TMP/$NAME.exe" --stay-alive 120 >/dev/null 2>&1 </dev/null
  echo $? >"$X_TMP/exit.marker" ) &
marker_ended() { [ -s "$X_TMP/exit.marker" ]; }
sleep 2
marker_ended && fail "the test process ended by itself" || pass "test process $NAME.exe running"

xdotool mousemove 1900 1070
launch
wait_until 90 bash -c "xdotool search --name '^Kestrune\$' >/dev/null" || { fail "no launcher window"; exit 1; }
MAIN=$(first_window_named Kestrune)
eval "$(geometry "$MAIN")"
WX=$X WY=$Y
wait_until 30 painted || fail "window never painted"

xdotool windowfocus --sync "$MAIN"
xdotool type --delay 20 "kill $NAME"
check "the process row is listed first, its name matched" wait_until 20 first_row_matched
marker_ended && fail "the process ended before Enter"
xdotool key Return
check "Enter ends the process" wait_until 20 marker_ended
check "the box is cleared and the rows are gone" wait_until 10 list_empty

echo "e2e: $failures failed"
[ "$failures" = 0 ]
