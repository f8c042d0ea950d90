"""Builds the default picture library from the colour emoji font.

Run by scripts/make-default-library.sh with Debian's /usr/bin/python3, which
has fontTools (python3-fonttools); the artwork is the CBDT colour bitmaps of
fonts-noto-color-emoji (136 x 128 PNG per glyph). Code points reach glyphs
through the font's cmap, country flags through its ligatures (two regional
indicator letters). ImageMagick's `convert` scales, converts and animates.

Usage: make-default-library.py <font> <output images folder> <manifest file>

Every picture is named after its emoji's Unicode name (unicodedata; lower
case, "-" for blanks); within a category the pictures follow the font's own
glyph order. The output is the same bytes on every run: no time stamps or
other metadata in the files, a fixed order everywhere.
"""
import os
import subprocess
import sys
import tempfile
import unicodedata

from fontTools.ttLib import TTFont

# Faces at 32 pixels: a face's expression needs the detail, and faces are
# what people pick most. Everything else at 24 pixels, about the height of a
# line of mail text. An animation takes the size of its category, so that
# the rows of a tab stay even.
FACE_SIZE = 32
SMALL_SIZE = 24


def span(first, last):
    return list(range(first, last + 1))


# The categories, their tabs in this order: "general" and "additional" come
# first in the program anyway, the others are sorted by name there.
# Each: (folder, picture size, code points). Code points the font or
# Python's Unicode database do not know are left out.
CATEGORIES = [
    ("general", FACE_SIZE,
     [0x263A, 0x2639] + span(0x1F600, 0x1F637) + span(0x1F641, 0x1F644) + span(0x1F910, 0x1F915)
     + [0x1F917] + span(0x1F920, 0x1F925) + span(0x1F927, 0x1F92F) + [0x1F970, 0x1F971, 0x1F972, 0x1F973,
     0x1F974, 0x1F975, 0x1F976, 0x1F979, 0x1F97A, 0x1F9D0] + span(0x1FAE0, 0x1FAE5)),
    ("additional", SMALL_SIZE,
     # hands
     [0x261D, 0x270A, 0x270B, 0x270C, 0x270D] + span(0x1F446, 0x1F44F) + [0x1F450, 0x1F4AA, 0x1F590, 0x1F596]
     + span(0x1F918, 0x1F91F) + [0x1F932, 0x1F64C, 0x1F64F, 0x1FAF6]
     # hearts and kisses
     + [0x2763, 0x2764, 0x1F48B, 0x1F48C] + span(0x1F493, 0x1F49E) + [0x1F5A4, 0x1F90D, 0x1F90E, 0x1F9E1]
     # gestures
     + [0x1F481, 0x1F645, 0x1F646, 0x1F647, 0x1F64B, 0x1F926, 0x1F937]),
    ("animals", SMALL_SIZE,
     [0x1F40C, 0x1F40D, 0x1F414, 0x1F418, 0x1F419, 0x1F41B, 0x1F41D, 0x1F41E, 0x1F420, 0x1F422, 0x1F424,
      0x1F426, 0x1F427, 0x1F428, 0x1F42A, 0x1F42C, 0x1F42D, 0x1F42E, 0x1F42F, 0x1F430, 0x1F431, 0x1F433,
      0x1F434, 0x1F435, 0x1F436, 0x1F437, 0x1F438, 0x1F439, 0x1F43A, 0x1F43B, 0x1F43C, 0x1F43E, 0x1F648,
      0x1F649, 0x1F64A, 0x1F980, 0x1F981, 0x1F984, 0x1F985, 0x1F986, 0x1F987, 0x1F988, 0x1F989, 0x1F98A,
      0x1F98B, 0x1F992, 0x1F993, 0x1F996, 0x1F998]),
    ("plants", SMALL_SIZE,
     span(0x1F331, 0x1F344) + [0x1F490, 0x1F940, 0x1FAB4]),
    ("food", SMALL_SIZE,
     [0x2615, 0x1F32D, 0x1F32E, 0x1F345, 0x1F347, 0x1F349, 0x1F34A, 0x1F34B, 0x1F34C, 0x1F34D, 0x1F34E,
      0x1F350, 0x1F351, 0x1F352, 0x1F353, 0x1F354, 0x1F355, 0x1F35C, 0x1F35D, 0x1F35E, 0x1F35F, 0x1F363,
      0x1F366, 0x1F369, 0x1F36A, 0x1F36B, 0x1F36C, 0x1F36D, 0x1F370, 0x1F373, 0x1F375, 0x1F377, 0x1F378,
      0x1F379, 0x1F37A, 0x1F37B, 0x1F37E, 0x1F37F, 0x1F942, 0x1F950, 0x1F951, 0x1F953, 0x1F955, 0x1F95A,
      0x1F95B, 0x1F95D, 0x1F964, 0x1F965, 0x1F96A, 0x1F9C0, 0x1F9C1]),
    ("activities", SMALL_SIZE,
     [0x26BD, 0x26BE, 0x26F3, 0x1F380, 0x1F381, 0x1F382, 0x1F383, 0x1F384, 0x1F386, 0x1F388, 0x1F389,
      0x1F393, 0x1F3A3, 0x1F3A4, 0x1F3A7, 0x1F3A8, 0x1F3AC, 0x1F3AE, 0x1F3AF, 0x1F3B1, 0x1F3B2, 0x1F3B5,
      0x1F3B6, 0x1F3B8, 0x1F3B9, 0x1F3BE, 0x1F3BF, 0x1F3C0, 0x1F3C5, 0x1F3C6, 0x1F3C8, 0x1F3C9, 0x1F3D0,
      0x1F3D3, 0x1F3F8, 0x1F945, 0x1F947, 0x1F948, 0x1F949, 0x1F9E9, 0x1FA81]),
    ("travel", SMALL_SIZE,
     [0x2693, 0x26EA, 0x26F2, 0x26F5, 0x26FA, 0x2708, 0x1F30D]
     + [0x1F3D6, 0x1F3DD, 0x1F3E0, 0x1F3E1, 0x1F3E2, 0x1F3E5, 0x1F3E8, 0x1F3F0, 0x1F5FA, 0x1F5FB,
        0x1F5FC, 0x1F5FD] + span(0x1F680, 0x1F68D) + [0x1F691, 0x1F692, 0x1F695, 0x1F697, 0x1F699,
        0x1F6A2, 0x1F6A4, 0x1F6B2, 0x1F6F3, 0x1F6F4, 0x1F6F5, 0x1F6F8]),
    ("weather", SMALL_SIZE,
     [0x2600, 0x2601, 0x2602, 0x2603, 0x2604, 0x2614, 0x26A1, 0x26C4, 0x26C5, 0x26C8, 0x2744, 0x2B50]
     + span(0x1F300, 0x1F30A) + [0x1F315] + span(0x1F319, 0x1F31F) + [0x1F321] + span(0x1F324, 0x1F32C)
     + [0x1F4A7, 0x1F525]),
    ("objects", SMALL_SIZE,
     [0x231A, 0x231B, 0x23F0, 0x260E, 0x2702, 0x2709, 0x270F, 0x2712, 0x1F453, 0x1F454, 0x1F455, 0x1F457,
      0x1F45C, 0x1F45F, 0x1F460, 0x1F451, 0x1F48D, 0x1F48E, 0x1F4A1, 0x1F4B0, 0x1F4BB, 0x1F4BE, 0x1F4BF,
      0x1F4C1, 0x1F4C5, 0x1F4C8, 0x1F4CB, 0x1F4CC, 0x1F4CE, 0x1F4D6, 0x1F4DA, 0x1F4DD, 0x1F4E6,
      0x1F4E7, 0x1F4E8, 0x1F4EB, 0x1F4EE, 0x1F4F1, 0x1F4F7, 0x1F4FA, 0x1F50B, 0x1F50D, 0x1F511,
      0x1F512, 0x1F514, 0x1F526, 0x1F527, 0x1F528, 0x1F55B]),
    ("symbols", SMALL_SIZE,
     [0x203C, 0x2049, 0x2705, 0x2714, 0x2716, 0x274C, 0x2753, 0x2757, 0x2795, 0x2796, 0x27A1, 0x2B05,
      0x2B06, 0x2B07, 0x267B, 0x26A0, 0x26D4, 0x1F192, 0x1F193, 0x1F195, 0x1F197, 0x1F198,
      0x1F4A2, 0x1F4A4, 0x1F4A5, 0x1F4A6, 0x1F4A8, 0x1F4AB, 0x1F4AC, 0x1F4AD, 0x1F4AF, 0x1F51D,
      0x1F6AB, 0x1F534, 0x1F535, 0x1F7E2, 0x1F7E1]),
    ("flags", SMALL_SIZE,
     [0x1F38C, 0x1F3C1, 0x1F3F3, 0x1F3F4, 0x1F6A9]),
]

