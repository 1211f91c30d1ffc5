#!/usr/bin/env bash
# Draws every image of the default skin into demo/data/. Login window: the
# translucent, rounded backdrop (login_bg.png, with a soft alpha edge) and the
# normal, pressed and mouse-over bitmaps of the minimise and close buttons.
# Game window: the title band's background, its ten buttons in the same three
# states and the animated picture. Needs ImageMagick and a Chinese font for the
# button captions; the images are committed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/demo/data"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$out"

# The captions are Chinese; any font fontconfig knows for the language does,
# a proportional one preferred.
cjk_font=$(fc-list ':lang=zh' file family 2>/dev/null | { grep -v Mono || true; } | sort | head -n 1 | cut -d: -f1)
[ -n "$cjk_font" ] || cjk_font=$(fc-list ':lang=zh' file 2>/dev/null | sort | head -n 1 | cut -d: -f1)
if [ -z "$cjk_font" ]; then
    echo "No Chinese font found for the button captions; install one, e.g." >&2
    echo "    apt-get install fonts-wqy-microhei" >&2
    exit 1
fi

# draw_skin K SUFFIX: every image at K times its size, named with SUFFIX
# before the extension: 1 and "" for the skin, 2 and "@2x" for the sharper
# images the client uses from 150 % display scaling on. The background is
# drawn once: it is stretched over the window at any scale.
draw_skin() {
    local k=$1 suffix=$2
    # Every drawing is in the skin's own pixels, scaled by K.
    local scale=""
    [ "$k" = 1 ] || scale="scale $k,$k "
    width=900 height=600 radius=28

    # Shape: a rounded rectangle whose edge fades out over a few pixels, and whose
    # body lets a little of the desktop through.
    convert -size $((width * k))x$((height * k)) xc:black -fill white \
        -draw "${scale}roundrectangle 8,8 $((width - 9)),$((height - 9)) $radius,$radius" \
        -blur 0x$((3 * k)) -evaluate multiply 0.94 "$tmp/mask.png"

    # Body: a dark blue vertical gradient, a lighter title band and a thin frame
    # around the area where the login page shows.
    convert -size $((width * k))x$((height * k)) gradient:'#2c4a6e'-'#0f1c2e' \
        -fill '#3d6a9a' -draw "${scale}roundrectangle 8,8 $((width - 9)),60 $radius,$radius" \
        -fill '#3d6a9a' -draw "${scale}rectangle 8,40 $((width - 9)),60" \
        -fill none -stroke '#7fa7d1' -strokewidth 2 -draw "${scale}rectangle 38,68 861,561" \
        "$tmp/body.png"

    convert "$tmp/body.png" "$tmp/mask.png" -alpha off -compose CopyOpacity -composite \
        -define png:exclude-chunks=date,time "PNG32:$out/login_bg$suffix.png"

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
            convert -size $((32 * k))x$((32 * k)) xc:'#3d6a9a' -fill "$colour" \
                -draw "${scale}roundrectangle 2,2 29,29 6,6" \
                -stroke white -strokewidth 3 -fill none \
                -draw "${scale}translate $shift,$shift $glyph" \
                "BMP3:$out/login_${name}_$state$suffix.bmp"
        done
    }
    button min "line 9,21 22,21"
    button close "line 10,10 21,21 line 21,10 10,21"

    # ---- Game window -----------------------------------------------------------
    # Only the top 31 pixels of the game window show the skin; the page's browser
    # covers the rest. The background is stretched over the whole client area, so
    # the band sees just the top few per cent of it, whatever the window's height.
    # It is therefore a narrow, tall strip: a subtle light-to-mid blue over its top
    # twentieth, which reads as the band, then darkening to the login window's
    # bottom colour behind the page. Tall so a stretch shows no steps; narrow since
    # it has no horizontal detail to keep.
    band='#3a6592' # what the button and picture tiles sit on; the band's middle
    if [ "$k" = 1 ]; then
        convert -size 8x48 gradient:'#406e9e'-'#335983' \
            -size 8x976 gradient:'#335983'-'#0f1c2e' -append \
            "BMP3:$out/game_bg.bmp"
    fi

    # Window buttons: 24 x 24, a glyph on the band like the login buttons; over
    # lights a tile up, down darkens it and shifts the glyph by a pixel.
    game_button() { # name glyph-draw-command
        local name=$1 glyph=$2
        local state colour shift
        for state in normal over down; do
            case $state in
            normal) colour=$band shift=0 ;;
            over) colour='#5b8cc0' shift=0 ;;
            down) colour='#24415f' shift=1 ;;
            esac
            convert -size $((24 * k))x$((24 * k)) xc:"$band" -fill "$colour" \
                -draw "${scale}roundrectangle 1,1 22,22 4,4" \
                -stroke white -strokewidth 2 -fill none \
                -draw "${scale}translate $shift,$shift $glyph" \
                "BMP3:$out/game_${name}_$state$suffix.bmp"
        done
    }
    game_button close "line 7.5,7.5 15.5,15.5 line 15.5,7.5 7.5,15.5"
    game_button win "rectangle 6.5,7.5 16.5,16.5 line 6.5,8.5 16.5,8.5"
    game_button mini "line 7,15.5 17,15.5"
    game_button tray "line 11.5,5 11.5,13 polyline 8,10 11.5,13.5 15,10 line 6,18 17,18"

    # Page and link buttons: 56 x 24, a short caption on a framed tile.
    game_link() { # name caption
        local name=$1 caption=$2
        local state colour frame shift
        for state in normal over down; do
            case $state in
            normal) colour='#2c4a6e' frame='#5b8cc0' shift=0 ;;
            over) colour='#4a7bb0' frame='#9cc3ea' shift=0 ;;
            down) colour='#1d3550' frame='#4f7fb0' shift=1 ;;
            esac
            convert -size $((56 * k))x$((24 * k)) xc:"$band" -fill "$colour" -stroke "$frame" \
                -strokewidth 1 -draw "${scale}roundrectangle 1.5,1.5 54.5,22.5 4,4" \
                -font "$cjk_font" -pointsize $((13 * k)) -fill '#e8eef6' -stroke none \
                -gravity center -annotate +$((shift * k))+$((shift * k)) "$caption" \
                "BMP3:$out/game_${name}_$state$suffix.bmp"
        done
    }
    game_link refresh 刷新
    game_link cache 清缓存
    game_link pay 充值
    game_link web 官网
    game_link forum 论坛
    game_link service 客服

    # The game's picture: a 24 x 24 emblem whose gold arc circles a light
    # diamond, eight frames looping. The frames are whole and opaque, on the band's
    # colour, so they show right however the window draws them.
    frames=()
    for i in 0 1 2 3 4 5 6 7; do
        # The arc as a filled ring sector, a quarter and a bit long; a stroked
        # open arc gets filled to its chord by this ImageMagick.
        arc=$(awk -v a=$((i * 45)) 'BEGIN {
            p = 3.14159265 / 180
            for (d = 0; d <= 110; d += 10)
                printf "%.2f,%.2f ", 11.5 + 10.5 * sin((a + d) * p), 11.5 - 10.5 * cos((a + d) * p)
            for (d = 110; d >= 0; d -= 10)
                printf "%.2f,%.2f ", 11.5 + 7.5 * sin((a + d) * p), 11.5 - 7.5 * cos((a + d) * p) }')
        convert -size $((24 * k))x$((24 * k)) xc:"$band" \
            -fill none -stroke '#24415f' -strokewidth 3 -draw "${scale}circle 11.5,11.5 11.5,2.5" \
            -stroke none -fill '#ffd36a' -draw "${scale}polygon $arc" \
            -fill '#e8eef6' -draw "${scale}polygon 11.5,7 16,11.5 11.5,16 7,11.5" \
            "$tmp/pic_$i.png"
        frames+=("$tmp/pic_$i.png")
    done
    convert -delay 12 -loop 0 "${frames[@]}" "$out/game_pic$suffix.gif"
}

draw_skin 1 ""
draw_skin 2 "@2x"
