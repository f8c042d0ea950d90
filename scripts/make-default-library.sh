#!/usr/bin/env bash
# Draws the default picture library (data/images/<category>/...) and the
# paste chime data/sound.wav. The outputs are committed; the build only
# copies them next to the exe. Every picture format the program lists (gif,
# jpg, bmp, png) appears several times; seven of the GIFs are animated. Needs ImageMagick 6 and python3.
set -euo pipefail
data="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/data"
images="$data/images"
rm -rf "$images"
mkdir -p "$images"/{general,additional,animals,food,weather,party,sports}
frames="$(mktemp -d)"
trap 'rm -rf "$frames"' EXIT

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

# frame <name> <size> <draw arguments...>: one frame of an animation, on a
# transparent canvas, kept in a scratch folder until `animation` joins them.
frame() {
  local name=$1 size=$2; shift 2
  convert -size "${size}x${size}" xc:none "$@" -strip "PNG32:$frames/$name.png"
}

# animation <category/name.gif> <disposal> <delay>:<frame> ...: an endlessly
# looping GIF; delays in hundredths of a second. Disposal "Background" clears
# each frame's area to transparent before the next one is drawn, so frames
# with different transparent parts leave no traces.
animation() {
  local file=$1 dispose=$2; shift 2
  local args=()
  for pair in "$@"; do args+=(-delay "${pair%%:*}" "$frames/${pair#*:}.png"); done
  convert -dispose "$dispose" "${args[@]}" -loop 0 -strip "GIF:$images/$file"
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

# --- general: animated faces ---
eyes_open="fill #302000 stroke none circle 8,9 8,7 circle 15,9 15,7"
eyes_shut="stroke #302000 stroke-width 2 line 6,9 10,9 line 13,9 17,9"
smile="fill none stroke #302000 stroke-width 2 arc 6,8 18,18 20,160"
frame blink-open 24 -draw "$(face 24)" -draw "$eyes_open" -draw "$smile"
frame blink-shut 24 -draw "$(face 24)" -draw "$eyes_shut" -draw "$smile"
# Open for a while, then a quick double blink.
animation general/blink.gif Background 250:blink-open 12:blink-shut 40:blink-open 12:blink-shut

frame wink-open 24 -draw "$(face 24)" -draw "$eyes_open" -draw "$smile"
frame wink-shut 24 -draw "$(face 24)" \
  -draw "fill #302000 stroke none circle 8,9 8,7" \
  -draw "fill none stroke #302000 stroke-width 2 arc 13,7 18,12 200,340" \
  -draw "fill none stroke #302000 stroke-width 2 arc 5,7 19,19 10,170"
animation general/winking.gif Background 150:wink-open 70:wink-shut

# Laughing: squeezed eyes, an open mouth, the face hopping up and down.
laugh_frame() {  # laugh_frame <name> <dy> <mouth depth>
  local dy=$2 m=$3
  frame "$1" 26 -draw "translate 0,$dy $(face 24)" \
    -draw "translate 0,$dy stroke #302000 stroke-width 2 line 6,7 10,9 line 10,9 6,11 line 18,7 14,9 line 14,9 18,11" \
    -draw "translate 0,$dy fill #902020 stroke #302000 stroke-width 1 path 'M 6,14 L 18,14 A 6,$m 0 0,1 6,14 Z'"
}
laugh_frame laugh-up 0 5
laugh_frame laugh-down 2 7
animation general/laughing.gif Background 14:laugh-up 14:laugh-down 14:laugh-up 14:laugh-down 14:laugh-up 80:laugh-down

# --- additional ---
heart_path() {  # heart_path <scale>: a heart around 12,12
  echo "translate 12,12 scale $1,$1 fill #E02040 stroke #801020 path 'M 0,8 L -8,-1 A 4,4 0 0,1 0,-5 A 4,4 0 0,1 8,-1 Z'"
}
frame heart-small 24 -draw "$(heart_path 1.0)"
frame heart-big 24 -draw "$(heart_path 1.3)"
animation additional/heartbeat.gif Background 60:heart-small 12:heart-big 12:heart-small 12:heart-big
picture additional/thumbsup.png 24 \
  -draw "fill #F0C090 stroke #805030 path 'M 4,11 L 9,11 L 13,3 A 2,2 0 0,1 16,5 L 15,10 L 20,10 A 2,2 0 0,1 21,13 L 19,21 L 9,21 L 9,11'" \
  -draw "fill #3060C0 stroke #203070 rectangle 3,10 8,22"

# --- animals, food: one more each ---
picture animals/snail.gif 28 \
  -draw "fill #A0D060 stroke #507020 path 'M 2,22 L 24,22 A 3,3 0 0,0 22,17 L 20,16 Z'" \
  -draw "fill #C08040 stroke #603010 circle 13,14 13,5" \
  -draw "fill none stroke #603010 arc 9,10 17,18 0,300" \
  -draw "stroke #507020 line 22,17 24,11 line 22,17 26,12" \
  -draw "fill black stroke none circle 24,11 24,10 circle 26,12 26,11"
picture food/cherry.png 24 \
  -draw "fill none stroke #306020 stroke-width 2 path 'M 7,14 Q 10,4 16,2 M 17,15 Q 16,7 16,2'" \
  -draw "fill #C01020 stroke #600010 circle 7,17 7,12 circle 17,17 17,12" \
  -draw "fill #FF8090 stroke none circle 6,15 6,14 circle 16,15 16,14" \
  -draw "fill #40A030 stroke #306020 ellipse 12,11 3,2 0,360"

# --- weather ---
cloud="fill #F4F4F8 stroke #7080A0 path 'M 6,16 A 5,5 0 0,1 9,7 A 6,6 0 0,1 20,8 A 4,4 0 0,1 23,16 Z'"
picture weather/cloud.png 28 -draw "$cloud"
rain_frame() {  # rain_frame <name> <offset>: drops falling under the cloud
  local o=$2
  frame "$1" 28 -draw "$cloud" \
    -draw "stroke #2060E0 stroke-width 2 line 8,$((18 + o)) 7,$((21 + o)) line 14,$((20 + o % 6)) 13,$((23 + o % 6)) line 20,$((18 + (o + 3) % 6)) 19,$((21 + (o + 3) % 6))"
}
rain_frame rain-0 0
rain_frame rain-1 2
rain_frame rain-2 4
animation weather/rain.gif Background 15:rain-0 15:rain-1 15:rain-2
picture weather/snow.gif 26 \
  -draw "stroke #3080D0 stroke-width 2 line 13,2 13,24 line 3,7 23,19 line 3,19 23,7" \
  -draw "stroke #3080D0 stroke-width 1 line 10,4 13,7 line 16,4 13,7 line 10,22 13,19 line 16,22 13,19"
picture weather/lightning.png 26 -draw "$cloud" \
  -draw "fill #FFD000 stroke #A07000 polygon 13,14 9,22 12,22 10,26 17,18 14,18 16,14"
picture weather/rainbow.bmp 28 \
  -draw "fill none stroke #E03030 stroke-width 3 arc 2,8 26,32 180,360" \
  -draw "fill none stroke #F0A000 stroke-width 3 arc 5,11 23,29 180,360" \
  -draw "fill none stroke #30B030 stroke-width 3 arc 8,14 20,26 180,360" \
  -draw "fill none stroke #3060E0 stroke-width 3 arc 11,17 17,23 180,360"
picture weather/moon.jpg 24 \
  -draw "fill #F0E060 stroke #A09020 circle 12,12 12,2" \
  -draw "fill white stroke none circle 17,9 17,0"

# --- party ---
picture party/balloon.png 26 \
  -draw "fill #E03060 stroke #901030 ellipse 13,10 7,9 0,360" \
  -draw "fill #FF90B0 stroke none ellipse 10,7 2,3 0,360" \
  -draw "fill #901030 stroke none polygon 12,19 14,19 13,21" \
  -draw "fill none stroke #606060 path 'M 13,21 Q 10,23 13,25'"
picture party/gift.bmp 24 \
  -draw "fill #3070E0 stroke #103080 rectangle 3,9 20,21" \
  -draw "fill #2060D0 stroke #103080 rectangle 2,6 21,9" \
  -draw "fill #F0C020 stroke none rectangle 10,6 13,21" \
  -draw "fill none stroke #F0C020 stroke-width 2 ellipse 8,4 3,2 0,360 ellipse 15,4 3,2 0,360"
picture party/partyhat.png 24 \
  -draw "fill #A040E0 stroke #502080 polygon 12,2 20,21 4,21" \
  -draw "stroke #FFD000 stroke-width 2 line 8,14 16,10 line 6,19 18,15" \
  -draw "fill #FF4060 stroke none circle 12,3 12,1"
picture party/confetti.jpg 26 \
  -draw "fill #E03030 stroke none rectangle 3,4 6,6 rectangle 17,18 20,20" \
  -draw "fill #30A0E0 stroke none rectangle 12,3 14,6 rectangle 5,17 8,19" \
  -draw "fill #30B030 stroke none rectangle 20,8 22,11 rectangle 10,12 13,14" \
  -draw "fill #F0B000 stroke none rectangle 8,9 10,11 rectangle 15,22 17,24 rectangle 21,2 23,4"
candle_frame() {  # candle_frame <name> <flame width> <flame tip x>
  frame "$1" 26 \
    -draw "fill #F8F0E0 stroke #A09070 rectangle 10,11 16,25" \
    -draw "stroke #303030 line 13,11 13,8" \
    -draw "fill #FFB000 stroke #E06000 path 'M 13,10 Q $((13 - $2)),6 $3,1 Q $((13 + $2)),6 13,10 Z'"
}
candle_frame candle-0 3 13
candle_frame candle-1 2 12
candle_frame candle-2 3 14
animation party/candle.gif Background 10:candle-0 10:candle-1 10:candle-0 10:candle-2
burst() {  # burst <name> <radius> <colour>: rays from the middle
  local r=$2 d=$(( $2 * 7 / 10 ))
  frame "$1" 28 -draw "stroke $3 stroke-width 2 line 14,$((14 - r)) 14,$((14 + r)) line $((14 - r)),14 $((14 + r)),14 line $((14 - d)),$((14 - d)) $((14 + d)),$((14 + d)) line $((14 - d)),$((14 + d)) $((14 + d)),$((14 - d))" \
    -draw "fill #FFFFFF stroke none circle 14,14 14,12"
}
burst fire-1 3 '#F0C000'
burst fire-2 7 '#F08000'
burst fire-3 11 '#E03060'
burst fire-4 13 '#A040E0'
animation party/fireworks.gif Background 10:fire-1 10:fire-2 10:fire-3 12:fire-4 50:fire-4

# --- sports ---
picture sports/ball.png 24 \
  -draw "fill white stroke #202020 circle 12,12 12,2" \
  -draw "fill #202020 stroke none polygon 12,8 16,11 14,16 10,16 8,11" \
  -draw "stroke #202020 line 12,8 12,3 line 16,11 21,9 line 14,16 17,20 line 10,16 7,20 line 8,11 3,9"
picture sports/trophy.gif 26 \
  -draw "fill #F0C020 stroke #906000 path 'M 6,3 L 20,3 L 19,11 A 6,6 0 0,1 7,11 Z'" \
  -draw "fill none stroke #906000 stroke-width 2 arc 2,4 8,10 90,270 arc 18,4 24,10 270,90" \
  -draw "fill #F0C020 stroke #906000 rectangle 11,16 15,20" \
  -draw "fill #906000 stroke none rectangle 7,20 19,23"
picture sports/medal.png 24 \
  -draw "fill #3060D0 stroke none polygon 6,1 11,1 13,10 9,10" \
  -draw "fill #D03030 stroke none polygon 18,1 13,1 11,10 15,10" \
  -draw "fill #F0C020 stroke #906000 circle 12,16 12,9" \
  -draw "fill #FFE070 stroke none circle 12,16 12,13"
picture sports/basketball.bmp 24 \
  -draw "fill #F07020 stroke #602000 circle 12,12 12,2" \
  -draw "fill none stroke #602000 line 2,12 22,12 line 12,2 12,22 arc 4,4 20,20 60,120 arc 4,4 20,20 240,300"
picture sports/tennis.jpg 24 \
  -draw "fill #D0E830 stroke #708010 circle 12,12 12,2" \
  -draw "fill none stroke white stroke-width 2 arc -4,4 8,20 -60,60 arc 16,4 28,20 120,240"

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
