#!/usr/bin/python3
"""Draws the wind's gust noise and writes it as an 8-bit RGBA PNG:

    WindNoise.png  64 x 64 grey value noise that tiles in both directions (the wind scrolls it
                   with repeat wrapping): three octaves of smoothly interpolated lattice values
                   on periodic lattices of 4, 8 and 16 cells, weighted 1/2, 1/4 and 1/8 and
                   stretched to the full 0..255 range. Red, green and blue hold the same value;
                   alpha is 255.

    /usr/bin/python3 tools/make_wind_noise.py [output folder]

The default output folder is GAME/Assets/Textures (relative to the repository root). Only the
standard library is used, with a fixed seed: the output is the same on every run.
"""

import os
import random
import sys

from png_writer import write_png

SIZE = 64
OCTAVES = ((4, 0.5), (8, 0.25), (16, 0.125))


def smooth(t):
    return t * t * (3.0 - 2.0 * t)


def octave(cells, generator):
    lattice = [[generator.random() for _ in range(cells)] for _ in range(cells)]
    step = SIZE / cells
    values = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            gx, gy = x / step, y / step
            x0, y0 = int(gx) % cells, int(gy) % cells
            x1, y1 = (x0 + 1) % cells, (y0 + 1) % cells
            tx, ty = smooth(gx - int(gx)), smooth(gy - int(gy))
            top = lattice[y0][x0] * (1 - tx) + lattice[y0][x1] * tx
            bottom = lattice[y1][x0] * (1 - tx) + lattice[y1][x1] * tx
            row.append(top * (1 - ty) + bottom * ty)
        values.append(row)
    return values


def noise():
    generator = random.Random(1207)
    total = [[0.0] * SIZE for _ in range(SIZE)]
    for cells, weight in OCTAVES:
        layer = octave(cells, generator)
        for y in range(SIZE):
            for x in range(SIZE):
                total[y][x] += layer[y][x] * weight
    low = min(min(row) for row in total)
    high = max(max(row) for row in total)
    rows = []
    for y in range(SIZE):
        row = bytearray()
        for x in range(SIZE):
            grey = round((total[y][x] - low) / (high - low) * 255)
            row += bytes((grey, grey, grey, 255))
        rows.append(bytes(row))
    return rows


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join("GAME", "Assets", "Textures")
    os.makedirs(folder, exist_ok=True)
    write_png(os.path.join(folder, "WindNoise.png"), SIZE, SIZE, noise())


if __name__ == "__main__":
    main()
