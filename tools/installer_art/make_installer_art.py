#!/usr/bin/python3
"""Draws the installer's pictures from WattDial's own artwork: the gauge's seven
coloured three-quarter rings and the earth of the movie, on the saver's dark green.

  resources/installer-welcome.bmp  164 x 314, the welcome and finish pages
                                   (MUI_WELCOMEFINISHPAGE_BITMAP)
  resources/installer-header.bmp   150 x 57, the other pages' header (MUI_HEADERIMAGE)

The earth is the first globe picture of resources/earth.swf, so the installer shows the
earth the saver plays. Drawn at four times the size and scaled down, with nothing
random: the same inputs give the same files. Needs Debian's python3-pil.

  tools/installer_art/make_installer_art.py [--out-dir resources]
"""

import argparse
import io
import math
import pathlib
import struct
import zlib

from PIL import Image, ImageDraw

BACKDROP = (45, 69, 0)
TRACK = (74, 110, 20)
# The gauge's ring colours, outermost first (saver/ring_raster.h draws them so).
RING_COLOURS = [(0, 104, 183), (0, 160, 233), (23, 144, 45), (142, 195, 31),
                (252, 199, 0), (235, 97, 0), (230, 0, 18)]
# How far round each ring stands in the picture, in degrees of its 270.
RING_VALUES = [250, 205, 160, 230, 120, 180, 90]
SUPERSAMPLE = 4
GLOBE_RADIUS = 74  # of the globe in the movie's 152 x 152 pictures
GLOBE_BOX = 152


def first_globe(swf_path):
    """The first DefineBitsJPEG2 picture of the movie, cut to the globe's disc (RGBA)."""
    data = pathlib.Path(swf_path).read_bytes()
    if data[:3] == b"CWS":
        body = zlib.decompress(data[8:])
    elif data[:3] == b"FWS":
        body = data[8:]
    else:
        raise SystemExit(f"{swf_path}: not a movie this script reads")
    nbits = body[0] >> 3
    pos = (5 + 4 * nbits + 7) // 8 + 4  # the stage rectangle, frame rate and count
    while pos < len(body):
        code, = struct.unpack_from("<H", body, pos)
        kind, length = code >> 6, code & 0x3F
        pos += 2
        if length == 0x3F:
            length, = struct.unpack_from("<I", body, pos)
            pos += 4
        if kind == 21:  # DefineBitsJPEG2: character id, then the JPEG
            jpeg = body[pos + 2:pos + length]
            if jpeg.startswith(b"\xff\xd9\xff\xd8"):  # an empty stream before the real one
                jpeg = jpeg[4:]
            picture = Image.open(io.BytesIO(jpeg)).convert("RGB")
            mask = Image.new("L", (GLOBE_BOX * SUPERSAMPLE,) * 2, 0)
            c = GLOBE_BOX * SUPERSAMPLE / 2
            r = GLOBE_RADIUS * SUPERSAMPLE
            ImageDraw.Draw(mask).ellipse([c - r, c - r, c + r, c + r], fill=255)
            mask = mask.resize(picture.size, Image.LANCZOS)
            picture.putalpha(mask)
            return picture.crop([round(GLOBE_BOX / 2 - GLOBE_RADIUS - 1)] * 2 +
                                [round(GLOBE_BOX / 2 + GLOBE_RADIUS + 1)] * 2)
        if kind == 0:
            break
        pos += length
    raise SystemExit(f"{swf_path}: no globe picture found")


def backdrop(width, height):
    """The saver's dark green, a little lighter towards the top."""
    image = Image.new("RGB", (width, height), BACKDROP)
    draw = ImageDraw.Draw(image)
    for y in range(height):
        t = 1 - y / max(height - 1, 1)
        colour = tuple(round(b + (l - b) * 0.35 * t * t) for b, l in zip(BACKDROP, TRACK))
        draw.line([(0, y), (width, y)], fill=colour)
    return image


def gauge(draw, centre, outer, ring_width, gap, rings):
    """Three-quarter rings from 12 o'clock clockwise: the track, then the value."""
    cx, cy = centre
    for n, (colour, value) in enumerate(rings):
        radius = outer - n * (ring_width + gap) - ring_width / 2
        box = [cx - radius, cy - radius, cx + radius, cy + radius]
        inset = ring_width * 0.12
        draw.arc([b - ring_width / 2 for b in box[:2]] + [b + ring_width / 2 for b in box[2:]],
                 -90, 180, fill=TRACK, width=round(ring_width))
        draw.arc([b - ring_width / 2 + inset for b in box[:2]] +
                 [b + ring_width / 2 - inset for b in box[2:]],
                 -90, -90 + value, fill=colour, width=round(ring_width - 2 * inset))


def picture(width, height, gauge_centre, gauge_outer, ring_width, gap, rings, globe,
            globe_centre, globe_diameter):
    s = SUPERSAMPLE
    image = backdrop(width * s, height * s)
    gauge(ImageDraw.Draw(image), (gauge_centre[0] * s, gauge_centre[1] * s), gauge_outer * s,
          ring_width * s, gap * s, rings)
    side = round(globe_diameter * s)
    earth = globe.resize((side, side), Image.LANCZOS)
    image.paste(earth, (round(globe_centre[0] * s - side / 2), round(globe_centre[1] * s - side / 2)),
                earth)
    return image.resize((width, height), Image.LANCZOS)


def main():
    root = pathlib.Path(__file__).resolve().parents[2]
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out-dir", default=str(root / "resources"))
    parser.add_argument("--movie", default=str(root / "resources" / "earth.swf"))
    args = parser.parse_args()
    out = pathlib.Path(args.out_dir)
    globe = first_globe(args.movie)

    # Welcome and finish pages: the gauge above, the earth below it.
    welcome = picture(164, 314, gauge_centre=(82, 112), gauge_outer=72, ring_width=7.5, gap=2.2,
                      rings=list(zip(RING_COLOURS, RING_VALUES)), globe=globe,
                      globe_centre=(82, 240), globe_diameter=104)
    welcome.save(out / "installer-welcome.bmp")

    # Header: the earth, and the gauge's three outer rings beside it.
    header = picture(150, 57, gauge_centre=(118, 28.5), gauge_outer=24, ring_width=5, gap=1.6,
                     rings=list(zip(RING_COLOURS, RING_VALUES))[:4], globe=globe,
                     globe_centre=(66, 28.5), globe_diameter=46)
    header.save(out / "installer-header.bmp")


if __name__ == "__main__":
    main()
