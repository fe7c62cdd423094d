#!/usr/bin/python3
"""Writes the ring model the hands hold, a torus in the engine's text mesh format:

    GAME/Assets/Meshes/RingTorus.txt

The ring's hole runs along the local x axis, so the band lies in the y-z plane: the ring slots of
the hands turn local x towards the viewer, and a ring seen there shows its round face. Major
radius 0.5 (the band's centre line), tube radius 0.16, 32 steps around the ring and 12 around the
tube. Each vertex carries position, normal and texture coordinates: u runs once around the ring,
v once around the tube (v = 0.5 on the outer rim), so the band texture shades the tube. Triangles
wind counter-clockwise seen from outside, as the renderer culls back faces. Only the standard
library is used; the output is the same on every run.

    /usr/bin/python3 tools/make_ring_mesh.py [repository root]
"""

import math
import os
import sys

MAJOR_RADIUS = 0.5
TUBE_RADIUS = 0.16
RING_STEPS = 32
TUBE_STEPS = 12


def number(value):
    text = "%.5f" % value
    return "0.00000" if text == "-0.00000" else text


def torus():
    vertices = []
    for i in range(RING_STEPS + 1):
        around = 2.0 * math.pi * i / RING_STEPS
        # The band's centre line circles the x axis in the y-z plane.
        radial = (0.0, math.cos(around), math.sin(around))
        for j in range(TUBE_STEPS + 1):
            tube = 2.0 * math.pi * j / TUBE_STEPS
            # j = 0 on the inner rim, TUBE_STEPS / 2 on the outer rim.
            outward = -math.cos(tube)
            sideways = math.sin(tube)
            normal = (sideways, radial[1] * outward, radial[2] * outward)
            position = tuple(MAJOR_RADIUS * r + TUBE_RADIUS * n for r, n in zip(radial, normal))
            vertices.append((position, normal, (i / RING_STEPS, j / TUBE_STEPS)))
    indices = []
    row = TUBE_STEPS + 1
    for i in range(RING_STEPS):
        for j in range(TUBE_STEPS):
            a = i * row + j
            b = (i + 1) * row + j
            indices += [a, a + 1, b, b, a + 1, b + 1]
    return vertices, indices


def check_winding(vertices, indices):
    """Every triangle must face along its vertices' normals (counter-clockwise from outside)."""
    for t in range(0, len(indices), 3):
        p = [vertices[k][0] for k in indices[t:t + 3]]
        e1 = [p[1][c] - p[0][c] for c in range(3)]
        e2 = [p[2][c] - p[0][c] for c in range(3)]
        face = (e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                e1[0] * e2[1] - e1[1] * e2[0])
        normal = vertices[indices[t]][1]
        if sum(f * n for f, n in zip(face, normal)) <= 0.0:
            raise SystemExit("triangle %d winds the wrong way" % (t // 3))


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    vertices, indices = torus()
    check_winding(vertices, indices)
    lines = ["std_mesh", "3", "3 3 2", str(len(vertices))]
    for position, normal, uv in vertices:
        lines.append("   ".join(" ".join(number(v) for v in part)
                                for part in (position, normal, uv)))
    lines.append(str(len(indices)))
    for start in range(0, len(indices), 24):
        lines.append(" ".join(str(k) for k in indices[start:start + 24]))
    path = os.path.join(root, "GAME", "Assets", "Meshes", "RingTorus.txt")
    with open(path, "w", newline="\n") as output:
        output.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
