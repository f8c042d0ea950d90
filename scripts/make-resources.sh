#!/usr/bin/env bash
# Draws the pictures that resources/tovira.rc compiles into the exe: the
# application icon, the button glyphs, the menu image strip, the about
# picture and the rescue dialog's title bar and close glyph. The outputs
# are committed; the build does not run this script.
# Needs ImageMagick 6 (convert, identify) and the DejaVu fonts.
set -euo pipefail
out="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/resources"
cd "$out"

# Glyph background: clFuchsia, which the buttons and the menu treat as
# see-through (the bottom-left pixel of every glyph has it). Shapes are drawn
# without anti-aliasing so no pinkish fringe survives around them.
bg='#FF00FF'
glyph() {  # glyph <output> <width> <draw commands...>
  local file=$1 width=$2; shift 2
  convert -size "${width}x16" "xc:$bg" +antialias "$@" -type TrueColor -strip "BMP3:$file"
}

# The "i" in a circle, appended to the array `draw`; used for the
# two-state About glyph and the menu's about image.
about_sign() {  # about_sign <x offset> <disc> <ring> <letter>
  local x=$1
  draw+=(-draw "fill $2 stroke $3 circle $((x + 7)),7 $((x + 7)),0"
         -draw "fill $4 stroke none rectangle $((x + 6)),3 $((x + 8)),4"
         -draw "fill $4 stroke none rectangle $((x + 6)),6 $((x + 8)),11")
}

# A life ring: red with four white bands.
glyph glyph_rescue.bmp 16 \
  -draw "fill #D01010 stroke #700000 circle 7,7 7,0" \
  -draw "fill $bg stroke #700000 circle 7,7 7,4" \
  -draw "fill white stroke none rectangle 6,0 8,3" \
  -draw "fill white stroke none rectangle 6,11 8,14" \
  -draw "fill white stroke none rectangle 0,6 3,8" \
  -draw "fill white stroke none rectangle 11,6 14,8"

# An arrow down onto the tray bar.
glyph glyph_minimize.bmp 16 \
  -draw "fill #1060C0 stroke #003080 polygon 4,1 10,1 10,6 13,6 7,12 1,6 4,6" \
  -draw "fill #404040 stroke none rectangle 1,13 14,14"

# A door with a red arrow leaving it.
glyph glyph_exit.bmp 16 \
  -draw "fill #8B5A2B stroke #402000 rectangle 1,1 9,14" \
  -draw "fill #FFD700 stroke none rectangle 7,7 7,8" \
  -draw "fill #D01010 stroke none polygon 9,5 12,5 12,2 15,7 12,12 12,9 9,9"

# Two states side by side: normal, then disabled (greys).
draw=()
about_sign 0 '#1060C0' '#003080' white
about_sign 16 '#A0A0A0' '#808080' '#E0E0E0'
glyph glyph_about.bmp 32 "${draw[@]}"

# Menu images, 16x16 each: 0 about, 1 help, 2 spare (a star), 3 exit.
draw=()
about_sign 0 '#1060C0' '#003080' white
glyph imagelist6.bmp 64 "${draw[@]}" \
  -draw "fill #FFD700 stroke #806000 circle 23,7 23,0" \
  -draw "fill #003080 stroke none rectangle 21,3 25,4" \
  -draw "fill #003080 stroke none rectangle 24,5 25,7" \
  -draw "fill #003080 stroke none rectangle 22,7 23,9" \
  -draw "fill #003080 stroke none rectangle 22,11 23,12" \
  -draw "fill #F0C000 stroke #806000 polygon 39,0 41,5 46,5 42,8 44,14 39,10 34,14 36,8 32,5 37,5" \
  -draw "fill #8B5A2B stroke #402000 rectangle 49,1 57,14" \
  -draw "fill #FFD700 stroke none rectangle 55,7 55,8" \
  -draw "fill #D01010 stroke none polygon 57,5 60,5 60,2 63,7 60,12 60,9 57,9"

# Application icon: a smiley, transparent around the face, in the sizes the
# system asks for from 96 to 192 dpi (small icons 16, 20, 24, 32; large
# 32, 40, 48, 64). The 32x32 image is drawn on its own pixel grid in a
# 256-colour palette; the others are drawn at 8 times their size and reduced
# with an area filter, so their strokes stay crisp.
smiley() {  # smiley <output> <size> <scale>: the 32x32 drawing scaled by <scale>
  local file=$1 size=$2 k=$3
  convert -size "${size}x${size}" xc:none \
    -draw "fill #FFD700 stroke #A06000 stroke-width $(echo "1.5*$k" | bc) circle $(echo "15.5*$k;15.5*$k;15.5*$k;1.5*$k" | bc | paste -sd' ' | awk '{print $1","$2" "$3","$4}')" \
    -draw "fill #302000 stroke none ellipse $(echo "11*$k;12*$k;2*$k;3.5*$k" | bc | paste -sd' ' | awk '{print $1","$2" "$3","$4}') 0,360" \
    -draw "fill #302000 stroke none ellipse $(echo "20*$k;12*$k;2*$k;3.5*$k" | bc | paste -sd' ' | awk '{print $1","$2" "$3","$4}') 0,360" \
    -draw "fill none stroke #302000 stroke-width $(echo "2*$k" | bc) arc $(echo "8*$k;10*$k;23*$k;24*$k" | bc | paste -sd' ' | awk '{print $1","$2" "$3","$4}') 25,155" \
    "$file"
}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
convert -size 32x32 xc:none \
  -draw "fill #FFD700 stroke #A06000 stroke-width 1.5 circle 15.5,15.5 15.5,1.5" \
  -draw "fill #302000 stroke none ellipse 11,12 2,3.5 0,360" \
  -draw "fill #302000 stroke none ellipse 20,12 2,3.5 0,360" \
  -draw "fill none stroke #302000 stroke-width 2 arc 8,10 23,24 25,155" \
  -colors 256 -strip "ICO:$tmp/32.ico"