# Country flags have no Unicode name of their own (each is a pair of
# regional indicator letters): "flag-" and the country's English name.
COUNTRY_FLAGS = {
    "ar": "argentina", "at": "austria", "au": "australia", "be": "belgium", "br": "brazil",
    "ca": "canada", "ch": "switzerland", "cn": "china", "cz": "czechia", "de": "germany",
    "dk": "denmark", "es": "spain", "eu": "european-union", "fi": "finland", "fr": "france",
    "gb": "united-kingdom", "gr": "greece", "ie": "ireland", "in": "india", "it": "italy",
    "jp": "japan", "kr": "south-korea", "mx": "mexico", "nl": "netherlands", "no": "norway",
    "nz": "new-zealand", "pl": "poland", "pt": "portugal", "se": "sweden", "tr": "turkey",
    "ua": "ukraine", "un": "united-nations", "us": "united-states", "za": "south-africa",
}

# A few pictures in the other formats the program lists, on white.
OTHER_FORMATS = {0x1F355: "jpg", 0x1F370: "jpg", 0x1F697: "jpg",
                 0x1F4BB: "bmp", 0x1F381: "bmp", 0x1F431: "bmp"}

# Animated GIFs: (category, the emoji they stand for, GIF disposal, frames).
# The animation takes the place (and the name) of that emoji's still
# picture. A frame is (delay in hundredths of a second, layers); a layer is
# (code point, size, x, y, angle) drawn in order on a transparent square of
# ANIM pixels, which is then scaled to the category's size.
ANIM = 32


