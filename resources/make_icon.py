#!/usr/bin/env python3
"""Writes Kelvor's program icon, kelvor.ico: one 16x16 image, 256 colours.

The picture is a disk platter seen from above. A bright arm sweeps across it
clockwise; behind the arm the platter is clean blue, ahead of it the grey
platter still carries specks of old data.

Usage:
  make_icon.py [OUTPUT]     write the icon (default: kelvor.ico beside this script)
  make_icon.py --check      exit 1 unless kelvor.ico beside this script is
                            exactly what this script writes

Only the Python standard library is used; the ICO bytes are put together here:
ICONDIR, one ICONDIRENTRY, then a BITMAPINFOHEADER (biHeight twice the image
height, for the XOR and AND bitmaps), a 256-entry BGRX palette, the 8-bit XOR
pixel rows bottom-up, and the 1-bit AND (transparency) mask rows bottom-up,
every row padded to a multiple of 4 bytes.
"""
import os
import struct
import sys

SIZE = 16

# One character per pixel; "." is transparent.
PICTURE = [
    ".....KKKKKK.....",
    "...KKbbbbbbKK...",
    "..KbbbbbbbBBCK..",
    ".KbbbbbbbBBCYGK.",
    ".KbbbbbbBBCYGGK.",
    "KbbbbbbBBCYGGDGK",
    "KbbbbbBHHYGGGGGK",
    "KbbbbBHWWHGGGGGK",
    "KGGGGGHWWHGGGGGK",
    "KGGDGGGHHGGGGGGK",
    "KGGGGGGGGGGGDGGK",
    ".KGGGGDGGGGGGGK.",
    ".KGGGGGGGGGDGGK.",
    "..KGGGGGGGGGGK..",
    "...KKGGDGGGKK...",
    ".....KKKKKK.....",
]

# Palette entries in order; index 0 is black and also stands under the
# transparent pixels.
COLOURS = [
    (".", (0x00, 0x00, 0x00)),  # transparent
    ("K", (0x2B, 0x33, 0x42)),  # rim
    ("G", (0xA9, 0xB0, 0xBC)),  # platter, not yet wiped
    ("D", (0x6A, 0x72, 0x80)),  # a speck of old data
    ("H", (0x3E, 0x46, 0x55)),  # hub
    ("W", (0xE8, 0xEC, 0xF2)),  # spindle
    ("b", (0x1F, 0x6F, 0xC8)),  # wiped
    ("B", (0x3A, 0x92, 0xE8)),  # wiped a moment ago
    ("C", (0x8C, 0xCF, 0xFF)),  # just wiped, right behind the arm
    ("Y", (0xFF, 0xD2, 0x3C)),  # the sweeping arm
]

PALETTE_ENTRIES = 256


def check_picture():
    if len(PICTURE) != SIZE:
        raise ValueError(f"picture has {len(PICTURE)} rows, not {SIZE}")
    known = {key for key, _ in COLOURS}
    for number, row in enumerate(PICTURE):
        if len(row) != SIZE:
            raise ValueError(f"picture row {number} has {len(row)} pixels, not {SIZE}")
        unknown = set(row) - known
        if unknown:
            raise ValueError(f"picture row {number} uses unknown colours {sorted(unknown)}")


def padded(row_bytes):
    return row_bytes + b"\0" * (-len(row_bytes) % 4)


def icon_bytes():
    check_picture()
    index = {key: number for number, (key, _) in enumerate(COLOURS)}

    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for _, (r, g, b) in COLOURS)
    palette += b"\0" * (4 * (PALETTE_ENTRIES - len(COLOURS)))

    xor_rows = []
    and_rows = []
    for row in reversed(PICTURE):  # bottom-up
        xor_rows.append(padded(bytes(index[key] for key in row)))
        mask = 0
        for key in row:
            mask = (mask << 1) | (key == ".")
        and_rows.append(padded(mask.to_bytes(SIZE // 8, "big")))
    pixels = b"".join(xor_rows) + b"".join(and_rows)

    header = struct.pack(
        "<IiiHHIIiiII",
        40,  # biSize
        SIZE,  # biWidth
        2 * SIZE,  # biHeight: XOR bitmap and AND mask
        1,  # biPlanes
        8,  # biBitCount
        0,  # biCompression: BI_RGB
        len(pixels),  # biSizeImage
        0,  # biXPelsPerMeter
        0,  # biYPelsPerMeter
        0,  # biClrUsed: 0 means all 256
        0,  # biClrImportant
    )
    image = header + palette + pixels

    icondir = struct.pack("<HHH", 0, 1, 1)  # reserved, type 1 = icon, one image
    entry = struct.pack(
        "<BBBBHHII",
        SIZE,  # width
        SIZE,  # height
        0,  # colour count: 0 for 256 colours
        0,  # reserved
        1,  # planes
        8,  # bits per pixel
        len(image),
        len(icondir) + 16,  # offset of the image: right after this one entry
    )
    return icondir + entry + image


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    default = os.path.join(here, "kelvor.ico")
    data = icon_bytes()
    if argv[1:] == ["--check"]:
        with open(default, "rb") as f:
            if f.read() != data:
                print(f"{default} differs from what make_icon.py writes", file=sys.stderr)
                return 1
        return 0
    if len(argv) > 2 or (len(argv) == 2 and argv[1].startswith("-")):
        print(__doc__.split("\n\n")[1], file=sys.stderr)
        return 2
    output = argv[1] if len(argv) == 2 else default
    with open(output, "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