images=()
for size in 16 20 24 40 48 64; do
  # Drawn 8x on a grid of size/32 * 8 pixels per design pixel, then reduced.
  smiley "$tmp/big.png" $((size * 8)) "$(echo "scale=4; $size * 8 / 32" | bc)"
  convert "$tmp/big.png" -filter Box -resize "${size}x${size}" -strip "$tmp/$size.png"
done
# The 32x32 image first: a reader that takes the first image gets the
# original icon.
images+=("$tmp/32.ico")
for size in 16 20 24 40 48 64; do images+=("$tmp/$size.png"); done
convert "${images[@]}" -strip ICO:app.ico

# The tray icon stored with the main window's layout: the application icon's
# pictures again (the tray takes the small icon size of its resolution).
cp app.ico tray_icon.ico

# About picture, 156x213, progressive: two yellow smiley faces, a small
# figure and a paper plane with "e-mail" lettering on white. The faces and
# the plane are large flat areas, so the unit tests can check decoded colours:
# face A centre 52,52 radius 40 (255,220,0); face B centre 112,118 radius 34;
# plane triangle 56,170 150,150 96,208 (0,90,200).
face() {  # face <cx> <cy> <r>, appended to the array `draw`
  local cx=$1 cy=$2 r=$3
  draw+=(-draw "fill rgb(255,220,0) stroke rgb(160,100,0) stroke-width 2 circle $cx,$cy $cx,$((cy - r))" \
         -draw "fill black stroke none circle $((cx - r / 3)),$((cy - r / 5)) $((cx - r / 3)),$((cy - r / 5 - r / 8))" \
         -draw "fill black stroke none circle $((cx + r / 3)),$((cy - r / 5)) $((cx + r / 3)),$((cy - r / 5 - r / 8))" \
         -draw "fill none stroke black stroke-width 3 arc $((cx - r / 2)),$((cy - r / 4)) $((cx + r / 2)),$((cy + r / 2 + 2)) 20,160")
}
draw=()
face 52 52 40
face 112 118 34
convert -size 156x213 xc:white "${draw[@]}" \
  -draw "fill none stroke rgb(40,40,140) stroke-width 3 circle 26,136 26,130" \
  -draw "stroke rgb(40,40,140) stroke-width 3 line 26,142 26,168" \
  -draw "stroke rgb(40,40,140) stroke-width 3 line 14,150 38,150" \
  -draw "stroke rgb(40,40,140) stroke-width 3 line 26,168 16,186" \
  -draw "stroke rgb(40,40,140) stroke-width 3 line 26,168 36,186" \
  -draw "fill rgb(0,90,200) stroke none polygon 56,170 150,150 96,208" \
  -draw "stroke white stroke-width 2 line 150,150 88,184" \
  -font DejaVu-Sans-Bold -pointsize 13 -fill 'rgb(200,0,0)' -annotate +4+207 'e-mail' \
  -strip -quality 92 -sampling-factor 1x1 -interlace Plane about.jpg

# The rescue dialog's title bar, three 24-bit bitmaps that sit side by side:
# left end 31x29, middle 28x29 (stretched), right end 91x29. A glossy blue
# bar: a light upper half over a deeper lower half. The outer top corners
# are rounded with radius 6, like the window's region, and filled with
# clFuchsia; the left end is drawn see-through, so its bottom-left pixel
# (which names the see-through colour) is clFuchsia too.
bar() {  # bar <output> <width> [mask draw command]
  local file=$1 width=$2 mask=${3:-}
  convert -size "${width}x14" gradient:'#9CCBFF'-'#4A8CE8' -size "${width}x15" gradient:'#1D56BE'-'#2F74DC' \
    -append -fill '#123C8C' -draw "line 0,28 $((width - 1)),28" -type TrueColor -strip "BMP3:$file"
  if [ -n "$mask" ]; then
    # The bar where the mask is white, clFuchsia elsewhere.
    convert -size "${width}x29" xc:'#FF00FF' "$file" \
      \( -size "${width}x29" xc:black +antialias -fill white -draw "$mask" \) \
      -composite -type TrueColor -strip "BMP3:$file"
  fi
}
bar title_middle.bmp 28
bar title_left.bmp 31 "roundrectangle 0,0 60,60 6,6"
bar title_right.bmp 91 "roundrectangle -60,0 90,60 6,6"
convert title_left.bmp -fill '#FF00FF' -draw 'point 0,28' -type TrueColor -strip BMP3:title_left.bmp

# Its close glyph: a red cross in a light rounded square on the bar's blue,
# 17x17, a baseline JPEG.
convert -size 17x17 xc:'#2C6FD8' +antialias \
  -draw "fill #F2F2F2 stroke #4A4A4A roundrectangle 0,0 16,16 3,3" \
  -draw "stroke #D01010 stroke-width 2 line 4,4 12,12" \
  -draw "stroke #D01010 stroke-width 2 line 12,4 4,12" \
  -strip -quality 95 -sampling-factor 1x1 close_glyph.jpg

identify -verbose about.jpg | grep -q 'Interlace: JPEG' || { echo "about.jpg is not progressive" >&2; exit 1; }
identify app.ico tray_icon.ico glyph_*.bmp imagelist6.bmp about.jpg title_*.bmp close_glyph.jpg
