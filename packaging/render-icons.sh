#!/usr/bin/env bash
# Renders the PNG icons of the hicolor theme from the two scalable ones.
# The PNGs are committed, so a build needs no SVG renderer; run this after
# changing an SVG (needs rsvg-convert, Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/icons/hicolor"
for svg in scalable/apps/*.svg; do
  name=$(basename "$svg" .svg)
  for size in 16 22 24 32 48 64 128 256; do
    mkdir -p "${size}x${size}/apps"
    rsvg-convert -w "$size" -h "$size" "$svg" -o "${size}x${size}/apps/$name.png"
  done
done
