#!/usr/bin/env bash
# Builds the libFuzzer targets (clang-14, AddressSanitizer + UBSan) and runs
# each of them on seeds cut from the demo farm. Fails when a target finds a
# crash, a sanitizer report, a broken invariant, a leak or a slow input.
#
#   scripts/fuzz.sh [RUNS]          RUNS inputs per target (default 200000)
#   scripts/fuzz.sh --time SECONDS  SECONDS per target instead of a run count
#
# A long campaign, e.g. ten million inputs per target on a quiet machine
# (some hours for the folder targets):
#   KV4_FUZZ_TARGETS="fuzz_streamed_farm fuzz_fill_folder" scripts/fuzz.sh 10000000
# Each run starts from the corpus the runs before it kept and adds to it, so
# campaigns continue one another; keep <build>/fuzz-corpus when cleaning the
# build, or set KV4_FUZZ_BUILD to a folder that lasts.
#
# Environment: KV4_FUZZ_BUILD (build folder, default build-fuzz),
# KV4_FUZZ_JOBS (build jobs, default 2), KV4_FUZZ_TARGETS (a blank-separated
# choice of targets, default all), KV4_FUZZ_SEED (libFuzzer's seed, default
# random; a fixed seed repeats the same inputs). The corpus grows in
# <build>/fuzz-corpus/<target> and is kept between runs; findings are
# written to <build>/fuzz-artifacts/<target>/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

limit=(-runs=200000)
case "${1:-}" in
  --time) limit=(-max_total_time="${2:?Sekunden fehlen}") ;;
  "") ;;
  *) limit=(-runs="$1") ;;
esac
build="${KV4_FUZZ_BUILD:-build-fuzz}"
jobs="${KV4_FUZZ_JOBS:-2}"
read -r -a targets <<<"${KV4_FUZZ_TARGETS:-$(tr '\n' ' ' <fuzz/targets.txt)}"

cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" -j "$jobs" --target "${targets[@]}" make_fuzz_seeds

seeds="$build/fuzz-seeds"
rm -rf "$seeds"
"$build/fuzz/make_fuzz_seeds" "$seeds"

# The folder target writes a data folder per input: keep it in memory.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
export ASAN_OPTIONS="detect_leaks=1:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:${UBSAN_OPTIONS:-}"

seed=()
[ -n "${KV4_FUZZ_SEED:-}" ] && seed=(-seed="$KV4_FUZZ_SEED")
failed=()
for t in "${targets[@]}"; do
  corpus="$build/fuzz-corpus/$t"
  artifacts="$build/fuzz-artifacts/$t"
  log="$build/fuzz-logs/$t.log"
  mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
  max_len=16384
  echo "== $t (${limit[*]}, max_len=$max_len)"
  start=$(date +%s)
  if "$build/fuzz/$t" "${limit[@]}" "${seed[@]}" -max_len="$max_len" -timeout=30 -rss_limit_mb=2048 \
       -print_final_stats=1 -artifact_prefix="$artifacts/" "$corpus" "$seeds/$t" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
    echo "   ok: ${runs:-?} Eingaben in $(( $(date +%s) - start )) s (${rate:-?}/s)"
  else
    echo "   FEHLER: Befund von $t, Protokoll $log:"
    grep -E "ERROR|SUMMARY|runtime error|Test unit written|#[0-9]+ 0x" "$log" | head -25 || true
    failed+=("$t")
  fi
done

if ((${#failed[@]})); then
  echo "Befunde in: ${failed[*]} (Eingaben unter $build/fuzz-artifacts/)"
  exit 1
fi
echo "Alle Fuzz-Ziele ohne Befund."
