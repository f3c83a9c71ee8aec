#!/usr/bin/env bash
# Runs the real launcher under wine on a private virtual X server, types a query and saves a PNG of
# the window.  Usage: tools/screenshot.sh [QUERY] [OUT.png] [KEY...]   (defaults: "bluetooth",
# docs/screenshot.png). Each KEY (an xdotool key name such as Tab or Down) is pressed after the query.
# SCREENSHOT_DATA=DIR copies the files of DIR into the launcher's data folder first (pins, history).
set -euo pipefail
cd "$(dirname "$0")/.."
query=${1:-bluetooth}
out=${2:-docs/screenshot.png}
keys=("${@:3}")
bash tools/deps.sh cmake ninja-build g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth xdotool imagemagick
cmake --preset windows >/dev/null
cmake --build build/windows --target kestrune >/dev/null
source tests/e2e/x_session.sh
x_session_start "$PWD/tools/wine-run.sh" "$PWD/build/windows/e2e-wineprefix" "$PWD/build/windows/kestrune.exe"
if [ -n "${SCREENSHOT_DATA:-}" ]; then cp "$SCREENSHOT_DATA"/* "$X_TMP/data/"; fi
xdotool mousemove 1900 1070
launch
wait_until 90 bash -c "xdotool search --name '^Kestrune\$' >/dev/null" || { echo "no launcher window" >&2; exit 1; }
win=$(first_window_named Kestrune)
wait_until 30 is_viewable "$win"
eval "$(geometry "$win")"
xdotool mousemove 1900 1070
xdotool windowfocus --sync "$win"
xdotool type --delay 20 "$query"
for k in "${keys[@]}"; do
  sleep 0.5
  xdotool key "$k"
done
# The results arrive from the search workers: wait until two screenshots in a row agree.
prev=""
for _ in $(seq 1 50); do
  sleep 0.2
  shot_window "$X_TMP/s.png" "$X" "$Y" "$WIDTH" "$HEIGHT"
  sum=$(md5sum <"$X_TMP/s.png")
  [ "$sum" = "$prev" ] && break
  prev=$sum
done
mkdir -p "$(dirname "$out")"
# A small palette PNG keeps the file light.
convert "$X_TMP/s.png" -strip -colors 64 "PNG8:$out"
echo "saved $out ($(stat -c %s "$out") bytes)"
