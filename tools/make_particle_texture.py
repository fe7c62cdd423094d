#!/usr/bin/python3
"""Draws the particle dot and writes it as an 8-bit RGBA PNG:

    particle.png  a soft round white dot on a transparent background (32 x 32). Alpha falls
                  from 1 at the centre as 1 - (r / R)^2 to 0 at the rim (R = half the width),
                  so the part of a cell where alpha passes 1 - t grows in proportion to t: the
                  screentone pass uses it as its dot shape, particles as a soft sprite.

    /usr/bin/python3 tools/make_particle_texture.py [output folder]

The default output folder is GAME/Assets/Textures/Particles (relative to the repository root).
Only the standard library is used; the output is the same on every run.
"""

import os
import sys

from png_writer import write_png

SIZE = 32




def dot():
    radius = SIZE / 2.0
    rows = []
    for y in range(SIZE):
        row = bytearray()
        for x in range(SIZE):
            # Distance from the centre of the image to the centre of the pixel.
            dx = (x + 0.5) - radius
            dy = (y + 0.5) - radius
            falloff = 1.0 - (dx * dx + dy * dy) / (radius * radius)
            alpha = max(0.0, min(1.0, falloff))
            row += bytes((255, 255, 255, round(alpha * 255)))
        rows.append(bytes(row))
    return rows


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join("GAME", "Assets", "Textures",
                                                                "Particles")
    os.makedirs(folder, exist_ok=True)
    write_png(os.path.join(folder, "particle.png"), SIZE, SIZE, dot())


if __name__ == "__main__":
    main()
