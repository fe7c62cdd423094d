#!/usr/bin/python3
"""Draws the textures of the splash and main-menu scenes and writes them as 8-bit RGBA PNGs:

    splash_logo.png  the word KELVARIS in block letters, gold with a dark outline, on a
                     transparent background (256 x 64)
    menu_panel.png   a dark blue panel with a lighter rim and soft corners (64 x 64)

    /usr/bin/python3 tools/make_scene_textures.py [output folder]

The default output folder is GAME/Assets/Textures (relative to the repository root). Only the
standard library is used; the output is the same on every run.
"""

import math
import os
import sys

from png_writer import write_png

# 5 x 7 block letters, one string per row, '#' filled.
GLYPHS = {
    "K": ["#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    "V": ["#...#", "#...#", "#...#", "#...#", ".#.#.", ".#.#.", "..#.."],
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "I": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "#####"],
    "S": [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
}

GOLD_TOP = (250, 204, 92)
GOLD_BOTTOM = (214, 136, 40)
OUTLINE = (28, 24, 40)




def logo():
    width, height = 256, 64
    word = "KELVARIS"
    cell = 5  # pixels per glyph dot
    gap = 1  # dots between letters
    word_dots = len(word) * 5 + (len(word) - 1) * gap
    left = (width - word_dots * cell) // 2
    top = (height - 7 * cell) // 2

    filled = set()
    for index, letter in enumerate(word):
        for row, line in enumerate(GLYPHS[letter]):
            for column, mark in enumerate(line):
                if mark == "#":
                    filled.add((index * (5 + gap) + column, row))

    def dot_at(x, y):
        dx, dy = (x - left) // cell, (y - top) // cell
        inside = left <= x < left + word_dots * cell and top <= y < top + 7 * cell
        return inside and (dx, dy) in filled

    rows = []
    for y in range(height):
        row = bytearray()
        shade = min(max((y - top) / (7 * cell), 0.0), 1.0)
        gold = tuple(round(a + (b - a) * shade) for a, b in zip(GOLD_TOP, GOLD_BOTTOM))
        for x in range(width):
            if dot_at(x, y):
                row += bytes(gold) + b"\xff"
            elif any(dot_at(x + ox, y + oy) for ox in (-2, 0, 2) for oy in (-2, 0, 2)):
                row += bytes(OUTLINE) + b"\xff"
            else:
                row += b"\0\0\0\0"
        rows.append(bytes(row))
    return width, height, rows


def panel():
    size = 64
    radius = 10.0
    rows = []
    for y in range(size):
        row = bytearray()
        for x in range(size):
            # Distance outside the rounded rectangle inset by `radius` (negative inside).
            qx = max(abs(x + 0.5 - size / 2) - (size / 2 - radius), 0.0)
            qy = max(abs(y + 0.5 - size / 2) - (size / 2 - radius), 0.0)
            edge = math.hypot(qx, qy) - radius
            alpha = min(max(0.5 - edge, 0.0), 1.0)
            rim = 1.0 if -3.0 < edge <= 0.5 else 0.0
            depth = y / (size - 1)
            base = (round(30 + 20 * depth), round(40 + 24 * depth), round(78 + 40 * depth))
            colour = tuple(round(c + (200 - c) * 0.35 * rim) for c in base)
            row += bytes(colour) + bytes([round(230 * alpha)])
        rows.append(bytes(row))
    return size, size, rows


if __name__ == "__main__":
    folder = sys.argv[1] if len(sys.argv) > 1 else "GAME/Assets/Textures"
    for name, image in (("splash_logo.png", logo()), ("menu_panel.png", panel())):
        write_png(os.path.join(folder, name), *image)
