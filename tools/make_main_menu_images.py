#!/usr/bin/python3
"""Draws the main menu's images: the two clan logos of the title, the walking character (42
frames seen from the front and 42 of its shadow seen from the back), the target cursor's ring,
the hamburger of the settings button and the emblem of the credits button.

    /usr/bin/python3 tools/make_main_menu_images.py [output folder]

The default output folder is GAME/Assets/RML/images (relative to the repository root); the
logos and icons go to its top, the frames to character_front/ and character_back/. Only the
standard library is used; the output is the same on every run.
"""

import math
import sys

from make_hud_images import FRAME, GOLD, TEAL, flower, render, sun, write_images

FRAMES = 42
CLOTH = (44, 52, 92)
SKIN = (236, 200, 160)
SHADOW = (18, 14, 28)


def clan_logo(symbol, rim, size=160):
    """The clan's symbol inside a thin ring of the clan's colour, on a transparent ground."""
    centre = size / 2
    scale = 64.0 / (size * 0.42)

    def shade(x, y):
        dx, dy = x - centre, y - centre
        radius = math.hypot(dx, dy)
        if size * 0.44 <= radius < size * 0.48:
            return rim + (255,)
        colour = symbol(dx * scale, dy * scale)
        return colour + (255,) if colour else (0, 0, 0, 0)

    return size, size, render(size, size, shade)


def capsule(px, py, ax, ay, bx, by, radius):
    """True when (px, py) lies within `radius` of the segment from a to b."""
    vx, vy = bx - ax, by - ay
    length = vx * vx + vy * vy
    t = 0.0 if length == 0 else max(0.0, min(1.0, ((px - ax) * vx + (py - ay) * vy) / length))
    return math.hypot(px - (ax + t * vx), py - (ay + t * vy)) < radius


def walker(frame, back, width=48, height=96):
    """One frame of the walk on the spot: legs and arms swing through a full stride over the
    42 frames, the body bobs twice per stride. The front view is coloured; the back view is the
    dark figure that serves as its shadow."""
    phase = 2 * math.pi * frame / FRAMES
    swing = math.sin(phase)
    bob = 1.5 * abs(math.cos(phase))
    cx = width / 2
    hip_y = 58 - bob
    shoulder_y = 34 - bob
    head_y = 22 - bob
    leg = 30
    arm = 20
    limbs = []
    for side in (-1, 1):
        step = side * swing * 0.45
        foot_x = cx + side * 3 + math.sin(step) * leg
        foot_y = hip_y + math.cos(step) * leg
        limbs.append((cx + side * 3, hip_y, foot_x, foot_y, 4.2))
        hand_x = cx + side * 7 - math.sin(step) * arm
        hand_y = shoulder_y + math.cos(step) * arm
        limbs.append((cx + side * 7, shoulder_y, hand_x, hand_y, 3.0))

    def shade(x, y):
        if math.hypot(x - cx, y - head_y) < 8:
            if back:
                return SHADOW + (200,)
            return SKIN + (255,)
        if capsule(x, y, cx, shoulder_y, cx, hip_y, 8):
            return (SHADOW + (200,)) if back else (CLOTH + (255,))
        for ax, ay, bx, by, radius in limbs:
            if capsule(x, y, ax, ay, bx, by, radius):
                return (SHADOW + (200,)) if back else (GOLD + (255,))
        return (0, 0, 0, 0)

    return width, height, render(width, height, shade)


def ring(size=96):
    """The target cursor: a cyan ring with four notches."""
    centre = size / 2

    def shade(x, y):
        dx, dy = x - centre, y - centre
        radius = math.hypot(dx, dy)
        notch = abs(math.cos(2 * math.atan2(dy, dx))) > 0.96
        if size * 0.36 <= radius < size * 0.46 and not notch:
            return (0, 229, 255, 255)
        return (0, 0, 0, 0)

    return size, size, render(size, size, shade)


def hamburger(size=48):
    """Three gold bars."""

    def shade(x, y):
        for bar in (0.25, 0.5, 0.75):
            if abs(y - size * bar) < size * 0.07 and size * 0.15 < x < size * 0.85:
                return GOLD + (255,)
        return (0, 0, 0, 0)

    return size, size, render(size, size, shade)


def emblem(size=64):
    """A gold diamond in a dark frame: the credits button."""
    centre = size / 2

    def shade(x, y):
        distance = abs(x - centre) + abs(y - centre)
        if distance < size * 0.3:
            return GOLD + (255,)
        if distance < size * 0.44:
            return FRAME + (255,)
        return (0, 0, 0, 0)

    return size, size, render(size, size, shade)


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else "GAME/Assets/RML/images"
    images = {
        "Floreth_logo_scr.png": clan_logo(flower, TEAL),
        "Sundrel_logo_scr.png": clan_logo(sun, GOLD),
        "menus/target_ring.png": ring(),
        "menus/hamburger.png": hamburger(),
        "menus/credits_emblem.png": emblem(),
    }
    for frame in range(FRAMES):
        number = "%02d" % (frame + 1)
        images["character_front/Vov_walking_front_%s.png" % number] = walker(frame, False)
        images["character_back/Vov_walking_back_%s.png" % number] = walker(frame, True)
    write_images(root, images)


if __name__ == "__main__":
    main()
