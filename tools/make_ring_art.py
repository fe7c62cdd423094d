#!/usr/bin/python3
"""Draws the rings and the two hands of the game interface and writes them as 8-bit RGBA PNGs:

    GAME/Assets/Textures/Rings/ring.png
        64 x 64: a golden band (inner radius 0.55, outer 0.9 of the half width) with a lighter
        rim at the top left and a blue stone at the top, so that a spinning ring shows its turn
    GAME/Assets/Textures/Rings/ring_band.png
        32 x 32: the band of the ring model (Meshes/RingTorus.txt): u runs around the ring, v
        around the tube; gold, brightest where the tube faces front or back, darker at the rims,
        with a blue stone over three columns so that a turning ring shows its turn
    GAME/Assets/Textures/Rings/floreth_hand.png
        128 x 128: an open left hand in sea green, palm down, fingers pointing down-right
    GAME/Assets/Textures/Rings/sundrel_hand.png
        128 x 128: the mirrored right hand in warm amber

The hands are pale enough for their shaders to tint and brighten them; edges are smoothed over
one pixel. Only the standard library is used; the output is the same on every run.

    /usr/bin/python3 tools/make_ring_art.py [repository root]
"""

import math
import os
import sys

from png_writer import write_png

RING_SIZE = 64
HAND_SIZE = 128


def clamp01(value):
    return max(0.0, min(1.0, value))


def ring():
    half = RING_SIZE / 2.0
    inner, outer = 0.55 * half, 0.9 * half
    stone_centre, stone_radius = (half, half - 0.72 * half), 0.16 * half
    rows = []
    for y in range(RING_SIZE):
        row = bytearray()
        for x in range(RING_SIZE):
            px, py = x + 0.5 - half, y + 0.5 - half
            r = math.hypot(px, py)
            coverage = clamp01(outer - r + 0.5) * clamp01(r - inner + 0.5)
            # Light from the top left: brighter where the band faces it.
            light = 0.75 + 0.25 * (-(px + py) / (r * math.sqrt(2.0)) if r > 0 else 0.0)
            red, green, blue = 235 * light, 190 * light, 70 * light
            sd = math.hypot(x + 0.5 - stone_centre[0], y + 0.5 - stone_centre[1])
            stone = clamp01(stone_radius - sd + 0.5)
            if stone > 0.0:
                red = red * (1 - stone) + 70 * stone
                green = green * (1 - stone) + 140 * stone
                blue = blue * (1 - stone) + 245 * stone
                coverage = max(coverage, stone)
            row += bytes((int(clamp01(red / 255) * 255), int(clamp01(green / 255) * 255),
                          int(clamp01(blue / 255) * 255), int(round(coverage * 255))))
        rows.append(row)
    return rows


BAND_SIZE = 32


def ring_band():
    rows = []
    for y in range(BAND_SIZE):
        v = (y + 0.5) / BAND_SIZE
        # v = 0.25 and 0.75 are the faces of the band, 0 and 0.5 its inner and outer rims.
        light = 0.55 + 0.45 * abs(math.sin(2.0 * math.pi * v))
        row = bytearray()
        for x in range(BAND_SIZE):
            if x < 3:
                colour = (70 * light + 40, 140 * light + 40, 245)
            else:
                colour = (255 * light, 205 * light, 80 * light)
            row += bytes(int(clamp01(c / 255) * 255) for c in colour) + b"\xff"
        rows.append(row)
    return rows


def capsule_distance(px, py, ax, ay, bx, by, radius):
    """Signed distance from a point to a capsule (negative inside)."""
    dx, dy = bx - ax, by - ay
    t = clamp01(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy)) - radius


# The left hand in unit coordinates (0..1, y down): a palm and five fingers as capsules.
LEFT_HAND = [
    (0.18, 0.18, 0.42, 0.42, 0.2),   # palm
    (0.45, 0.30, 0.80, 0.52, 0.06),  # index finger
    (0.44, 0.40, 0.84, 0.66, 0.065),  # middle finger
    (0.40, 0.50, 0.76, 0.78, 0.06),  # ring finger
    (0.32, 0.56, 0.60, 0.86, 0.05),  # little finger
    (0.40, 0.20, 0.70, 0.22, 0.06),  # thumb
]


def hand(colour, mirrored):
    rows = []
    for y in range(HAND_SIZE):
        row = bytearray()
        for x in range(HAND_SIZE):
            u = (x + 0.5) / HAND_SIZE
            v = (y + 0.5) / HAND_SIZE
            if mirrored:
                u = 1.0 - u
            distance = min(capsule_distance(u, v, *shape) for shape in LEFT_HAND)
            coverage = clamp01(0.5 - distance * HAND_SIZE)
            # Darker towards the outline, so the fingers read apart.
            shade = 0.7 + 0.3 * clamp01(-distance * 12.0)
            row += bytes((int(colour[0] * shade), int(colour[1] * shade), int(colour[2] * shade),
                          int(round(coverage * 255))))
        rows.append(row)
    return rows


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    folder = os.path.join(root, "GAME", "Assets", "Textures", "Rings")
    os.makedirs(folder, exist_ok=True)
    write_png(os.path.join(folder, "ring.png"), RING_SIZE, RING_SIZE, ring())
    write_png(os.path.join(folder, "ring_band.png"), BAND_SIZE, BAND_SIZE, ring_band())
    write_png(os.path.join(folder, "floreth_hand.png"), HAND_SIZE, HAND_SIZE,
              hand((170, 235, 215), mirrored=False))
    write_png(os.path.join(folder, "sundrel_hand.png"), HAND_SIZE, HAND_SIZE,
              hand((250, 215, 160), mirrored=True))


if __name__ == "__main__":
    main()
