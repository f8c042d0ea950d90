#!/usr/bin/env bash
# Makes the default picture library (data/images/<category>/...) from the
# colour emoji artwork of Debian's fonts-noto-color-emoji, and the paste
# chime data/sound.wav. The outputs are committed; the build only copies
# them next to the exe. Running it again gives the same bytes.
#
#   scripts/make-default-library.sh           rewrite data/images, data/library-manifest.txt,
#                                             data/licenses and data/sound.wav
#   scripts/make-default-library.sh --check   make them in a scratch folder and compare with the committed ones
#
# Needs ImageMagick, the font and python3-fonttools; the two packages are
# installed for this script only (scripts/bootstrap.sh --library-tools), the
# build never needs them. Debian's own /usr/bin/python3 runs the Python part:
# fontTools is a Debian package, and another python first on PATH may lack it.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
python=/usr/bin/python3
font=/usr/share/fonts/truetype/noto/NotoColorEmoji.ttf

check=0
case "${1:-}" in
  --check) check=1 ;;
  "") ;;
  *) echo "usage: $0 [--check]" >&2; exit 2 ;;
esac

"$root/scripts/bootstrap.sh" --library-tools

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
if [ $check = 1 ]; then data="$work/data"; else data="$root/data"; fi
mkdir -p "$data"
images="$data/images"
rm -rf "$images"
mkdir -p "$images"
"$python" "$root/scripts/make-default-library.py" "$font" "$images" "$data/library-manifest.txt"

# --- the artwork's licence, as the font package states it, and a notice of
# what the pictures are made from; shipped beside the program.
licenses="$data/licenses"
rm -rf "$licenses"
mkdir -p "$licenses"
font_version=$(dpkg-query -W -f='${Version}' fonts-noto-color-emoji)
cp /usr/share/doc/fonts-noto-color-emoji/copyright "$licenses/noto-emoji-copyright.txt"
cp /usr/share/common-licenses/Apache-2.0 "$licenses/Apache-2.0.txt"
cat >"$licenses/NOTICE.txt" <<NOTICE
Tovira - where its pictures and its sound come from
===================================================

The pictures in the folder "images"
  Made from the Noto Color Emoji artwork, Copyright 2013-2017 Google Inc.
  and Arjen Nienhuis, as shipped in Debian's package fonts-noto-color-emoji
  $font_version (https://github.com/googlefonts/noto-emoji).

  The emoji images are licensed under the Apache License, Version 2.0
  (Apache-2.0.txt); the font they were taken from is licensed under the
  SIL Open Font License, Version 1.1. Both licences, as the package states
  them, are in noto-emoji-copyright.txt.

  Changes: each picture is the colour bitmap of one emoji of the font (a
  country flag: of one pair of regional indicator letters), scaled to 24 or
  32 pixels and saved as PNG, JPEG or BMP; the animated GIFs are composed
  from several of these bitmaps (moved, turned, resized) with one-bit
  transparency over white. Each file is named after its emoji's Unicode
  character name (a country flag, which has none: "flag-" and the country's
  name). scripts/make-default-library.sh in Tovira's sources makes them all.

The chime "sound.wav"
  Two soft tones (C6, then G6), computed by the same script; part of
  Tovira, under the same terms as the program.
NOTICE

# --- the chime played after each paste: two soft tones, ~0.3 s ---
"$python" - "$data/sound.wav" <<'PY'
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

if [ $check = 1 ]; then
  status=0
  diff -r "$root/data/images" "$images" >&2 || status=1
  cmp "$root/data/library-manifest.txt" "$data/library-manifest.txt" >&2 || status=1
  diff -r "$root/data/licenses" "$licenses" >&2 || status=1
  cmp "$root/data/sound.wav" "$data/sound.wav" >&2 || status=1
  [ $status = 0 ] && echo "make-default-library: the committed library is what the script makes" ||
    echo "make-default-library: the committed library differs from what the script makes" >&2
  exit $status
fi
ls -l "$data/sound.wav"
