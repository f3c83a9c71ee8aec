#!/usr/bin/env bash
# Builds kestrune.exe and starts it: on Windows directly, on Linux under wine, with a virtual
# X server when there is no display. Installs the Debian packages it needs when they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."
case "$(uname -s)" in
  MINGW*|MSYS*|CYGWIN*)
    cmake --preset windows >/dev/null && cmake --build build/windows --target kestrune
    exec build/windows/kestrune.exe "$@" ;;
esac
bash tools/deps.sh cmake ninja-build g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth
cmake --preset windows >/dev/null
cmake --build build/windows --target kestrune
if [ -z "${DISPLAY:-}" ]; then
  display=:77
  Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null || true' EXIT
  export DISPLAY=$display
  sleep 1
  echo "no display: running on the virtual X server $DISPLAY"
fi
export KESTRUNE_WINEPREFIX="${KESTRUNE_WINEPREFIX:-$PWD/build/run-wineprefix}"
tools/wine-run.sh build/windows/kestrune.exe "$@"
