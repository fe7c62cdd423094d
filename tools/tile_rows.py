"""Tile map files from rows of characters, one character per tile (row 0 is the most negative z):
the engine's text format with the palette codes of a character table, an empty second layer,
walls ('#') that clip and stand 1.0 high, and the tile group of a character table (0 when the
character has none). Used by the level scripts beside it."""


def tile_file(rows, codes, groups):
    width, height = len(rows[0]), len(rows)
    assert all(len(row) == width for row in rows)
    lines = [f"{width} {height}", "n"]
    layer1 = [" ".join(codes[c] for c in row) for row in rows]
    layer2 = [" ".join("0" for _ in row) for row in rows]
    clip = [" ".join("1" if c == "#" else "0" for c in row) for row in rows]
    heights = [" ".join("1.0" if c == "#" else "0.0" for c in row) for row in rows]
    group_rows = [" ".join(str(groups.get(c, 0)) for c in row) for row in rows]
    return "\n".join(lines + layer1 + layer2 + clip + heights + group_rows) + "\n"
