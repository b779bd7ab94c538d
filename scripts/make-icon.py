#!/usr/bin/env python3
"""Draws Vintrel's 16 x 16, 256-colour icon (an envelope with a green arrow going into a
box) and writes it as a .ico file. Run it again after changing the picture below."""
import struct
import sys

PICTURE = [
    "................",
    "................",
    "NNNNNNNNNNNNNN..",
    "NWNWWWWWWWWNWN..",
    "NWWNWWWWWWNWWN..",
    "NWWWNWWWWNWWWN..",
    "NWWWWNNNNWWWWN..",
    "NWWWWWWWWWWWWN..",
    "NWWWWWWWWWGGWN..",
    "NNNNNNNNNNGGNN..",
    "........GGGGGG..",
    ".........GGGG...",
    "..........GG....",
    "......BBBBBBBBBB",
    "......BLLLLLLLLB",
    "......BBBBBBBBBB",
]
COLOURS = {  # (red, green, blue)
    "N": (0, 0, 128),
    "W": (255, 251, 240),
    "G": (0, 160, 0),
    "B": (0, 0, 128),
    "L": (153, 190, 253),
}


def build() -> bytes:
    keys = sorted(COLOURS)
    index = {k: i + 1 for i, k in enumerate(keys)}  # 0 stays black for transparent pixels
    palette = [(0, 0, 0)] + [COLOURS[k] for k in keys]
    palette += [(0, 0, 0)] * (256 - len(palette))
    header = struct.pack("<IiiHHIIiiII", 40, 16, 32, 1, 8, 0, 16 * 16 + 16 * 4, 0, 0, 256, 0)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    pixels = b""
    mask = b""
    for row in reversed(PICTURE):  # bitmaps run bottom-up
        pixels += bytes(index.get(c, 0) for c in row)
        bits = 0
        for c in row:
            bits = (bits << 1) | (1 if c == "." else 0)
        mask += struct.pack(">H", bits) + b"\0\0"  # rows padded to 32 bits
    image = header + colours + pixels + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", 16, 16, 0, 0, 1, 8, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    with open(sys.argv[1] if len(sys.argv) > 1 else "vintrel.ico", "wb") as f:
        f.write(build())
