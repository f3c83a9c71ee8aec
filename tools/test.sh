#!/usr/bin/env bash
# Runs every test: native (Debug), native with ASan + UBSan, native with TSan, the Windows build under
# wine (unit, contract, Windows-only and end-to-end tests), the self-test, and a short pass of every
# fuzzer over its seeds. Installs the Debian packages it needs when they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
jobs="-j$(nproc)"
failed=()

stage() { printf '\n=== %s ===\n' "$*"; }

run_preset() {
  local preset=$1
  stage "$preset"
  cmake --preset "$preset" >/dev/null
  cmake --build "build/$preset" $jobs
  (cd "build/$preset" && ctest --output-on-failure $jobs) || failed+=("$preset")
}

run_preset native
run_preset native-asan
# ThreadSanitizer matters for the unit tests (workers, stores, stress); the rest is covered above.
stage native-tsan
cmake --preset native-tsan >/dev/null
cmake --build build/native-tsan $jobs --target kestrune_tests
(cd build/native-tsan && ctest --output-on-failure -R '^unit_and_contract$') || failed+=(native-tsan)
stage windows
cmake --preset windows >/dev/null
cmake --build build/windows $jobs
(cd build/windows && ctest --output-on-failure) || failed+=(windows)

stage "self-test (kestrune.exe --selftest under wine)"
selftest() { tools/wine-run.sh --prefix="$PWD/build/windows/wineprefix" build/windows/kestrune.exe --selftest </dev/null; }
selftest_out=$(selftest) || true
printf '%s\n' "$selftest_out"
printf '%s\n' "$selftest_out" | grep -qE '^minitest: [0-9]+ passed, 0 failed$' || failed+=(selftest)

stage "fuzzers over their seeds"
cmake --preset fuzz >/dev/null
cmake --build build/fuzz $jobs
for f in build/fuzz/fuzz/fuzz_*; do
  name=$(basename "$f"); name=${name#fuzz_}
  corpus="fuzz/corpus/$name"
  [ -d "$corpus" ] || continue
  if "$f" "$corpus" -max_total_time=5 -print_final_stats=0 >/tmp/kestrune-fuzz-$name.log 2>&1; then
    echo "fuzz $name: clean"
  else
    tail -30 /tmp/kestrune-fuzz-$name.log
    failed+=("fuzz_$name")
  fi
done

stage summary
if [ ${#failed[@]} -ne 0 ]; then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "all stages passed"
