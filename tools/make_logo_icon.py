#!/usr/bin/python3
"""Draws the game's window icon: two interlocking rings, one green and one gold, on a
transparent background, and writes it as an 8-bit RGBA PNG.

    /usr/bin/python3 tools/make_logo_icon.py [output.png]

The default output is GAME/Assets/Textures/logo_icon.png (relative to the repository root).
Only the standard library is used; the output is the same on every run.
"""

import math
import sys

from png_writer import write_png

SIZE = 64
SAMPLES = 4  # per axis, for smooth edges

# Ring centres, radius of the ring's middle line and half its thickness, in pixels.
LEFT = (24.0, 32.0)
RIGHT = (40.0, 32.0)
RADIUS = 15.0
HALF_WIDTH = 4.0

GREEN = (64, 200, 120)
GOLD = (236, 176, 48)
OUTLINE = (24, 28, 40)
OUTLINE_WIDTH = 1.2


def ring_cover(px, py, centre):
    """How a point relates to a ring: 2 inside the band, 1 on its outline, 0 outside."""
    distance = abs(math.hypot(px - centre[0], py - centre[1]) - RADIUS)
    if distance <= HALF_WIDTH - OUTLINE_WIDTH:
        return 2
    if distance <= HALF_WIDTH:
        return 1
    return 0


def colour_at(px, py):
    """Colour and alpha of one sample. Where the bands cross, the gold ring passes over the
    green one at the top crossing and under it at the bottom one, so the rings interlock."""
    left = ring_cover(px, py, LEFT)
    right = ring_cover(px, py, RIGHT)
    gold_on_top = py < 32.0
    layers = [(left, GREEN), (right, GOLD)]
    if not gold_on_top:
        layers.reverse()
    colour = None
    for cover, band in layers:
        if cover == 2:
            colour = band
        elif cover == 1:
            colour = OUTLINE
    return colour


def render():
    rows = []
    for y in range(SIZE):
        row = bytearray()
        for x in range(SIZE):
            total = [0, 0, 0]
            hits = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    colour = colour_at(x + (sx + 0.5) / SAMPLES, y + (sy + 0.5) / SAMPLES)
                    if colour is not None:
                        hits += 1
                        for channel in range(3):
                            total[channel] += colour[channel]
            if hits:
                row += bytes(round(value / hits) for value in total)
                row.append(round(255 * hits / (SAMPLES * SAMPLES)))
            else:
                row += b"\0\0\0\0"
        rows.append(bytes(row))
    return rows




if __name__ == "__main__":
    target = sys.argv[1] if len(sys.argv) > 1 else "GAME/Assets/Textures/logo_icon.png"
    write_png(target, SIZE, SIZE, render())
