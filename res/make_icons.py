#!/usr/bin/env python3
"""Draws the program's two icons and writes them as .ico files beside this
script: open.ico (the folder on the browse button) and parvik.ico (the
program itself: two equal pages). Run it again after changing a drawing; the
.ico files are committed so the build needs no Python."""
import os
import struct

TRANSPARENT = (0, 0, 0, 0)


def canvas(size):
    return [[TRANSPARENT] * size for _ in range(size)]


def fill(pixels, x0, y0, x1, y1, colour):
    """Fills the rectangle x0..x1, y0..y1 (inclusive)."""
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            pixels[y][x] = colour


def frame(pixels, x0, y0, x1, y1, colour):
    fill(pixels, x0, y0, x1, y0, colour)
    fill(pixels, x0, y1, x1, y1, colour)
    fill(pixels, x0, y0, x0, y1, colour)
    fill(pixels, x1, y0, x1, y1, colour)


OUTLINE = (120, 84, 0, 255)
FOLDER = (250, 204, 72, 255)
FOLDER_LIGHT = (255, 232, 150, 255)
FOLDER_DARK = (214, 160, 30, 255)


def folder(size, x0, y0, width, height):
    """A closed folder with its tab at the top left."""
    pixels = canvas(size)
    x1, y1 = x0 + width - 1, y0 + height - 1
    tab_end = x0 + width * 2 // 5
    tab_height = max(2, height // 6)
    fill(pixels, x0, y0, tab_end, y0 + tab_height, FOLDER_DARK)
    frame(pixels, x0, y0, tab_end, y0 + tab_height, OUTLINE)
    body_top = y0 + tab_height
    fill(pixels, x0, body_top, x1, y1, FOLDER)
    fill(pixels, x0 + 1, body_top + 1, x1 - 1, body_top + 1, FOLDER_LIGHT)
    fill(pixels, x0 + 1, y1 - 1, x1 - 1, y1 - 1, FOLDER_DARK)
    frame(pixels, x0, body_top, x1, y1, OUTLINE)
    return pixels


PAGE = (255, 255, 255, 255)
PAGE_EDGE = (64, 64, 64, 255)
LINES = (150, 150, 150, 255)
MARK = (0, 90, 200, 255)


def page(pixels, x0, y0, width, height, line_step):
    x1, y1 = x0 + width - 1, y0 + height - 1
    fill(pixels, x0, y0, x1, y1, PAGE)
    frame(pixels, x0, y0, x1, y1, PAGE_EDGE)
    for y in range(y0 + line_step, y1 - 1, line_step):
        fill(pixels, x0 + 2, y, x1 - 2, y, LINES)


def pages(size):
    """Two equal pages, the second in front, and an equals sign."""
    pixels = canvas(size)
    unit = size // 16
    width, height = 9 * unit, 12 * unit
    page(pixels, 0, 0, width, height, 2 * unit)
    page(pixels, size - width, size - height, width, height, 2 * unit)
    bar = max(1, unit)
    left, right = 2 * unit, size - 2 * unit - 1
    middle = size // 2
    fill(pixels, left, middle - 2 * bar, right, middle - bar - 1 + bar // 2, MARK)
    fill(pixels, left, middle + bar, right, middle + 2 * bar - 1 + bar // 2, MARK)
    return pixels


def icon_image(pixels):
    """One image of an .ico: BITMAPINFOHEADER, 32-bit BGRA rows bottom up,
    then the AND mask (1 = transparent), rows padded to 32 bits."""
    size = len(pixels)
    colour = b"".join(
        bytes((b, g, r, a)) for row in reversed(pixels) for (r, g, b, a) in row)
    mask_row_bytes = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_row_bytes)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    return header + colour + bytes(mask)


def write_ico(path, images):
    count = len(images)
    data = [icon_image(p) for p in images]
    out = bytearray(struct.pack("<HHH", 0, 1, count))
    offset = 6 + 16 * count
    for pixels, blob in zip(images, data):
        size = len(pixels)
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32,
                           len(blob), offset)
        offset += len(blob)
    for blob in data:
        out += blob
    with open(path, "wb") as f:
        f.write(out)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    # The browse button is about 20 x 18 pixels inside its border and shows
    # the 32-pixel image centred, so that image keeps its folder in the middle.
    write_ico(os.path.join(here, "open.ico"),
              [folder(16, 1, 2, 14, 12), folder(32, 7, 8, 18, 15)])
    write_ico(os.path.join(here, "parvik.ico"), [pages(16), pages(32)])


if __name__ == "__main__":
    main()
