#!/usr/bin/env bash
# Sets up a Debian 12 machine and runs the whole test suite: the normal build (warnings are
# errors) with every test, a format check, and the AddressSanitizer + UndefinedBehaviorSanitizer
# build with every test again. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh

jobs=$(nproc)
export LC_ALL=C.UTF-8
export QT_QPA_PLATFORM=offscreen
export CTEST_OUTPUT_ON_FAILURE=1

echo "== format"
mapfile -t sources < <(git ls-files '*.cpp' '*.h' 2>/dev/null || find . -name '*.cpp' -o -name '*.h')
if [ ${#sources[@]} -gt 0 ]; then
  clang-format --dry-run -Werror "${sources[@]}"
fi

echo "== build (g++, warnings as errors)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DJOTWELL_WERROR=ON
cmake --build build -j "$jobs"
echo "== tests"
ctest --test-dir build -j "$jobs"

echo "== build (clang, address and undefined-behaviour sanitizers)"
CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DJOTWELL_WERROR=ON -DJOTWELL_SANITIZE=ON -DJOTWELL_BENCH=OFF
cmake --build build-asan -j "$jobs"
echo "== tests under sanitizers"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan -j "$jobs"

echo "== fuzz targets (clang, libFuzzer), a short bounded run of each"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DJOTWELL_FUZZ=ON -DJOTWELL_TESTS=OFF -DJOTWELL_BENCH=OFF
cmake --build build-fuzz -j "$jobs"
fuzz_seconds=${JOTWELL_FUZZ_SECONDS:-20}
for target in build-fuzz/fuzz/*; do
  [ -f "$target" ] && [ -x "$target" ] || continue
  name=$(basename "$target")
  work=$(mktemp -d)
  seeds=fuzz/corpus/$name
  [ -d "$seeds" ] || seeds=
  echo "-- $name for ${fuzz_seconds}s"
  "$target" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    "$work" $seeds 2>"$work.log" || { tail -n 60 "$work.log"; exit 1; }
  grep -E 'stat::number_of_executed_units' "$work.log" || true
  rm -rf "$work" "$work.log"
done

echo "== all passed"
