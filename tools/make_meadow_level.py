#!/usr/bin/python3
"""Writes the tile map of the first level and the maps its grass grows from:

    GAME/Assets/Tilemaps/Level1Meadow.txt
        16 x 16 tiles: a wall ring (palette code 9) around a floor (code 1) with a few holes
        (code 0, where no grass grows), a raised step and, in the far corner, the level exit
        (code 6, tile group 15: lowered by "level_reset", raised by "level_end"); heights 1.0
        on the walls, 0.6 on the step, 0 elsewhere
    GAME/Assets/Textures/Foliage/Level1GrassDensity.png
        64 x 64 grey: dense grass everywhere but a round clearing and a worn path across
    GAME/Assets/Textures/Foliage/Level1GrassHeight.png
        64 x 64 grey: taller grass towards the corners, with a slow ripple

    /usr/bin/python3 tools/make_meadow_level.py [repository root]

Only the standard library is used; the output is the same on every run.
"""

import math
import os
import sys

from png_writer import write_png

SIDE = 16
TEXTURE = 64
HOLES = {(4, 5), (11, 9), (7, 12)}
STEP = {(x, y) for x in range(10, 13) for y in range(3, 6)}
EXIT = {(x, y) for x in range(2, 4) for y in range(1, 3)}
EXIT_GROUP = 15


def tile_file():
    lines = [f"{SIDE} {SIDE}", "n"]
    codes, walls, groups, heights = [], [], [], []
    for y in range(SIDE):
        edge_row = y in (0, SIDE - 1)
        row_codes, row_heights = [], []
        for x in range(SIDE):
            wall = edge_row or x in (0, SIDE - 1)
            if wall:
                row_codes.append("9")
                row_heights.append("1.0")
            elif (x, y) in EXIT:
                row_codes.append("6")
                row_heights.append("0.0")
            elif (x, y) in HOLES:
                row_codes.append("0")
                row_heights.append("0.0")
            else:
                row_codes.append("1")
                row_heights.append("0.6" if (x, y) in STEP else "0.0")
        codes.append(" ".join(row_codes))
        heights.append(" ".join(row_heights))
        walls.append(" ".join("1" if edge_row or x in (0, SIDE - 1) else "0" for x in range(SIDE)))
        groups.append(" ".join(str(EXIT_GROUP) if (x, y) in EXIT else "0" for x in range(SIDE)))
    empty = [" ".join("0" for _ in range(SIDE)) for _ in range(SIDE)]
    return "\n".join(lines + codes + empty + walls + heights + groups) + "\n"


def grey_rows(value):
    rows = []
    for y in range(TEXTURE):
        row = bytearray()
        for x in range(TEXTURE):
            grey = max(0, min(255, round(value(x / TEXTURE, y / TEXTURE) * 255)))
            row += bytes((grey, grey, grey, 255))
        rows.append(bytes(row))
    return rows


def density(u, v):
    clearing = math.hypot(u - 0.3, v - 0.65) / 0.14
    path = abs((v - 0.2) - 0.5 * u) / 0.04
    return min(1.0, max(0.0, clearing - 1.0) * 2.0, max(0.0, path - 1.0) * 0.8 + 0.2)


def height(u, v):
    corner = math.hypot(u - 0.5, v - 0.5) / 0.7
    return min(1.0, 0.35 + 0.5 * corner + 0.15 * math.sin(u * 9.0 + v * 5.0))


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else "."
    maps = os.path.join(root, "GAME", "Assets", "Tilemaps")
    foliage = os.path.join(root, "GAME", "Assets", "Textures", "Foliage")
    os.makedirs(maps, exist_ok=True)
    os.makedirs(foliage, exist_ok=True)
    with open(os.path.join(maps, "Level1Meadow.txt"), "w") as output:
        output.write(tile_file())
    write_png(os.path.join(foliage, "Level1GrassDensity.png"), TEXTURE, TEXTURE,
              grey_rows(density))
    write_png(os.path.join(foliage, "Level1GrassHeight.png"), TEXTURE, TEXTURE, grey_rows(height))


if __name__ == "__main__":
    main()
