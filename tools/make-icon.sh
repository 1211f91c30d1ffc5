#!/usr/bin/env bash
# Draws the application icon (resources/client.ico, also the demo skin's
# data/main.ico): a rounded green tile with a white play triangle, at 16, 32
# and 48 pixels. Needs ImageMagick; the output is committed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for size in 16 32 48; do
    r=$((size / 6))
    convert -size ${size}x${size} xc:none \
        -fill '#1f7a4d' -draw "roundrectangle 0,0 $((size - 1)),$((size - 1)) $r,$r" \
        -fill white -draw "polygon $((size * 3 / 8)),$((size / 4)) $((size * 3 / 8)),$((size * 3 / 4)) $((size * 3 / 4)),$((size / 2))" \
        "$tmp/icon-$size.png"
done
convert "$tmp/icon-16.png" "$tmp/icon-32.png" "$tmp/icon-48.png" "$root/resources/client.ico"
mkdir -p "$root/demo/data"
cp "$root/resources/client.ico" "$root/demo/data/main.ico"
