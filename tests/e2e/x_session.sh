# Helpers for driving the real kestrune.exe under wine on a private virtual X server.
# Source it, then call x_session_start WINE_RUN PREFIX EXE. Every wait polls with a deadline.

X_PIDS=()
x_session_cleanup() {
  local pid
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k >/dev/null 2>&1 || true; fi
  for pid in "${X_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  [ -n "${X_TMP:-}" ] && rm -rf "$X_TMP"
}

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# wait_until TIMEOUT_S COMMAND...: true as soon as COMMAND succeeds, false at the deadline.
wait_until() {
  local deadline=$(( $(now_ms) + $1 * 1000 )); shift
  while ! "$@" >/dev/null 2>&1; do
    [ "$(now_ms)" -ge "$deadline" ] && return 1
    sleep 0.05
  done
}

x_session_start() {
  WINE_RUN=$1; export WINEPREFIX=$2; EXE=$3
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  X_TMP=$(mktemp -d /tmp/kestrune-e2e.XXXXXX)
  trap x_session_cleanup EXIT
  local n
  for n in $(seq $(( 140 + RANDOM % 200 )) 400); do [ -e "/tmp/.X$n-lock" ] || break; done
  Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp >"$X_TMP/xvfb.log" 2>&1 &
  X_PIDS+=($!)
  export DISPLAY=":$n"
  wait_until 20 xdotool getdisplaygeometry || { echo "Xvfb did not start"; return 1; }
  # The launcher keeps its files in a fresh folder, seen by wine through drive Z:.
  mkdir -p "$X_TMP/data"
  export KESTRUNE_DATA_DIR="Z:${X_TMP//\//\\}\\data"
  # Prepare the prefix once (wine-run.sh creates it on first use).
  "$WINE_RUN" --prefix="$WINEPREFIX" cmd /c exit 0 >/dev/null 2>&1 || true
}

# Starts the launcher in the background; LAUNCHED is its number N and its exit code lands in
# $X_TMP/exit.N (not through a command substitution: that would wait for the program to end).
LAUNCHED=0
launch() {
  LAUNCHED=$(( LAUNCHED + 1 ))
  local n=$LAUNCHED
  ( "$WINE_RUN" --prefix="$WINEPREFIX" "$EXE" "$@" >"$X_TMP/out.$n" 2>&1 </dev/null; echo $? >"$X_TMP/exit.$n" ) &
}
exited() { [ -s "$X_TMP/exit.$1" ]; }
exit_code() { cat "$X_TMP/exit.$1"; }

# Top-level X windows named exactly NAME.
windows_named() { xdotool search --name "^$1\$" 2>/dev/null || true; }
first_window_named() { windows_named "$1" | head -1; }
is_viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
is_unmapped() { ! is_viewable "$1"; }
geometry() { xdotool getwindowgeometry --shell "$1"; }

# The screen, or a part of it, as a PNG.
shot() { import -display "$DISPLAY" -window root "$1"; }
shot_window() {  # FILE X Y W H
  import -display "$DISPLAY" -window root -crop "$4x$5+$2+$3" +repage "$1"
}
# The colour of one pixel as #RRGGBB.
pixel() { convert "$1" -crop "1x1+$2+$3" +repage -format '#%[hex:p{0,0}]' info: | cut -c1-7; }
# How many pixels of a region (WxH+X+Y) are within 12 % of a colour.
count_colour() {
  convert "$1" -crop "$2" +repage -fuzz 12% -fill white -opaque "$3" -fill black +opaque white \
    -format '%[fx:round(mean*w*h)]' info:
}
