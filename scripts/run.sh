#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it on the bundled
# demo farm.
#
# The demo farm is written afresh into <build>/demo on every run (Daten/ and
# NKlassen.dat), together with a registry file that names its data folder;
# the program starts inside <build>/demo, where it finds NKlassen.dat.
# KV4_REGISTRY, when set by the caller, names another registry file instead.
# KV4_BUILD_DIR (default: build) and KV4_JOBS (default: all cores) choose
# the build folder and the number of parallel compile jobs.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "KV4_N_Bedarf ist ein Programm mit Fenster und braucht eine Desktop-Sitzung." >&2
  echo "Starten Sie es in einer grafischen Sitzung oder mit: xvfb-run -a scripts/run.sh" >&2
  exit 1
fi
build="${KV4_BUILD_DIR:-build}"
case "$build" in /*) ;; *) build="$root/$build" ;; esac
scripts/deps.sh run
cmake --preset default -B "$build" >/dev/null
cmake --build "$build" -j "${KV4_JOBS:-$(nproc)}" --target KV4_N_Bedarf make_demo_farm

demo="$build/demo"
"$build/tools/make_demo_farm" "$demo" >/dev/null

# The registry as regedit exports it: the setup key of Kornavis 4 with the
# data folder. In the value, backslashes and quotes are escaped.
registry_text() {
  local value="$1"
  value="${value//\\/\\\\}"
  value="${value//\"/\\\"}"
  printf '%s\r\n\r\n' "$2"
  printf '[HKEY_CURRENT_USER\\Software\\Agrar\\Kornavis.INI\\Setup]\r\n'
  printf '"Daten"="%s"\r\n\r\n' "$value"
}
registry="$demo/registry.reg"
# REGEDIT4 files are Windows-1252; a folder name beyond it needs the newer
# format, which the program reads as UTF-8.
if ! registry_text "$demo/Daten" REGEDIT4 | iconv -f UTF-8 -t CP1252 >"$registry" 2>/dev/null; then
  registry_text "$demo/Daten" "Windows Registry Editor Version 5.00" >"$registry"
fi
if [ -z "${KV4_REGISTRY:-}" ]; then
  export KV4_REGISTRY="$registry"
fi

cd "$demo"
exec "$build/app/KV4_N_Bedarf" "$@"
