#!/usr/bin/env bash
# End to end: the real kestrune.exe under wine on a private virtual X server, driven with real X
# input (xdotool) and read back from screenshots and from the files it writes.
# Usage: launcher.sh WINE_RUN PREFIX KESTRUNE_EXE [KESTRUNE_TESTS_EXE [MARKER_EXE]]
# With the test program, its window-procedure tests (ShellWindow.*) run first on the same display.
# With the marker program, a Start Menu shortcut to it is launched from the search box.
set -u
here=$(cd "$(dirname "$0")" && pwd)
source "$here/x_session.sh"
x_session_start "$1" "$2" "$3" || exit 1

failures=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
pass() { echo "ok   $*"; }
# The launcher windows that are shown, but for the one named (if any).
shown_launchers() { windows_named Kestrune | grep -vx "${1:-none}" | while read -r w; do is_viewable "$w" && echo "$w"; done; }
# expect_exit N WHAT: copy N ends within 30 s with code 0.
expect_exit() {
  if wait_until 30 exited "$1"; then
    [ "$(exit_code "$1")" = 0 ] && pass "$2 ends the launcher with code 0" || fail "$2: exit code $(exit_code "$1")"
  else
    fail "$2 did not end the launcher"
  fi
}

# Dark theme colours and the window's geometry at 96 DPI, 768 x 7 rows.
BG='#1E1E2E' SELECTED='#45475A' HOVER='#313244' MATCH='#D9B130' TEXT='#CDD6F4'
W=768 H=460 LIST_TOP=62 ROW_H=52
row_centre() { echo $(( LIST_TOP + ROW_H * $1 + ROW_H / 2 )); }
# The title line of row k, as a crop geometry inside the window.
title_band() { echo "700x26+50+$(( LIST_TOP + ROW_H * $1 + 2 ))"; }

win_shot() { shot_window "$X_TMP/w.png" "$WX" "$WY" "$W" "$H"; }
painted() { win_shot && [ "$(pixel "$X_TMP/w.png" 700 $(( H - 60 )))" = "$BG" ]; }
row_selected() { win_shot && [ "$(pixel "$X_TMP/w.png" 600 "$(row_centre "$1")")" = "$SELECTED" ]; }
first_row_is_bluetooth() {
  win_shot || return 1
  local hi text next_text
  hi=$(count_colour "$X_TMP/w.png" "$(title_band 0)" "$MATCH")
  text=$(count_colour "$X_TMP/w.png" "$(title_band 0)" "$TEXT")
  next_text=$(count_colour "$X_TMP/w.png" "$(title_band 1)" "$TEXT")
  # "Bluetooth" is matched whole: highlight and no plain title text; the next row ("Bluetooth
  # devices") has plain text after its match.
  [ "$hi" -gt 40 ] && [ "$text" -lt 5 ] && [ "$next_text" -gt 20 ]
}

# --- the window procedure's own tests, which need a display ---------------------------------------
if [ -n "${4:-}" ]; then
  if KESTRUNE_REQUIRE_WINDOW=1 "$WINE_RUN" --prefix="$WINEPREFIX" "$4" --gtest_filter='ShellWindow.*' --gtest_brief=1 \
      >"$X_TMP/unit.log" 2>&1 && ! grep -q SKIPPED "$X_TMP/unit.log"; then
    pass "window procedure tests ($(grep -o '[0-9]* tests\? from' "$X_TMP/unit.log" | head -1 | cut -d' ' -f1) tests)"
  else
    fail "window procedure tests:"; cat "$X_TMP/unit.log"
  fi
fi

# A shortcut in the user's Start Menu, made before the launcher starts so its first scan finds it;
# the marker program it starts writes its command line to $KESTRUNE_MARKER (inherited through the
# launcher).
MARKER_NAME="Kestrune Marker Probe"
if [ -n "${5:-}" ]; then
  export KESTRUNE_MARKER="Z:${X_TMP//\//\\}\\marker.txt"
  "$WINE_RUN" --prefix="$WINEPREFIX" "$5" --make-shortcut "$MARKER_NAME" >/dev/null 2>&1 \
    && pass "test shortcut made in the Start Menu" || fail "could not make the test shortcut"
fi

# --- start: the window appears at the default position and paints ---------------------------------
xdotool mousemove 1900 1070
t0=$(now_ms)
launch; first=$LAUNCHED
wait_until 90 bash -c "xdotool search --name '^Kestrune\$' >/dev/null" || { fail "no launcher window"; exit 1; }
MAIN=$(first_window_named Kestrune)
eval "$(geometry "$MAIN")"
WX=$X WY=$Y
[ "$X,$Y,$WIDTH,$HEIGHT" = "576,237,$W,$H" ] && pass "default position 576,237 and size ${W}x$H" \
  || fail "window at $X,$Y size ${WIDTH}x$HEIGHT"
