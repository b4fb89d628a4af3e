#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the plain
# build, its Debian package installed and removed again, the Windows
# cross-build under Wine, then the same tests under AddressSanitizer +
# UndefinedBehaviorSanitizer.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
scripts/deps.sh test
jobs="$(nproc)"

echo "== Build and test (plain) =="
cmake --preset default >/dev/null
cmake --build --preset default -j "$jobs"
cmake --build --preset default --target format-check
ctest --preset default -j "$jobs"

# The Debian package of that build: built, installed with apt-get, checked
# and purged again. Needs root or sudo; without either the stage says so
# ("Paketprüfung übersprungen: …") and is skipped.
packaging/test-install.sh build

# The window-free library and its tests for 64-bit Windows, run under Wine.
# Where Wine cannot start, the script says so and skips that stage.
scripts/windows-test.sh build-win

echo "== Build and test (AddressSanitizer + UndefinedBehaviorSanitizer) =="
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs"

# Fuzzing, short budget: every libFuzzer target for 30 s on seeds cut from
# the demo farm and the corpus of earlier runs (clang-14, AddressSanitizer +
# UBSan), with a fixed seed so that a run can be repeated. The long run is
# scripts/fuzz.sh [RUNS].
echo "== Fuzzing (short budget, 30 s per target) =="
KV4_FUZZ_JOBS="$jobs" KV4_FUZZ_SEED=2018 scripts/fuzz.sh --time 30
