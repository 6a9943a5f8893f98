#!/bin/sh
# Renders the icon's PNG sizes from its SVG (apt-get install librsvg2-bin); the PNGs
# are kept in the repository so building needs no SVG renderer.
set -eu
cd "$(dirname "$0")"
for size in 48 128 256; do
  mkdir -p "$size"
  rsvg-convert -w "$size" -h "$size" org.example.Melodeck.svg -o "$size/org.example.Melodeck.png"
done
