#!/usr/bin/python3
"""Writes the tile maps of the second level and of the boss arena:

    GAME/Assets/Tilemaps/Level2Ruins.txt
        17 x 23 tiles, walked from the bottom rows up (towards -z): broken inner walls, pickup
        blocks, a few holes, and the level exit in the top rows (tile group 15: lowered by
        "level_reset", raised by "level_end" once the sentries are down)
    GAME/Assets/Tilemaps/BossArena.txt
        19 x 19 tiles: an unbreakable rim inside the walls, an opal floor with pickup blocks to
        fire at the boss and a few holes; no exit (the run ends in the arena)

Codes of the palette DemoPalette.txt: 1 opal floor, 2 unbreakable floor, 4 pickup blocks,
6 the exit, 9 walls; 0 are holes. The world is centred on the map, two units a tile.

    /usr/bin/python3 tools/make_stone_levels.py [repository root]

Only the standard library is used; the output is the same on every run.
"""

import os
import sys

from tile_rows import tile_file

# One character per tile, row 0 (the most negative z) first:
#   #  wall   .  opal floor   u  unbreakable floor   b  pickup block   o  hole
#   E  exit (group 15)
RUINS = [
    "#################",
    "#uuuuuuEEEuuuuuu#",
    "#uuuuuuEEEuuuuuu#",
    "#...............#",
    "#..###.....###..#",
    "#..#.........#..#",
    "#..#..bb.bb..#..#",
    "#.....bb.bb.....#",
    "#...............#",
    "#.o....###....o.#",
    "#......#.#......#",
    "#...............#",
    "#..bb.......bb..#",
    "#..bb..o.o..bb..#",
    "#...............#",
    "#.###.......###.#",
    "#...............#",
    "#....bb...bb....#",
    "#...............#",
    "#uuuuuuuuuuuuuuu#",
    "#uuuuuuuuuuuuuuu#",
    "#uuuuuuuuuuuuuuu#",
    "#################",
]

ARENA = [
    "###################",
    "#uuuuuuuuuuuuuuuuu#",
    "#u...............u#",
    "#u.bbb.......bbb.u#",
    "#u.bbb.......bbb.u#",
    "#u...............u#",
    "#u.......u.......u#",
    "#u...............u#",
    "#u..o.........o..u#",
    "#u...............u#",
    "#u.bb.........bb.u#",
    "#u.bb....o....bb.u#",
    "#u...............u#",
    "#u...............u#",
    "#u....bb...bb....u#",
    "#u...............u#",
    "#u...............u#",
    "#uuuuuuuuuuuuuuuuu#",
    "###################",
]

CODES = {"#": "9", ".": "1", "u": "2", "b": "4", "o": "0", "E": "6"}
GROUPS = {"E": 15}


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else "."
    maps = os.path.join(root, "GAME", "Assets", "Tilemaps")
    os.makedirs(maps, exist_ok=True)
    for name, rows in (("Level2Ruins.txt", RUINS), ("BossArena.txt", ARENA)):
        with open(os.path.join(maps, name), "w") as out:
            out.write(tile_file(rows, CODES, GROUPS))


if __name__ == "__main__":
    main()
