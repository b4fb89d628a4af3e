#!/usr/bin/env bash
# The Windows side: cross-builds the core library and its tests for 64-bit
# Windows with mingw-w64 and runs every test executable under Wine, in a
# throwaway Wine prefix inside the build folder. Installs what is missing
# from Debian's archive. Where Wine cannot start, says so and exits 0.
# Usage: scripts/windows-test.sh [build folder, default build-win]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
build="$(realpath -m "${1:-build-win}")"
jobs=2

scripts/deps.sh windows

# A German locale for Wine, inside the build folder (the toolchain points
# LOCPATH there): the host need not have de_DE.UTF-8 generated.
mkdir -p "$build/locale"
if [ ! -d "$build/locale/de_DE.UTF-8" ]; then
  localedef -i de_DE -f UTF-8 "$build/locale/de_DE.UTF-8" ||
    echo "Warnung: Gebietsschema de_DE.UTF-8 für Wine nicht erzeugt; Wine arbeitet englisch."
fi

echo "== Windows: Cross-Build (mingw-w64) =="
cmake --preset windows-cross -B "$build" >/dev/null
cmake --build "$build" -j "$jobs"

# Wine only for console programs: no display, no debug chatter, no Mono or
# Gecko installers, and never the user's own ~/.wine.
unset DISPLAY WAYLAND_DISPLAY
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX="$build/wineprefix" LOCPATH="$build/locale"
skip() {
  echo "Windows-Stufe übersprungen: Wine kann hier nicht starten ($1)"
  exit 0
}
command -v wine >/dev/null 2>&1 || skip "kein Programm wine gefunden"
wine_version="$(wine --version 2>&1)" || skip "wine --version: ${wine_version//$'\n'/ }"
echo "== Windows: Wine-Umgebung ($wine_version, $WINEPREFIX) =="
if ! boot_log="$(timeout 300 wineboot -i 2>&1)"; then
  skip "wineboot -i: $(printf '%s' "$boot_log" | tail -n 1)"
fi
# wine starts programs asynchronously from wineboot; wait until the prefix is
# written before the tests share it.
timeout 120 wineserver -w || true

echo "== Windows: Tests unter Wine =="
status=0
ctest --test-dir "$build" --output-on-failure -j "$jobs" || status=$?

# Every test executable is a GoogleTest program: add up its own counts.
log="$build/Testing/Temporary/LastTest.log"
count() { grep -aoE "^\[  $1 *\] [0-9]+ tests?" "$log" | awk '{s += $(NF-1)} END {print s + 0}'; }
if [ -f "$log" ]; then
  echo "Wine: $(count PASSED) passed, $(count FAILED) failed, $(count SKIPPED) skipped"
fi
exit "$status"
