#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it on the bundled
# demo farm.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "KV4_N_Bedarf ist ein Programm mit Fenster und braucht eine Desktop-Sitzung." >&2
  echo "Starten Sie es in einer grafischen Sitzung oder mit: xvfb-run -a scripts/run.sh" >&2
  exit 1
fi
scripts/deps.sh run
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target KV4_N_Bedarf make_demo_farm
exec build/KV4_N_Bedarf "$@"
