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
