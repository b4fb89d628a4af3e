#!/usr/bin/env bash
# Renders the PNG sizes desktops ask for from the SVG icon (rsvg-convert,
# package librsvg2-bin). Run after changing the SVG and commit the PNGs: the
# build itself only installs them and needs no SVG renderer.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" kv4-n-bedarf.svg -o "kv4-n-bedarf-$size.png"
done
