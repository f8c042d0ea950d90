#!/usr/bin/env bash
# Draws the default picture library (data/images/<category>/...) and the
# paste chime data/sound.wav. The outputs are committed; the build only
# copies them next to the exe. Every picture format the program lists (gif,
# jpg, bmp, png) appears several times. Needs ImageMagick 6 and python3.
set -euo pipefail
data="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/data"
images="$data/images"
rm -rf "$images"
mkdir -p "$images"/{general,additional,animals,food}

# picture <category/name.ext> <size> <draw arguments...>
# GIF and PNG get a transparent background, BMP and JPG a white one (the
# pages show pictures on white). Metadata and time stamps are left out so
# that running the script again gives the same bytes.
picture() {
  local file=$1 size=$2; shift 2
  local canvas=none format=${file##*.} extra=()
  case $format in
    bmp) canvas=white; extra=(-type TrueColor) ;;
    jpg) canvas=white; extra=(-quality 90) ;;
    png) extra=(-depth 8 -define png:exclude-chunks=date,time) ;;
  esac
  local prefix=${format^^}
  [ "$prefix" = BMP ] && prefix=BMP3
  [ "$prefix" = JPG ] && prefix=JPEG
  convert -size "${size}x${size}" "xc:$canvas" "$@" -strip "${extra[@]}" "$prefix:$images/$file"
}

# A yellow face of diameter d with the given eyes and mouth drawn on top.
face() {  # face <d> -> arguments for the face disc
  local d=$1 r=$(( ($1 - 2) / 2 ))
  echo "fill #FFD000 stroke #A06000 stroke-width 1 circle $((d / 2)),$((d / 2)) $((d / 2)),$((d / 2 - r))"
}

# --- general: faces ---
picture general/smile.gif 24 -draw "$(face 24)" \
  -draw "fill #302000 stroke none circle 8,9 8,7 circle 15,9 15,7" \
  -draw "fill none stroke #302000 stroke-width 2 arc 6,8 18,18 20,160"
picture general/wink.png 24 -draw "$(face 24)" \
  -draw "fill #302000 stroke none circle 8,9 8,7" \
  -draw "stroke #302000 stroke-width 2 line 13,9 18,9" \
  -draw "fill none stroke #302000 stroke-width 2 arc 6,8 18,18 20,160"
picture general/sad.jpg 24 -draw "$(face 24)" \
  -draw "fill #302000 stroke none circle 8,9 8,7 circle 15,9 15,7" \
  -draw "fill none stroke #302000 stroke-width 2 arc 6,15 18,23 200,340"
picture general/laugh.bmp 28 -draw "$(face 28)" \
  -draw "stroke #302000 stroke-width 2 line 7,9 11,11 line 11,11 7,13 line 20,9 16,11 line 16,11 20,13" \
  -draw "fill #902020 stroke #302000 stroke-width 1 path 'M 7,16 L 21,16 A 7,7 0 0,1 7,16 Z'"
picture general/surprised.gif 22 -draw "$(face 22)" \
  -draw "fill #302000 stroke none circle 7,8 7,6 circle 14,8 14,6" \
  -draw "fill #602010 stroke none ellipse 11,15 2,3 0,360"

# --- additional: symbols ---
picture additional/heart.gif 20 \
  -draw "fill #E02040 stroke #801020 path 'M 10,18 L 2,9 A 4,4 0 0,1 10,5 A 4,4 0 0,1 18,9 Z'"
picture additional/star.png 24 \
  -draw "fill #FFC800 stroke #A07000 polygon 12,1 15,9 23,9 17,14 19,22 12,17 5,22 7,14 1,9 9,9"
picture additional/sun.jpg 26 \
  -draw "stroke #FFA000 stroke-width 2 line 13,1 13,25 line 1,13 25,13 line 4,4 22,22 line 4,22 22,4" \
  -draw "fill #FFD000 stroke #E08000 circle 13,13 13,6"
picture additional/flower.bmp 26 \
  -draw "stroke #208020 stroke-width 2 line 13,14 13,25" \
  -draw "fill #F070C0 stroke #A03080 circle 13,5 13,1 circle 8,10 8,6 circle 18,10 18,6 circle 10,15 10,11 circle 16,15 16,11" \
  -draw "fill #FFD000 stroke none circle 13,11 13,8"

