#!/usr/bin/env bash
# Draws the default skin's login images into demo/data/: the translucent,
# rounded backdrop (login_bg.png, with a soft alpha edge) and the normal,
# pressed and mouse-over bitmaps of the minimise and close buttons. Needs
# ImageMagick; the images are committed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/demo/data"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$out"

width=900 height=600 radius=28

# Shape: a rounded rectangle whose edge fades out over a few pixels, and whose
# body lets a little of the desktop through.
convert -size ${width}x${height} xc:black -fill white \
    -draw "roundrectangle 8,8 $((width - 9)),$((height - 9)) $radius,$radius" \
    -blur 0x3 -evaluate multiply 0.94 "$tmp/mask.png"

# Body: a dark blue vertical gradient, a lighter title band and a thin frame
# around the area where the login page shows.
convert -size ${width}x${height} gradient:'#2c4a6e'-'#0f1c2e' \
    -fill '#3d6a9a' -draw "roundrectangle 8,8 $((width - 9)),60 $radius,$radius" \
    -fill '#3d6a9a' -draw "rectangle 8,40 $((width - 9)),60" \
    -fill none -stroke '#7fa7d1' -strokewidth 2 -draw "rectangle 38,68 861,561" \
    "$tmp/body.png"

convert "$tmp/body.png" "$tmp/mask.png" -alpha off -compose CopyOpacity -composite \
    "PNG32:$out/login_bg.png"

# Buttons: 32 x 32, a glyph on a rounded tile; over is lighter, down darker
# and shifted by a pixel.
button() { # name glyph-draw-command
    local name=$1 glyph=$2
    local state colour shift
    for state in normal over down; do
        case $state in
        normal) colour='#3d6a9a' shift=0 ;;
        over) colour='#5b8cc0' shift=0 ;;
        down) colour='#24415f' shift=1 ;;
        esac
        convert -size 32x32 xc:'#3d6a9a' -fill "$colour" -draw "roundrectangle 2,2 29,29 6,6" \
            -stroke white -strokewidth 3 -fill none \
            -draw "translate $shift,$shift $glyph" \
            "BMP3:$out/login_${name}_$state.bmp"
    done
}
button min "line 9,21 22,21"
button close "line 10,10 21,21 line 21,10 10,21"
