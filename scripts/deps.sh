#!/usr/bin/env bash
# Installs what the build needs from Debian's archive, only what is missing.
# Usage: scripts/deps.sh [run|test|windows]
set -euo pipefail
want=(cmake g++ make pkg-config qt6-base-dev qt6-translations-l10n libgtest-dev libgmock-dev
      libbenchmark-dev)
case "${1:-test}" in
  test) want+=(clang libclang-rt-14-dev poppler-utils fonts-liberation dpkg-dev file desktop-file-utils appstream) ;;
  run) want+=(fonts-dejavu-core fonts-liberation) ;;
  # The Windows stage: cross compiler, GoogleTest sources, Wine.
  windows) want=(cmake make g++-mingw-w64-x86-64-posix googletest locales wine wine64) ;;
esac
missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installiere fehlende Pakete: ${missing[*]}"
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