# --- animals ---
picture animals/cat.gif 28 \
  -draw "fill #F0A040 stroke #804000 polygon 4,12 6,2 11,8 17,8 22,2 24,12" \
  -draw "fill #F0A040 stroke #804000 circle 14,16 14,6" \
  -draw "fill #204020 stroke none circle 10,14 10,12 circle 18,14 18,12" \
  -draw "fill #E06080 stroke none polygon 13,18 15,18 14,20" \
  -draw "stroke #402000 line 2,18 9,19 line 19,19 26,18"
picture animals/fish.png 30 \
  -draw "fill #30A0E0 stroke #105080 ellipse 13,15 11,7 0,360" \
  -draw "fill #30A0E0 stroke #105080 polygon 22,15 29,8 29,22" \
  -draw "fill white stroke #105080 circle 7,13 7,10" \
  -draw "fill black stroke none circle 7,13 7,12"
picture animals/bird.jpg 26 \
  -draw "fill #E04030 stroke #802010 ellipse 12,15 9,7 0,360" \
  -draw "fill #E04030 stroke #802010 circle 18,9 18,4" \
  -draw "fill #FFB000 stroke #A06000 polygon 22,8 26,10 22,11" \
  -draw "fill black stroke none circle 19,8 19,7" \
  -draw "stroke #805000 stroke-width 2 line 10,21 9,25 line 14,21 15,25"
picture animals/ladybird.bmp 24 \
  -draw "fill #202020 stroke none circle 12,5 12,2" \
  -draw "fill #E01010 stroke #300000 circle 12,14 12,5" \
  -draw "stroke #300000 stroke-width 1 line 12,6 12,23" \
  -draw "fill #202020 stroke none circle 8,11 8,9 circle 16,11 16,9 circle 8,17 8,15 circle 16,17 16,15"

# --- food ---
picture food/apple.gif 24 \
  -draw "fill #D02020 stroke #701010 circle 12,14 12,5" \
  -draw "stroke #603010 stroke-width 2 line 12,6 13,1" \
  -draw "fill #30A030 stroke none ellipse 16,4 3,2 0,360"
picture food/cake.png 28 \
  -draw "fill #F8E0B0 stroke #A07040 rectangle 4,12 23,24" \
  -draw "fill #F070A0 stroke none rectangle 4,12 23,15" \
  -draw "stroke #4060E0 stroke-width 2 line 14,5 14,11" \
  -draw "fill #FFC000 stroke none ellipse 14,3 1.5,2.5 0,360"
picture food/pizza.jpg 28 \
  -draw "fill #F0C060 stroke #A06020 polygon 3,4 25,4 14,26" \
  -draw "fill #C03020 stroke none rectangle 3,4 25,6" \
  -draw "fill #C03020 stroke none circle 10,9 10,7 circle 17,10 17,8 circle 14,16 14,14"
picture food/coffee.bmp 24 \
  -draw "fill white stroke #603010 stroke-width 2 rectangle 4,8 16,21" \
  -draw "fill none stroke #603010 stroke-width 2 arc 13,10 21,18 270,90" \
  -draw "fill #603010 stroke none rectangle 5,10 15,12" \
  -draw "stroke #A0A0A0 line 8,2 8,6 line 12,2 12,6"

# --- the chime played after each paste: two soft tones, ~0.3 s ---
python3 - "$data/sound.wav" <<'PY'
import math, struct, sys, wave

rate = 22050
length = int(rate * 0.3)
# (start in seconds, frequency in Hz): C6 then G6, each fading out.
notes = [(0.0, 1046.5), (0.1, 1568.0)]
samples = []
for i in range(length):
    t = i / rate
    value = 0.0
    for start, freq in notes:
        if t >= start:
            age = t - start
            attack = min(1.0, age / 0.005)          # no click at the start
            value += 0.35 * attack * math.exp(-age * 14) * math.sin(2 * math.pi * freq * age)
    fade = min(1.0, (length - i) / (rate * 0.02))   # and none at the end
    samples.append(int(max(-1.0, min(1.0, value * fade)) * 32767))

with wave.open(sys.argv[1], "wb") as out:
    out.setnchannels(1)
    out.setsampwidth(2)
    out.setframerate(rate)
    out.writeframes(struct.pack("<%dh" % len(samples), *samples))
PY

find "$images" -type f | sort | xargs identify
ls -l "$data/sound.wav"
