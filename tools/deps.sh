#!/usr/bin/env bash
# Installs the Debian packages the build and tests need, when they are missing.
# Usage: deps.sh [package...]   (default: everything the test command needs)
set -eu
want=("$@")
if [ ${#want[@]} -eq 0 ]; then
  want=(cmake ninja-build g++ clang libgtest-dev libbenchmark-dev googletest
        g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth xdotool imagemagick fzf
        libfuzzer-14-dev libclang-rt-14-dev)
fi
missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}" >/dev/null
