#!/usr/bin/env python3
"""Draws the program icon, resources/wattdial.ico: three of the gauge's coloured
three-quarter rings on the dark green backdrop. Needs ImageMagick for the .ico step."""
import math
import pathlib
import struct
import subprocess
import tempfile
import zlib

SIZE = 256
BACKDROP = (45, 69, 0)
TRACK = (74, 110, 20)
# radius, ring width, track sweep, value sweep, value colour
RINGS = [(92, 26, 271, 200, (0, 160, 233)), (56, 26, 271, 120, (142, 195, 31)),
         (22, 22, 280, 60, (230, 0, 18))]


def coverage(d):
    """Anti-aliased coverage of a pixel at signed distance d from an edge."""
    return max(0.0, min(1.0, 0.5 - d))


def pixel(x, y):
    cx = cy = SIZE / 2
    # Rounded square backdrop.
    r, inset = 48, 8
    qx = max(abs(x - cx) - (cx - inset - r), 0)
    qy = max(abs(y - cy) - (cy - inset - r), 0)
    alpha = coverage(math.hypot(qx, qy) - r)
    colour = BACKDROP
    dist = math.hypot(x - cx, y - cy)
    angle = (math.degrees(math.atan2(y - cy, x - cx)) + 90) % 360  # clockwise from 12 o'clock
    for radius, width, track, value, value_colour in RINGS:
        for sweep, c, w in ((track, TRACK, width), (value, value_colour, width * 0.75)):
            a = coverage(abs(dist - radius) - w / 2) * (1.0 if angle <= sweep else 0.0)
            colour = tuple(round(colour[i] * (1 - a) + c[i] * a) for i in range(3))
    return colour + (round(alpha * 255),)


def write_png(path):
    rows = b"".join(b"\0" + b"".join(bytes(pixel(x + 0.5, y + 0.5)) for x in range(SIZE))
                    for y in range(SIZE))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(
            ">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b"")
    pathlib.Path(path).write_bytes(png)


def main():
    root = pathlib.Path(__file__).resolve().parents[2]
    with tempfile.TemporaryDirectory() as tmp:
        png = pathlib.Path(tmp) / "icon.png"
        write_png(png)
        subprocess.run(["convert", str(png), "-define", "icon:auto-resize=256,48,32,16",
                        str(root / "resources" / "wattdial.ico")], check=True)


if __name__ == "__main__":
    main()
