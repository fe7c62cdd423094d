#!/usr/bin/python3
"""Draws the animated sprite sheet of a pulsing ring and the quad that shows one of its cells:

    GAME/Assets/Animations/ring_pulse.png
        128 x 64: 4 columns x 2 rows of 32 x 32 cells, frames 0-3 on the top row and 4-7 below,
        left to right. Frame i is a golden ring whose radius, width and glow grow with i, so
        frame 7 (the sheet's event frame) is the brightest and widest.
    GAME/Assets/Meshes/SpriteCell4x2.txt
        a unit quad centred on its origin whose texture coordinates cover one cell of a 4 x 2
        sheet (u 0..1/4, v 0..1/2); the animation's frame offset moves them to the current cell.

The animation file beside the sheet (ring_pulse.txt) names the clips: "pulse" runs frames 0-7 at
12 frames per second and "rest" holds frame 0. Only the standard library is used; the output is
the same on every run.

    /usr/bin/python3 tools/make_sprite_sheets.py [repository root]
"""

import math
import os
import sys

from png_writer import write_png

CELL = 32
COLUMNS = 4
ROWS = 2
FRAMES = COLUMNS * ROWS


def clamp01(value):
    return max(0.0, min(1.0, value))


def ring_pulse_frame(frame, x, y):
    """RGBA of pixel (x, y) of a cell (pixel centres at +0.5) for `frame`."""
    grow = frame / (FRAMES - 1)
    radius = 6.0 + 7.0 * grow
    half_width = 1.5 + 1.5 * grow
    r = math.hypot(x + 0.5 - CELL / 2.0, y + 0.5 - CELL / 2.0)
    band = clamp01(half_width - abs(r - radius) + 0.5)
    glow = clamp01(1.0 - abs(r - radius) / (half_width + 4.0)) * 0.5 * grow
    alpha = max(band, glow)
    if alpha <= 0.0:
        return (0, 0, 0, 0)
    light = 0.6 + 0.4 * grow
    return (int(255 * light), int(205 * light), int(90 * light), int(round(alpha * 255)))


def ring_pulse_sheet():
    rows = []
    for y in range(CELL * ROWS):
        row = bytearray()
        for x in range(CELL * COLUMNS):
            frame = (y // CELL) * COLUMNS + x // CELL
            row += bytes(ring_pulse_frame(frame, x % CELL, y % CELL))
        rows.append(row)
    return rows


def cell_quad(columns, rows):
    u, v = 1.0 / columns, 1.0 / rows
    corners = [(-0.5, -0.5, 0.0, 0.0), (0.5, -0.5, u, 0.0), (0.5, 0.5, u, v), (-0.5, 0.5, 0.0, v)]
    lines = ["std_mesh", "3", "3 3 2", "4"]
    for x, y, s, t in corners:
        lines.append("%.1f %.1f 0.0   0.0 0.0 1.0   %.8g %.8g" % (x, y, s, t))
    lines += ["6", "0 1 2 0 2 3"]
    return "\n".join(lines) + "\n"


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    write_png(os.path.join(root, "GAME", "Assets", "Animations", "ring_pulse.png"),
              CELL * COLUMNS, CELL * ROWS, ring_pulse_sheet())
    with open(os.path.join(root, "GAME", "Assets", "Meshes", "SpriteCell4x2.txt"), "w",
              newline="\n") as output:
        output.write(cell_quad(COLUMNS, ROWS))


if __name__ == "__main__":
    main()