def whole(cp, delay, size=ANIM, dx=0, dy=0, angle=0):
    """One frame showing one emoji, `size` wide, centred and moved by dx, dy."""
    return (delay, [(cp, size, (ANIM - size) // 2 + dx, (ANIM - size) // 2 + dy, angle)])


def snow(offset):
    """Snowflakes falling under a cloud, `offset` pixels further down."""
    flakes = [(4, 18), (14, 22), (24, 17), (9, 28), (20, 30)]
    layers = [(0x2601, 26, 3, -4, 0)]
    for x, y in flakes:
        layers.append((0x2744, 7, x, 12 + (y - 12 + offset) % 20, 0))
    return (18, layers)


ANIMATIONS = [
    ("general", 0x1F609, "None", [whole(0x1F60A, 200), whole(0x1F609, 60)]),
    ("general", 0x1F602, "Background",
     [whole(0x1F600, 30), whole(0x1F606, 20, dy=-2), whole(0x1F602, 20), whole(0x1F606, 20, dy=-2),
      whole(0x1F602, 120)]),
    ("general", 0x1F618, "None", [whole(0x1F617, 80), whole(0x1F619, 40), whole(0x1F618, 120)]),
    ("general", 0x1F621, "Undefined", [whole(0x1F620, 70), whole(0x1F621, 70)]),
    ("general", 0x1F62D, "Previous", [whole(0x1F622, 90), whole(0x1F62D, 70)]),
    ("general", 0x1F632, "None", [whole(0x1F62E, 100), whole(0x1F632, 50)]),
    ("general", 0x1F634, "Background", [whole(0x1F62A, 100), whole(0x1F634, 150)]),
    ("general", 0x1F60E, "None", [whole(0x1F642, 120), whole(0x1F60E, 180)]),
    ("additional", 0x1F493, "Background",
     [whole(0x2764, 60, 26), whole(0x2764, 12, 32), whole(0x2764, 12, 26), whole(0x2764, 12, 32)]),
    ("additional", 0x1F44B, "Background",
     [whole(0x1F44B, 15, angle=a) for a in (0, -20, 0, 20)] + [whole(0x1F44B, 90)]),
    ("additional", 0x1F44D, "Previous",
     [whole(0x1F44D, 80), whole(0x1F44D, 10, dy=-3), whole(0x1F44D, 10), whole(0x1F44D, 10, dy=-3)]),
    ("additional", 0x1F44F, "Background", [whole(0x1F44F, 12, 32), whole(0x1F44F, 12, 26)]),
    ("activities", 0x1F386, "Background", [whole(0x1F386, 15, 16), whole(0x1F386, 15, 24), whole(0x1F386, 60)]),
    ("activities", 0x1F389, "Background", [whole(0x1F38A, 60), whole(0x1F389, 60)]),
    ("travel", 0x1F30D, "None", [whole(cp, 40) for cp in (0x1F30D, 0x1F30E, 0x1F30F)]),
    ("travel", 0x1F680, "Background", [whole(0x1F680, 8, 24, dx=d - 6, dy=6 - d) for d in range(0, 12, 2)]),
    ("weather", 0x1F328, "Background", [snow(o) for o in range(0, 20, 4)]),
    ("weather", 0x1F315, "None", [whole(cp, 30) for cp in span(0x1F311, 0x1F318)]),
    ("weather", 0x2600, "Background", [whole(0x26C5, 100), whole(0x2600, 150)]),
    ("objects", 0x1F55B, "None", [whole(cp, 25) for cp in span(0x1F550, 0x1F55B)]),
]


def file_stem(cp):
    return unicodedata.name(chr(cp)).lower().replace(" ", "-")


def run(*args):
    subprocess.run(["convert", *args], check=True)


PNG_OUT = ["-strip", "-define", "png:exclude-chunks=date,time"]


class Library:
    def __init__(self, font_path, scratch):
        font = TTFont(font_path)
        self.cmap = font.getBestCmap()
        self.order = {name: i for i, name in enumerate(font.getGlyphOrder())}
        self.bitmaps = font["CBDT"].strikeData[0]
        self.scratch = scratch
        ligatures = {}
        for lookup in font["GSUB"].table.LookupList.Lookup:
            if lookup.LookupType == 4:
                for table in lookup.SubTable:
                    for first, ligs in table.ligatures.items():
                        for lig in ligs:
                            ligatures[(first, *lig.Component)] = lig.LigGlyph
        self.ligatures = ligatures

    def source(self, glyph):
        """The glyph's PNG in the scratch folder."""
        path = os.path.join(self.scratch, glyph + ".png")
        if not os.path.exists(path):
            with open(path, "wb") as out:
                out.write(self.bitmaps[glyph].imageData)
        return path

    def glyph(self, cp):
        g = self.cmap.get(cp)
        return g if g in self.bitmaps else None

    def flag_glyph(self, code):
        letters = tuple(self.cmap.get(0x1F1E6 + ord(c) - ord("a")) for c in code)
        g = self.ligatures.get(letters)
        return g if g in self.bitmaps else None


def still(lib, glyph, size, path, fmt):
    args = [lib.source(glyph), "-resize", f"{size}x{size}", "-background", "none", "-gravity", "center",
            "-extent", f"{size}x{size}", "+repage"]
    if fmt == "png":
        run(*args, *PNG_OUT, "PNG32:" + path)
    elif fmt == "jpg":
        run(*args, "-background", "white", "-flatten", "-strip", "-quality", "90", "JPEG:" + path)
    else:
        run(*args, "-background", "white", "-flatten", "-strip", "-type", "TrueColor", "BMP3:" + path)


def frame_file(lib, layers, size, path):
    """Draws the layers, then keeps each pixel either opaque (its colour over
    white) or fully transparent: GIF transparency is one bit."""
    args = ["-size", f"{ANIM}x{ANIM}", "xc:none"]
    for cp, side, x, y, angle in layers:
        layer = ["(", lib.source(lib.glyph(cp)), "-background", "none", "-virtual-pixel", "transparent"]
        if angle:
            layer += ["-distort", "SRT", str(angle)]
        layer += ["-resize", f"{side}x{side}", "-gravity", "center", "-extent", f"{side}x{side}", "+repage",
                  "-gravity", "northwest", ")", "-geometry", f"{x:+d}{y:+d}", "-composite"]
        args += layer
    run(*args, "-resize", f"{size}x{size}",
        "(", "-clone", "0", "-background", "white", "-flatten", ")",
        "(", "-clone", "0", "-alpha", "extract", "-threshold", "50%", ")",
        "-delete", "0", "-alpha", "off", "-geometry", "+0+0", "-compose", "CopyOpacity", "-composite", "+repage",
        *PNG_OUT, "PNG32:" + path)


def animation(lib, name, disposal, frames, size, path):
    args = ["-dispose", disposal]
    for i, (delay, layers) in enumerate(frames):
        f = os.path.join(lib.scratch, f"{name}-{i}.png")
        frame_file(lib, layers, size, f)
        args += ["-delay", str(delay), f]
    run(*args, "-loop", "0", "-strip", "GIF:" + path)


def main(font_path, images, manifest_path):
    with tempfile.TemporaryDirectory() as scratch:
        lib = Library(font_path, scratch)
        animated = {(cat, cp): (disposal, frames) for cat, cp, disposal, frames in ANIMATIONS}
        lines = []
        for category, size, code_points in CATEGORIES:
            # (font order, file name, how to make it)
            entries = []
            for cp in dict.fromkeys(code_points):
                glyph = lib.glyph(cp)
                if glyph is None or not unicodedata.name(chr(cp), ""):
                    continue
                if (category, cp) in animated:
                    disposal, frames = animated.pop((category, cp))
                    entries.append((lib.order[glyph], file_stem(cp) + ".gif", ("gif", glyph, disposal, frames)))
                else:
                    fmt = OTHER_FORMATS.get(cp, "png")
                    entries.append((lib.order[glyph], file_stem(cp) + "." + fmt, (fmt, glyph)))
            if category == "flags":
                for code, country in COUNTRY_FLAGS.items():
                    glyph = lib.flag_glyph(code)
                    if glyph is not None:
                        entries.append((lib.order[glyph], "flag-" + country + ".png", ("png", glyph)))
            entries.sort()
            folder = os.path.join(images, category)
            os.makedirs(folder)
            for _, name, how in entries:
                path = os.path.join(folder, name)
                if how[0] == "gif":
                    animation(lib, name[:-4], how[2], how[3], size, path)
                    lines.append(f"picture {category}/{name} {size} {size} {len(how[3])}")
                else:
                    still(lib, how[1], size, path, how[0])
                    lines.append(f"picture {category}/{name} {size} {size} 1")
            lines.append(f"category {category} {len(entries)}")
        if animated:
            sys.exit(f"animations without their emoji in the font: {sorted(animated)}")
    pictures = sum(1 for line in lines if line.startswith("picture "))
    with open(manifest_path, "w", encoding="ascii", newline="\n") as out:
        out.write("# What scripts/make-default-library.sh made in data/images; read by the tests.\n")
        out.write("# picture <category/file> <width> <height> <frames>; category <name> <pictures>\n")
        out.write("\n".join(lines) + "\n")
        out.write(f"total {pictures}\n")
    print(f"{pictures} pictures in {len(CATEGORIES)} categories")


if __name__ == "__main__":
    main(*sys.argv[1:])