if wait_until 30 painted; then
  echo "measure: process start to first painted frame: $(( $(now_ms) - t0 )) ms (wine start included)"
  pass "first frame painted"
else
  fail "window never painted"
fi
[ -s "$X_TMP/data/settings.dat" ] && pass "options saved at start-up" || fail "no settings.dat after start-up"

# --- typing: "bluetooth" puts the Bluetooth settings page first with its match highlighted ---------
xdotool mousemove 1900 1070  # away from the rows, so nothing is hovered
xdotool windowfocus --sync "$MAIN"
xdotool type --delay 20 bluetooth
check "Bluetooth row first, highlighted" wait_until 15 first_row_is_bluetooth
cp "$X_TMP/w.png" "$X_TMP/bluetooth.png" 2>/dev/null
check "first row selected" wait_until 5 row_selected 0
row_colour_is() { win_shot && [ "$(pixel "$X_TMP/w.png" 600 "$(row_centre "$1")")" = "$2" ]; }
xdotool mousemove $(( WX + 600 )) $(( WY + $(row_centre 2) ))
check "the row under the pointer is hovered" wait_until 5 row_colour_is 2 "$HOVER"
xdotool mousemove 1900 1070
check "hover ends when the pointer leaves the window" wait_until 5 row_colour_is 2 "$BG"

# --- Down and Up move the selection ---------------------------------------------------------------
xdotool key Down
check "Down selects the second row" wait_until 5 row_selected 1
xdotool key Down
check "Down again selects the third row" wait_until 5 row_selected 2
xdotool key Up
check "Up goes back to the second row" wait_until 5 row_selected 1

# --- Escape from the plain search state hides the window when it is released ------------------------
xdotool keydown Escape
sleep 0.5
check "window stays while Escape is held" is_viewable "$MAIN"
xdotool keyup Escape
check "Escape release hides the window" wait_until 5 is_unmapped "$MAIN"
grep -q '^monitor_x=576' "$X_TMP/data/settings.dat" && grep -q '^monitor_dev=[A-Za-z0-9]' "$X_TMP/data/settings.dat" \
  && pass "hiding remembers the spot" || fail "spot not saved on hide: $(grep monitor "$X_TMP/data/settings.dat" | tr '\n' ' ')"

# --- Alt+Space shows it again ------------------------------------------------------------------------
# Wine delivers a registered hotkey while one of its windows has the X focus (there is no window
# manager here): the notification area's window stands in for the program in front.
TRAY=$(first_window_named "Wine System Tray")
[ -n "$TRAY" ] && pass "tray icon window present" || fail "no Wine System Tray window (tray icon missing)"
[ -n "$TRAY" ] && xdotool windowfocus --sync "$TRAY"
t1=$(now_ms)
xdotool key alt+space
if wait_until 10 is_viewable "$MAIN" && wait_until 10 painted; then
  echo "measure: hotkey press to painted window: $(( $(now_ms) - t1 )) ms"
  pass "Alt+Space shows the window"
else
  fail "Alt+Space did not show the window"
fi
list_empty() { [ "$(count_colour "$X_TMP/w.png" "$(title_band 0)" "$MATCH")" -lt 5 ]; }
check "shown again with an empty search" list_empty

# --- an installed app's name and Enter: it starts, history.dat records it, the window hides ----------
show_with_hotkey() {
  [ -n "$TRAY" ] && xdotool windowfocus --sync "$TRAY"
  xdotool key alt+space
  wait_until 10 is_viewable "$MAIN" && wait_until 10 painted
}
if [ -n "${5:-}" ]; then
  xdotool windowfocus --sync "$MAIN"
  # The whole name: under wine Windows Search is off, and its guidance row (score 100) outranks a
  # part of a name.
  xdotool type --delay 20 "kestrune marker probe"
  first_row_matched() { win_shot && [ "$(count_colour "$X_TMP/w.png" "$(title_band 0)" "$MATCH")" -gt 40 ]; }
  check "the shortcut is found and listed first" wait_until 15 first_row_matched
  xdotool key Return
  marker_written() { [ -s "$X_TMP/marker.txt" ] && iconv -f UTF-16LE -t UTF-8 "$X_TMP/marker.txt" | grep -q launched-from-shortcut; }
  check "Enter starts the shortcut's target" wait_until 30 marker_written
  check "the window hides after the launch" wait_until 10 is_unmapped "$MAIN"
  check "history.dat records the launch" wait_until 10 grep -q "$MARKER_NAME" "$X_TMP/data/history.dat"
  check "the hotkey shows the window again" show_with_hotkey
fi

