#!/usr/bin/python3
"""Draws the sound emitters' highlighted debug circles, as 8-bit RGBA PNGs (32 x 32): the
collider circle of make_physics_textures.py in colour.

    Debug/debug_circle_red.png    the highlighted emitter's outer radius
    Debug/debug_circle_blue.png   its inner radius

    /usr/bin/python3 tools/make_debug_circles.py [output folder]

The default output folder is GAME/Assets/Textures (relative to the repository root). Only the
standard library is used; the output is the same on every run.
"""

import os
import sys

from make_physics_textures import image, outline_circle
from png_writer import write_png

COLOURS = {"red": (255, 40, 40), "blue": (40, 90, 255)}


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "GAME", "Assets", "Textures")
    os.makedirs(os.path.join(out, "Debug"), exist_ok=True)
    for name, colour in COLOURS.items():
        write_png(os.path.join(out, "Debug", "debug_circle_%s.png" % name), 32, 32,
                  image(32, 32, lambda x, y, colour=colour:
                        colour + (outline_circle(32, x, y)[3],)))


if __name__ == "__main__":
    main()
