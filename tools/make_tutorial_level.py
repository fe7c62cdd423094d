#!/usr/bin/python3
"""Writes the tutorial's tile map and the box mesh its player, dummy and thrown blocks are drawn
with:

    GAME/Assets/Tilemaps/TutorialLevel.txt
        13 x 29 tiles, walked from the bottom row up (towards -z). Codes of the palette
        DemoPalette.txt: 1 opal floor, 2 unbreakable floor, 4 pickup blocks, 6 the portal,
        9 walls; 0 are holes that the player refills with a carried block. Groups (the last
        list): 3 the bridge, 4 the pit it crosses (both lowered by the tutorial's director
        until the rings are learned), 15 the portal (the level exit, lowered by "level_reset", raised by "level_end").
    GAME/Assets/Meshes/Box.txt
        a unit cube standing on y = 0, in the engine's plain mesh format (the dummy, the
        thrown blocks)
    GAME/Assets/Meshes/PlayerBody.txt
        the same box half as wide and deep: the player's transform is scaled 2 across, so that
        the collision system looks for walls two tiles around it (it searches as many tiles
        around a body as the body's x scale)

    /usr/bin/python3 tools/make_tutorial_level.py [repository root]

Only the standard library is used; the output is the same on every run.
"""

import os
import sys

from tile_rows import tile_file

WIDTH = 13
HEIGHT = 29

# Row by row, top (row 0, most negative z) to bottom. One character per tile:
#   #  wall          .  opal floor     u  unbreakable floor   b  pickup block
#   o  hole          P  portal (group 15, unbreakable)
#   ~  pit (group 4) =  bridge (group 3)
ROWS = [
    "#############",
    "#uuuuPPPuuuu#",
    "#uuuuPPPuuuu#",
    "#uuuuuuuuuuu#",
    "#~~~~~===~~~#",
    "#~~~~~===~~~#",
    "#~~~~~===~~~#",
    "#uuuuuuuuuuu#",
    "#...........#",
    "#...........#",
    "#...........#",
    "#...........#",
    "#..o.....o..#",
    "#...........#",
    "#.bbb...bbb.#",
    "#.bbb...bbb.#",
    "#.bbb...bbb.#",
    "#...........#",
    "#....ooo....#",
    "#...........#",
    "#.bb.....bb.#",
    "#.bb.....bb.#",
    "#...........#",
    "#...........#",
    "#uuuuuuuuuuu#",
    "#uuuuuuuuuuu#",
    "#uuuuuuuuuuu#",
    "#uuuuuuuuuuu#",
    "#############",
]

assert len(ROWS) == HEIGHT and all(len(row) == WIDTH for row in ROWS)

CODES = {"#": "9", ".": "1", "u": "2", "b": "4", "o": "0", "P": "6", "~": "2", "=": "2"}
GROUPS = {"P": 15, "~": 4, "=": 3}


def box_mesh(half_width):
    # Six faces, four corners each, with their outward normals and texture corners.
    faces = [
        ((0, 1, 0), [(-1, 1, 1), (1, 1, 1), (1, 1, -1), (-1, 1, -1)]),
        ((0, -1, 0), [(-1, -1, -1), (1, -1, -1), (1, -1, 1), (-1, -1, 1)]),
        ((0, 0, 1), [(-1, -1, 1), (1, -1, 1), (1, 1, 1), (-1, 1, 1)]),
        ((0, 0, -1), [(1, -1, -1), (-1, -1, -1), (-1, 1, -1), (1, 1, -1)]),
        ((1, 0, 0), [(1, -1, 1), (1, -1, -1), (1, 1, -1), (1, 1, 1)]),
        ((-1, 0, 0), [(-1, -1, -1), (-1, -1, 1), (-1, 1, 1), (-1, 1, -1)]),
    ]
    uvs = [(0, 0), (1, 0), (1, 1), (0, 1)]
    vertices, indices = [], []
    for normal, corners in faces:
        base = len(vertices)
        for (x, y, z), (u, v) in zip(corners, uvs):
            vertices.append(f"{x * half_width:.2f} {(y + 1) * 0.5:.1f} {z * half_width:.2f}   "
                            f"{normal[0]:.1f} {normal[1]:.1f} {normal[2]:.1f}   {u:.1f} {v:.1f}")
        indices += [base, base + 1, base + 2, base, base + 2, base + 3]
    lines = ["std_mesh", "3", "3 3 2", str(len(vertices))] + vertices
    lines += [str(len(indices)), " ".join(str(i) for i in indices)]
    return "\n".join(lines) + "\n"


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else "."
    with open(os.path.join(root, "GAME", "Assets", "Tilemaps", "TutorialLevel.txt"), "w") as out:
        out.write(tile_file(ROWS, CODES, GROUPS))
    meshes = os.path.join(root, "GAME", "Assets", "Meshes")
    with open(os.path.join(meshes, "Box.txt"), "w") as out:
        out.write(box_mesh(0.5))
    with open(os.path.join(meshes, "PlayerBody.txt"), "w") as out:
        out.write(box_mesh(0.25))


if __name__ == "__main__":
    main()
