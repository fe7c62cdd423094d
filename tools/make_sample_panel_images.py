#!/usr/bin/python3
"""Draws the two images of the sample panel document (GAME/Assets/RML/sample_panel.rml), the small
document the document and window tests load:
    marker.png   16 x 16: red top-left, green top-right and blue bottom quarters, so a test sees
                 which way up and which way round an image is drawn
    emblem.png   32 x 32: a pale blue disc of radius 15, brightest in the middle, on a
                 transparent ground; the panel shades it through a material

    /usr/bin/python3 tools/make_sample_panel_images.py [output folder]

The default output folder is GAME/Assets/RML/images (relative to the repository root). Only the
standard library is used; the output is the same on every run.
"""

import math
import sys

from make_hud_images import write_images

RED, GREEN, BLUE = (255, 0, 0, 255), (0, 255, 0, 255), (0, 0, 255, 255)


def marker(size=16):
    half = size // 2
    rows = []
    for y in range(size):
        row = bytearray()
        for x in range(size):
            row += bytes(BLUE if y >= half else RED if x < half else GREEN)
        rows.append(bytes(row))
    return size, size, rows


def emblem(size=32, radius=15.0):
    rows = []
    for y in range(size):
        row = bytearray()
        for x in range(size):
            distance = math.hypot(x + 0.5 - size / 2, y + 0.5 - size / 2)
            if distance <= radius:
                level = int(255 - 6 * distance)  # 255 in the middle, 165 at the rim
                row += bytes((level, level, 255, 255))
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return size, size, rows


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else "GAME/Assets/RML/images"
    write_images(root, {"marker.png": marker(), "emblem.png": emblem()})


if __name__ == "__main__":
    main()
