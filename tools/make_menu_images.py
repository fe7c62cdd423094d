#!/usr/bin/python3
"""Draws the pause and options menus' images: the framed panel behind their content and the gear
of the pause menu's settings strip.

    /usr/bin/python3 tools/make_menu_images.py [output folder]

The default output folder is GAME/Assets/RML/images (relative to the repository root); the
images go to menus/. Only the standard library is used; the output is the same on every run.
"""

import math
import sys

from make_hud_images import FRAME, GOLD, render, write_images

NIGHT = (22, 18, 34)


def panel(width=256, height=256):
    """A dark, slightly translucent panel with a gold rim inside a dark frame."""

    def shade(x, y):
        edge = min(x, y, width - x, height - y)
        if edge < 0:
            return (0, 0, 0, 0)
        if edge < 4:
            return FRAME + (255,)
        if edge < 7:
            return GOLD + (255,)
        # A faint glow towards the top.
        light = round(18 * (1.0 - y / height))
        return (NIGHT[0] + light, NIGHT[1] + light, NIGHT[2] + light, 224)

    return width, height, render(width, height, shade)


def gear(size=48):
    """A gold gear with eight teeth and a hole."""
    centre = size / 2

    def shade(x, y):
        dx, dy = x - centre, y - centre
        radius = math.hypot(dx, dy)
        angle = math.atan2(dy, dx)
        tooth = 0.5 + 0.5 * math.cos(8 * angle)
        outer = size * (0.34 + 0.1 * (1 if tooth > 0.5 else 0))
        if radius < size * 0.12 or radius > outer:
            return (0, 0, 0, 0)
        return GOLD + (255,)

    return size, size, render(size, size, shade)


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else "GAME/Assets/RML/images"
    write_images(root, {"menus/panel.png": panel(), "menus/gear.png": gear()})


if __name__ == "__main__":
    main()
