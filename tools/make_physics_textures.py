#!/usr/bin/python3
"""Draws the textures of the physics debug views and the tile world, as 8-bit RGBA PNGs:

    whitesquare.png                      4 x 4 opaque white (tinted by the debug arrows)
    error-notexture.png                  16 x 16 magenta and black checks of 4 pixels
    ditherPatternTest.png                4 x 4 ordered-dither (Bayer) thresholds, grey levels
    Debug/debug_collider_square.png      32 x 32 white square outline, 2 pixels wide
    Debug/debug_collider_circle.png      32 x 32 white circle outline touching the edges
    Debug/debug_collider_tile.png        32 x 32 square outline with both diagonals
    Palettes/palette_test_161.png ...    16 x 1 palettes of 16 colours each (five ramps)
    ..._165.png
    SolidColors/0.png ... 15.png         4 x 4 of one colour each: the colours of palette 161

    /usr/bin/python3 tools/make_physics_textures.py [output folder]

The default output folder is GAME/Assets/Textures (relative to the repository root). Only the
standard library is used; the output is the same on every run.
"""

import colorsys
import math
import os
import sys

from png_writer import write_png

WHITE = (255, 255, 255, 255)
CLEAR = (255, 255, 255, 0)

# Sixteen colours: a grey ramp and twelve hues, the first palette and the solid colours.
BASE_COLOURS = [
    (0, 0, 0), (85, 85, 85), (170, 170, 170), (255, 255, 255),
    (190, 38, 51), (224, 111, 139), (73, 60, 43), (164, 100, 34),
    (235, 137, 49), (247, 226, 107), (47, 72, 78), (68, 137, 26),
    (163, 206, 39), (27, 38, 50), (0, 87, 132), (49, 162, 242),
]


def image(width, height, pixel):
    return [bytes(b for x in range(width) for b in pixel(x, y)) for y in range(height)]


def outline_square(size, x, y):
    return WHITE if min(x, y, size - 1 - x, size - 1 - y) < 2 else CLEAR


def outline_circle(size, x, y):
    radius = size / 2.0
    distance = math.hypot(x + 0.5 - radius, y + 0.5 - radius)
    return WHITE if radius - 2.0 <= distance <= radius else CLEAR


def outline_tile(size, x, y):
    on_diagonal = abs(x - y) < 1 or abs(x + y - (size - 1)) < 1
    return WHITE if on_diagonal else outline_square(size, x, y)


def ramp(index, step):
    """Palette `index` (0..4): sixteen colours around the hue wheel, lighter for later ones."""
    if index == 0:
        return BASE_COLOURS[step]
    hue = (step / 16.0 + index * 0.13) % 1.0
    lightness = 0.25 + 0.5 * step / 15.0
    saturation = 0.35 + 0.15 * index
    return tuple(round(c * 255) for c in colorsys.hls_to_rgb(hue, lightness, saturation))


BAYER = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "GAME", "Assets", "Textures")
    for folder in ("Debug", "Palettes", "SolidColors"):
        os.makedirs(os.path.join(out, folder), exist_ok=True)

    write_png(os.path.join(out, "whitesquare.png"), 4, 4, image(4, 4, lambda x, y: WHITE))
    write_png(os.path.join(out, "error-notexture.png"), 16, 16,
              image(16, 16, lambda x, y: (255, 0, 255, 255) if (x // 4 + y // 4) % 2 == 0
                    else (0, 0, 0, 255)))
    write_png(os.path.join(out, "ditherPatternTest.png"), 4, 4,
              image(4, 4, lambda x, y: (BAYER[y][x] * 17,) * 3 + (255,)))
    for name, shape in (("square", outline_square), ("circle", outline_circle),
                        ("tile", outline_tile)):
        write_png(os.path.join(out, "Debug", "debug_collider_%s.png" % name), 32, 32,
                  image(32, 32, lambda x, y, shape=shape: shape(32, x, y)))
    for index in range(5):
        write_png(os.path.join(out, "Palettes", "palette_test_16%d.png" % (index + 1)), 16, 1,
                  image(16, 1, lambda x, y, index=index: ramp(index, x) + (255,)))
    for number, colour in enumerate(BASE_COLOURS):
        write_png(os.path.join(out, "SolidColors", "%d.png" % number), 4, 4,
                  image(4, 4, lambda x, y, colour=colour: colour + (255,)))


if __name__ == "__main__":
    main()
