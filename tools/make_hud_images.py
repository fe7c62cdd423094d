#!/usr/bin/python3
"""Draws the HUD's images: the four results boards (won, lost, Sundrel, Floreth), the two clan
logos of the power meter and the white bar textures the health shaders colour.

    /usr/bin/python3 tools/make_hud_images.py [output folder]

The default output folder is GAME/Assets/RML/images (relative to the repository root); the
boards go to results/, the rest to hud/. Only the standard library is used; the output is the
same on every run.
"""

import math
import os
import sys

from png_writer import write_png

SAMPLES = 3  # per axis, for smooth edges

PARCHMENT = (232, 220, 190)
FRAME = (70, 52, 40)
GOLD = (236, 176, 48)
TEAL = (96, 208, 196)
GREEN = (96, 196, 110)
RED = (200, 60, 50)


def render(width, height, shade):
    """Rows of RGBA pixels; `shade(x, y)` gives (r, g, b, a) in 0..255 for a point in pixels."""
    rows = []
    for y in range(height):
        row = bytearray()
        for x in range(width):
            total = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    r, g, b, a = shade(x + (sx + 0.5) / SAMPLES, y + (sy + 0.5) / SAMPLES)
                    total[0] += r * a
                    total[1] += g * a
                    total[2] += b * a
                    total[3] += a
            alpha = total[3] / (SAMPLES * SAMPLES)
            if total[3] > 0:
                colour = [round(total[i] / total[3]) for i in range(3)]
            else:
                colour = [0, 0, 0]
            row += bytes(colour + [round(alpha)])
        rows.append(row)
    return rows


def board(symbol):
    """A parchment board with a dark frame and a symbol in the middle."""
    width, height = 256, 160

    def shade(x, y):
        inside = 6 <= x < width - 6 and 6 <= y < height - 6
        if not (0 <= x < width and 0 <= y < height):
            return (0, 0, 0, 0)
        if not inside:
            return FRAME + (255,)
        colour = symbol(x - width / 2, y - height / 2)
        return (colour or PARCHMENT) + (255,)

    return width, height, render(width, height, shade)


def star(x, y):
    """A five-pointed gold star."""
    angle = math.atan2(y, x)
    radius = math.hypot(x, y)
    edge = 30 + 28 * (0.5 + 0.5 * math.cos(5 * (angle + math.pi / 2)))
    return GOLD if radius < edge else None


def cross(x, y):
    """A red saltire."""
    near = min(abs(x - y), abs(x + y)) / math.sqrt(2)
    return RED if near < 9 and abs(x) < 45 and abs(y) < 45 else None


def sun(x, y):
    """A gold disc with twelve rays."""
    radius = math.hypot(x, y)
    if radius < 26:
        return GOLD
    ray = 0.5 + 0.5 * math.cos(12 * math.atan2(y, x))
    return GOLD if radius < 30 + 26 * ray ** 6 else None


def flower(x, y):
    """Six teal petals round a pale heart."""
    radius = math.hypot(x, y)
    if radius < 12:
        return PARCHMENT[:2] + (250,)
    petal = abs(math.cos(3 * math.atan2(y, x)))
    return TEAL if radius < 18 + 38 * petal else None


def logo(symbol, size=48):
    scale = 64.0 / size

    def shade(x, y):
        colour = symbol((x - size / 2) * scale * 0.9, (y - size / 2) * scale * 0.9)
        return colour + (255,) if colour else (0, 0, 0, 0)

    return size, size, render(size, size, shade)


def bar(width=128, height=16):
    """A white bar, lighter along its top edge; the shaders colour and fill it."""

    def shade(x, y):
        light = 255 - round(60 * y / height)
        return (light, light, light, 255)

    return width, height, render(width, height, shade)


def write_images(root, images):
    """Writes each (width, height, rows) of `images` to its name under `root`."""
    for name, (width, height, rows) in images.items():
        path = os.path.join(root, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        write_png(path, width, height, rows)


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else "GAME/Assets/RML/images"
    images = {
        "results/win_board.png": board(star),
        "results/lose_board.png": board(cross),
        "results/sundrel_board.png": board(sun),
        "results/floreth_board.png": board(flower),
        "hud/sundrel_logo.png": logo(sun),
        "hud/floreth_logo.png": logo(flower),
        "hud/health_bar.png": bar(),
        "hud/boss_bar.png": bar(256, 16),
    }
    write_images(root, images)


if __name__ == "__main__":
    main()
