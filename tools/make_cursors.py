#!/usr/bin/env python3
"""Writes the window's pointer and icon files, drawn by this project from the
pixel maps below: HAND-M.CUR (the hand over push buttons), drag.ico (the
pointer while a row of the list is dragged), quillmere.png (the window's icon)
and icons/NxN/quillmere.png (the desktop's icon at each size N named).

    python3 tools/make_cursors.py OUT_DIR [N...]
"""
import struct
import sys
import zlib
from pathlib import Path

# '#' black, '.' white, 'o' orange, 'b' blue, 'g' green, ' ' transparent.
COLOURS = {
    "#": (0, 0, 0, 255),
    ".": (255, 255, 255, 255),
    "o": (226, 116, 36, 255),
    "b": (52, 101, 164, 255),
    "g": (78, 154, 6, 255),
    "y": (252, 233, 79, 255),
}

HAND = """
     ##
    #..#
    #..#
    #..#
    #..#
    #..###
    #..#..###
    #..#..#..##
 ## #..#..#..#.#
#..##........#.#
#...#..........#
 #.............#
  #............#
  #...........#
   #..........#
   #.........#
    #........#
    #........#
    ##########
"""
HAND_HOTSPOT = (5, 0)

DRAG = """
##########
#........##
#........#.#
#........####
#...........#
#...........#
#...........#
#...........#
#...........#
#...........#
#...........#
#...........#
#############
"""
DRAG_HOTSPOT = (0, 0)


def pixel_map(art, size):
    """The art as `size` x `size` rows of RGBA tuples, top-left aligned."""
    rows = [line for line in art.split("\n")[1:-1]]
    image = [[(0, 0, 0, 0)] * size for _ in range(size)]
    for y, line in enumerate(rows):
        for x, ch in enumerate(line):
            if ch != " ":
                image[y][x] = COLOURS[ch]
    return image


def windows_icon(image, kind, hotspot):
    """An .ico (kind 1) or .cur (kind 2) holding one 32-bit image."""
    size = len(image)
    xor = bytearray()
    for row in reversed(image):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(image):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    body = header + bytes(xor) + bytes(mask)
    if kind == 2:
        field_a, field_b = hotspot
    else:
        field_a, field_b = 1, 32  # planes, bits per pixel
    entry = struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, field_a, field_b, len(body), 6 + 16)
    return struct.pack("<HHH", 0, kind, 1) + entry + body


def png(image):
    """A plain RGBA PNG of the image."""
    size = len(image)
    raw = bytearray()
    for row in image:
        raw.append(0)
        for pixel in row:
            raw += bytes(pixel)

    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def icon_colour(u, v):
    """The icon's colour at (u, v), on a 48-unit square: a slide (white page,
    orange title bar, a picture of hills under a sun) with a blue stack of
    pages behind it."""
    def inside(x0, y0, x1, y1):
        return x0 <= u < x1 and y0 <= v < y1

    colour = (0, 0, 0, 0)
    for rect, name in (((10, 4, 46, 32), "b"), ((6, 8, 42, 36), "b"), ((2, 12, 40, 44), "#"),
                       ((3, 13, 39, 43), "."), ((3, 13, 39, 19), "o")):
        if inside(*rect):
            colour = COLOURS[name]
    if inside(5, 22, 37, 43):
        if (u - 28.5) ** 2 + (v - 26.5) ** 2 <= 10.5:
            colour = COLOURS["y"]
        if v - 0.5 > 40 - abs(((u - 5.5) % 16) - 8):
            colour = COLOURS["g"]
    return colour


def program_icon(size=48):
    """The icon drawn at size x size pixels, each pixel the mean of 4 x 4
    samples (alpha-weighted), so every size has clean edges."""
    image = []
    for y in range(size):
        row = []
        for x in range(size):
            total = [0, 0, 0, 0]
            for sy in range(4):
                for sx in range(4):
                    r, g, b, a = icon_colour((x + (sx + 0.5) / 4) * 48 / size,
                                             (y + (sy + 0.5) / 4) * 48 / size)
                    total = [total[0] + r * a, total[1] + g * a, total[2] + b * a, total[3] + a]
            alpha = total[3]
            row.append((0, 0, 0, 0) if alpha == 0 else
                       (round(total[0] / alpha), round(total[1] / alpha), round(total[2] / alpha),
                        round(alpha / 16)))
        image.append(row)
    return image


def main():
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    (out / "HAND-M.CUR").write_bytes(windows_icon(pixel_map(HAND, 32), 2, HAND_HOTSPOT))
    (out / "drag.ico").write_bytes(windows_icon(pixel_map(DRAG, 32), 1, DRAG_HOTSPOT))
    (out / "quillmere.png").write_bytes(png(program_icon()))
    for size in (int(size) for size in sys.argv[2:]):
        folder = out / "icons" / f"{size}x{size}"
        folder.mkdir(parents=True, exist_ok=True)
        (folder / "quillmere.png").write_bytes(png(program_icon(size)))


if __name__ == "__main__":
    main()