# --- a second start answered No leaves one instance and exits 0 ------------------------------------
launch; second=$LAUNCHED
box_appeared() { windows_named Kestrune | grep -vx "$MAIN" | head -1 | grep -q .; }
if wait_until 60 box_appeared; then
  BOX=$(windows_named Kestrune | grep -vx "$MAIN" | head -1)
  shot "$X_TMP/question.png"
  wait_until 10 is_viewable "$BOX"
  xdotool windowfocus --sync "$BOX"
  xdotool key n
  if wait_until 30 exited "$second"; then
    [ "$(exit_code "$second")" = 0 ] && pass "second copy exits 0 after No" || fail "second copy exit code $(exit_code "$second")"
  else
    fail "second copy did not exit after No"
  fi
  [ "$(windows_named Kestrune | wc -l)" = 1 ] && pass "one launcher window left" || fail "windows: $(windows_named Kestrune | tr '\n' ' ')"
  exited "$first" && fail "the first copy ended" || pass "the first copy keeps running"
else
  fail "no question from the second copy"
fi

# --- the tray menu's Exit ends the process through the normal shutdown --------------------------------
if [ -n "$TRAY" ]; then
  eval "$(geometry "$TRAY")"
  before=$(xwininfo -root -children | grep -c '^ *0x')
  xdotool mousemove $(( X + 10 )) $(( Y + 10 )) click 3
  menu_open() { [ "$(xwininfo -root -children | grep -c '^ *0x')" -gt "$before" ]; }
  wait_until 10 menu_open
  # The popup menu is the newest unnamed top-level window; Exit is its last item.
  menu=$(xwininfo -root -children | grep -E '^ *0x[0-9a-f]+ \(has no name\)' | while read -r id _; do
    is_viewable "$id" && echo "$id"; done | tail -1)
  if [ -n "$menu" ]; then
    eval "$(geometry "$menu")"
    xdotool mousemove $(( X + 30 )) $(( Y + HEIGHT - 10 )) click 1
  else
    fail "tray menu did not open"
  fi
  expect_exit "$first" "tray Exit"
  grep -q '^\[set\]' "$X_TMP/data/settings.dat" && pass "settings.dat whole after exit" || fail "settings.dat damaged"
fi

# --- a start answered Yes ends the running copy and starts in its place; Alt+F4 ends it -------------
launch; third=$LAUNCHED
wait_until 90 bash -c "xdotool search --name '^Kestrune\$' >/dev/null" && THIRD=$(first_window_named Kestrune)
wait_until 30 is_viewable "${THIRD:-0}" && wait_until 10 painted || fail "third copy did not show"
launch; fourth=$LAUNCHED
box_of_fourth() { windows_named Kestrune | grep -vx "$THIRD" | head -1 | grep -q .; }
if [ -n "${THIRD:-}" ] && wait_until 60 box_of_fourth; then
  BOX=$(windows_named Kestrune | grep -vx "$THIRD" | head -1)
  wait_until 10 is_viewable "$BOX"
  xdotool windowfocus --sync "$BOX"
  xdotool key y
  if wait_until 30 exited "$third"; then
    [ "$(exit_code "$third")" = 0 ] && pass "Yes ends the running copy with code 0" || fail "ended copy exit code $(exit_code "$third")"
  else
    fail "Yes did not end the running copy"
  fi
  new_window() { shown_launchers "$THIRD" | grep -q .; }
  if wait_until 30 new_window; then
    FOURTH=$(shown_launchers "$THIRD" | head -1)
    pass "the restarted copy shows its window"
    xdotool windowfocus --sync "$FOURTH"
    xdotool key alt+F4
    expect_exit "$fourth" "Alt+F4"
  else
    fail "the restarted copy shows no window"
  fi
else
  fail "no question for the Yes start"
fi

# --- "exit" and Enter on its row ends the launcher through the normal shutdown -------------------------
launch; fifth=$LAUNCHED
fifth_window() { shown_launchers | grep -q .; }
if wait_until 90 fifth_window; then
  FIFTH=$(shown_launchers | head -1)
  WX=$(geometry "$FIFTH" | sed -n 's/^X=//p') WY=$(geometry "$FIFTH" | sed -n 's/^Y=//p')
  wait_until 10 painted
  xdotool windowfocus --sync "$FIFTH"
  xdotool type --delay 20 exit
  exit_row() { win_shot && [ "$(count_colour "$X_TMP/w.png" "$(title_band 0)" "$MATCH")" -gt 20 ]; }
  wait_until 10 exit_row
  xdotool key Return
  expect_exit "$fifth" "Enter on the exit row"
else
  fail "fifth copy shows no window"
fi

[ -n "${KESTRUNE_E2E_KEEP:-}" ] && cp "$X_TMP"/*.png "$KESTRUNE_E2E_KEEP"/ 2>/dev/null
echo "e2e: $failures failed"
[ "$failures" = 0 ]
