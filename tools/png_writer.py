"""Writes 8-bit RGBA PNG files with the Python standard library only; shared by the asset scripts
in this folder, so that a texture is rebuilt byte for byte from its script."""

import struct
import zlib


def _chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def write_png(path, width, height, rows):
    """`rows` lists the image rows from top to bottom, each a bytes object of RGBA pixels."""
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    raw = b"".join(b"\0" + bytes(row) for row in rows)  # filter type none on every row
    with open(path, "wb") as output:
        output.write(b"\x89PNG\r\n\x1a\n")
        output.write(_chunk(b"IHDR", header))
        output.write(_chunk(b"IDAT", zlib.compress(raw, 9)))
        output.write(_chunk(b"IEND", b""))
