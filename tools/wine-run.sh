#!/usr/bin/env bash
# Runs a Windows program under wine with its own prefix (created on first use, Windows 10),
# passing the program's exit code through.  Usage: wine-run.sh [--prefix DIR] PROGRAM [ARGS...]
set -u
prefix="${KESTRUNE_WINEPREFIX:-$PWD/wineprefix}"
if [ "${1:-}" = "--prefix" ]; then prefix="$2"; shift 2; fi
case "${1:-}" in --prefix=*) prefix="${1#--prefix=}"; shift ;; esac
export WINEPREFIX="$prefix" WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
mkdir -p "$(dirname "$prefix")"
(
  flock 9
  if [ ! -f "$prefix/.kestrune-ready" ]; then
    wineboot -i >/dev/null 2>&1
    wine winecfg -v win10 >/dev/null 2>&1
    wineserver -w
    touch "$prefix/.kestrune-ready"
  fi
) 9>"$prefix.lock"
exec wine "$@"
