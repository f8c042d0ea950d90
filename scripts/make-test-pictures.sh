#!/usr/bin/env bash
# Draws the small pictures the picture view tests decode (tests/data/pictures).
# The outputs are committed; each has exact colours the tests check.
# Needs ImageMagick 6.
set -euo pipefail
out="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/tests/data/pictures"
rm -rf "$out" && mkdir -p "$out"

# 20 x 16 pure red, 24-bit BMP.
convert -size 20x16 xc:'#FF0000' -strip -type TrueColor BMP3:"$out/red.bmp"
# 24 x 18 pure blue JPEG (lossy: the tests allow a small error).
convert -size 24x18 xc:'#0000FF' -strip -quality 95 JPEG:"$out/blue.jpg"
# 16 x 16 PNG with alpha: left half opaque black; right half transparent at
# the top and half-transparent black (alpha 128) at the bottom.
convert -size 16x16 xc:none \
  -fill 'rgba(0,0,0,1)' -draw 'rectangle 0,0 7,15' \
  -fill 'rgba(0,0,0,0.50196)' -draw 'rectangle 8,8 15,15' \
  -strip -depth 8 -define png:color-type=6 -define png:exclude-chunks=date,time PNG32:"$out/alpha.png"
# 12 x 10 GIF: transparent, with a 4 x 4 green square at (4, 3).
convert -size 12x10 xc:none -fill '#008000' -draw 'rectangle 4,3 7,6' -strip GIF:"$out/square.gif"
# Animated GIF on a 20 x 20 logical screen: the first frame is a 10 x 10
# magenta square placed at (5, 5), the second fills the screen in blue.
convert -dispose none -delay 20 \
  \( -size 10x10 xc:'#FF00FF' -set page 20x20+5+5 \) \
  \( -size 20x20 xc:'#0000FF' -set page 20x20+0+0 \) \
  -strip GIF:"$out/anim.gif"
ls -l "$out"

# Animated smileys of our own, 24 x 24 yellow faces on a transparent
# screen, looping forever. blink.gif: eyes open 600 ms, shut 150 ms.
# bounce.gif: the face hops on a 24 x 30 screen (frame offsets, each frame
# cleared to the page before the next: disposal "background").
face() {  # $1 = eyes (open|shut), $2 = output
  local eyes
  if [ "$1" = open ]; then
    eyes=(-fill black -stroke none -draw 'ellipse 8,9 1.5,2.5 0,360' -draw 'ellipse 15,9 1.5,2.5 0,360')
  else
    eyes=(-fill none -stroke black -strokewidth 1.5 -draw 'line 6,9 10,9' -draw 'line 13,9 17,9')
  fi
  convert -size 24x24 xc:none -fill '#FFD800' -stroke '#A06800' -strokewidth 1 -draw 'circle 11.5,11.5 11.5,1' \
    "${eyes[@]}" -fill none -stroke black -strokewidth 1.5 -draw 'arc 6,8 17,18 25,155' \
    +antialias -channel A -threshold 50% +channel -strip PNG32:"$2"
}
tmp="$(mktemp -d)"
face open "$tmp/open.png"
face shut "$tmp/shut.png"
convert -dispose none -loop 0 -delay 60 "$tmp/open.png" -delay 15 "$tmp/shut.png" -strip GIF:"$out/blink.gif"
convert -dispose background -loop 0 -delay 12 \
  \( "$tmp/open.png" -set page 24x30+0+6 \) \( "$tmp/open.png" -set page 24x30+0+3 \) \
  \( "$tmp/open.png" -set page 24x30+0+0 \) \( "$tmp/open.png" -set page 24x30+0+3 \) \
  -strip GIF:"$out/bounce.gif"
rm -rf "$tmp"
ls -l "$out/blink.gif" "$out/bounce.gif"
