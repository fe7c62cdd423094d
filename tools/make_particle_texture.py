#!/usr/bin/python3
"""Draws the particle sprites and writes them as 8-bit RGBA PNGs:

    particle.png  a soft round white dot on a transparent background (32 x 32). Alpha falls
                  from 1 at the centre as 1 - (r / R)^2 to 0 at the rim (R = half the width),
                  so the part of a cell where alpha passes 1 - t grows in proportion to t: the
                  screentone pass uses it as its dot shape, particles as a soft sprite.
    spark.png     a white four-pointed star with a round core (32 x 32): dash trails and
                  fountain sparks
    shard.png     a chip of stone (16 x 16): a pale, slightly tilted square lit from the top
                  left with a darker rim, for block-break bursts
    heal.png      a soft white plus sign (32 x 32), for healing glows

The sprites are white or pale so that the emitters' colours tint them.

    /usr/bin/python3 tools/make_particle_texture.py [output folder]

The default output folder is GAME/Assets/Textures/Particles (relative to the repository root).
Only the standard library is used; the output is the same on every run.
"""

import math
import os
import sys

from png_writer import write_png

SIZE = 32


def white_sprite(alpha_at):
    """A SIZE x SIZE white sprite; alpha_at(dx, dy) gives the coverage of the pixel whose centre
    lies (dx, dy) from the image centre, in half widths (-1..1), clamped to [0, 1]."""
    half = SIZE / 2.0
    rows = []
    for y in range(SIZE):
        row = bytearray()
        for x in range(SIZE):
            alpha = alpha_at(((x + 0.5) - half) / half, ((y + 0.5) - half) / half)
            row += bytes((255, 255, 255, round(max(0.0, min(1.0, alpha)) * 255)))
        rows.append(bytes(row))
    return rows


def dot():
    return white_sprite(lambda dx, dy: 1.0 - (dx * dx + dy * dy))


def star_alpha(dx, dy):
    dx, dy = abs(dx), abs(dy)
    core = 1.0 - math.hypot(dx, dy) / 0.35
    # Two thin diamonds along the axes make the four points.
    points = max(1.0 - dx - 6.0 * dy, 1.0 - dy - 6.0 * dx)
    return max(core, points * 1.5)


def plus_alpha(dx, dy):
    dx, dy = abs(dx), abs(dy)
    # Distance outside the cross of two bars 0.25 wide and 0.8 long, softened.
    bar = min(max(dx - 0.25, dy - 0.8), max(dy - 0.25, dx - 0.8))
    return 1.0 - max(0.0, bar) / 0.2


SHARD_SIZE = 16


def shard():
    half = SHARD_SIZE / 2.0
    turn = math.radians(20.0)
    rows = []
    for y in range(SHARD_SIZE):
        row = bytearray()
        for x in range(SHARD_SIZE):
            px, py = (x + 0.5) - half, (y + 0.5) - half
            # The pixel in the chip's own turned frame; the chip is 0.7 of the image wide.
            u = px * math.cos(turn) + py * math.sin(turn)
            v = -px * math.sin(turn) + py * math.cos(turn)
            edge = 0.7 * half - max(abs(u), abs(v))
            alpha = max(0.0, min(1.0, edge + 0.5))
            light = 0.75 + 0.25 * max(-1.0, min(1.0, -(u + v) / half))
            rim = 0.7 if edge < 1.5 else 1.0
            level = round(255 * light * rim)
            row += bytes((level, level, level, round(alpha * 255)))
        rows.append(bytes(row))
    return rows


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join("GAME", "Assets", "Textures",
                                                                "Particles")
    os.makedirs(folder, exist_ok=True)
    write_png(os.path.join(folder, "particle.png"), SIZE, SIZE, dot())
    write_png(os.path.join(folder, "spark.png"), SIZE, SIZE, white_sprite(star_alpha))
    write_png(os.path.join(folder, "shard.png"), SHARD_SIZE, SHARD_SIZE, shard())
    write_png(os.path.join(folder, "heal.png"), SIZE, SIZE, white_sprite(plus_alpha))


if __name__ == "__main__":
    main()
