#!/usr/bin/env bash
# End to end: the keyboard stays with the search box after a click on a result row. The real
# kestrune.exe under wine on a private virtual X server, clicked and typed at with xdotool, read
# back from screenshots: what the search shows after the typing is what the box holds.
# Usage: window.sh WINE_RUN PREFIX KESTRUNE_EXE
set -u
here=$(cd "$(dirname "$0")" && pwd)
source "$here/x_session.sh"
x_session_start "$1" "$2" "$3" || exit 1

failures=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}

# Dark theme colours and the window's geometry at 96 DPI, 768 x 7 rows.
BG='#1E1E2E' SELECTED='#45475A' MATCH='#D9B130' TEXT='#CDD6F4'
W=768 H=460 LIST_TOP=62 ROW_H=52
row_centre() { echo $(( LIST_TOP + ROW_H * $1 + ROW_H / 2 )); }
title_band() { echo "700x26+50+$(( LIST_TOP + ROW_H * $1 + 2 ))"; }
box_band() { echo "740x30+10+14"; }

win_shot() { shot_window "$X_TMP/w.png" "$WX" "$WY" "$W" "$H"; }
painted() { win_shot && [ "$(pixel "$X_TMP/w.png" 700 $(( H - 60 )))" = "$BG" ]; }
row_selected() { win_shot && [ "$(pixel "$X_TMP/w.png" 600 "$(row_centre "$1")")" = "$SELECTED" ]; }
matched_in_row() { win_shot && [ "$(count_colour "$X_TMP/w.png" "$(title_band "$1")" "$MATCH")" -gt "$2" ]; }
# Only the exit row: "Exit" highlighted in row 0, and no second row.
only_exit_row() {
  matched_in_row 0 20 && [ "$(count_colour "$X_TMP/w.png" "$(title_band 1)" "$TEXT")" -lt 5 ] \
    && [ "$(count_colour "$X_TMP/w.png" "$(title_band 1)" "$MATCH")" -lt 5 ]
}
box_ink() { win_shot && count_colour "$X_TMP/w.png" "$(box_band)" "$TEXT"; }

xdotool mousemove 1900 1070
launch; first=$LAUNCHED
wait_until 90 bash -c "xdotool search --name '^Kestrune\$' >/dev/null" || { echo "FAIL no launcher window"; echo "e2e: 1 failed"; exit 1; }
MAIN=$(first_window_named Kestrune)
eval "$(geometry "$MAIN")"
WX=$X WY=$Y
check "first frame painted" wait_until 30 painted
# The notification area shows Kestrune's own icon (its accent-blue square).
TRAY=$(first_window_named "Wine System Tray")
tray_icon() {
  eval "$(geometry "$TRAY")" && shot_window "$X_TMP/tray.png" "$X" "$Y" "$WIDTH" "$HEIGHT" \
    && [ "$(count_colour "$X_TMP/tray.png" "20x20+0+0" '#89B4FA')" -gt 60 ]
}
check "the tray shows Kestrune's icon" wait_until 10 tray_icon

xdotool windowfocus --sync "$MAIN"
xdotool type --delay 20 bluetooth
check "bluetooth is searched" wait_until 15 matched_in_row 0 40

# A click on the third row selects it; the box keeps the keyboard.
xdotool mousemove $(( WX + 600 )) $(( WY + $(row_centre 2) ))
sleep 0.3
xdotool click 1
check "the clicked row is selected" wait_until 5 row_selected 2
before=$(box_ink)
xdotool type --delay 20 s
grows() { [ "$(box_ink)" -gt "$before" ]; }
check "a character typed after the click reaches the box" wait_until 5 grows
xdotool key BackSpace

# Ctrl+A after a click selects the text (it does not open All apps), and what is typed replaces it:
# the search then shows the exit row alone, so the box holds "exit".
xdotool mousemove $(( WX + 600 )) $(( WY + $(row_centre 1) ))
sleep 0.3
xdotool click 1
check "the second row is selected" wait_until 5 row_selected 1
xdotool key ctrl+a
xdotool type --delay 20 exit
check "typing after a click and Ctrl+A replaces the query" wait_until 15 only_exit_row
[ -n "${KESTRUNE_E2E_KEEP:-}" ] && cp "$X_TMP/w.png" "$KESTRUNE_E2E_KEEP/window-exit-row.png" 2>/dev/null

# Enter runs that row: the launcher ends with code 0.
xdotool mousemove 1900 1070
xdotool key Return
if wait_until 30 exited "$first"; then
  [ "$(exit_code "$first")" = 0 ] && echo "ok   Enter on the exit row ends the launcher" \
    || { echo "FAIL exit code $(exit_code "$first")"; failures=$((failures + 1)); }
else
  echo "FAIL the launcher did not end"; failures=$((failures + 1))
fi

echo "e2e: $failures failed"
[ "$failures" = 0 ]
