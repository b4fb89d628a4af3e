#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the plain
# build, then the same tests under AddressSanitizer + UndefinedBehaviorSanitizer.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
scripts/deps.sh test
jobs="$(nproc)"

echo "== Build and test (plain) =="
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKV4_BUILD_BENCH=ON >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== Build and test (AddressSanitizer + UndefinedBehaviorSanitizer) =="
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DKV4_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"
