#!/usr/bin/python3
"""Draws the settings dialog's artwork into resources/: its 48 x 48 icon (dialog.ico),
the four 16 x 16 tab images (tab0.ico .. tab3.ico: statistics chart, clock, settings
sliders, globe) and the three 16 x 16 button glyphs (glyph_ok.ico, glyph_close.ico,
glyph_cancel.ico). Needs Pillow."""
import math
import pathlib

from PIL import Image, ImageDraw

BACKDROP = (45, 69, 0, 255)
GREEN = (142, 195, 31, 255)
BLUE = (0, 160, 233, 255)
RED = (230, 0, 18, 255)
YELLOW = (255, 200, 0, 255)
DARK = (40, 40, 40, 255)
SCALE = 8  # drawn large, then reduced: smooth edges


def canvas(size):
    return Image.new("RGBA", (size * SCALE, size * SCALE), (0, 0, 0, 0))


def done(img, size):
    return img.resize((size, size), Image.LANCZOS)


def s(*values):
    return [v * SCALE for v in values]


def dialog_icon():
    img = canvas(48)
    d = ImageDraw.Draw(img)
    d.rounded_rectangle(s(2, 2, 46, 46), radius=9 * SCALE, fill=BACKDROP)
    # A dial: the gauge's three-quarter ring with its needle, and a lightning bolt.
    d.arc(s(8, 8, 40, 40), start=135, end=405, fill=(74, 110, 20, 255), width=5 * SCALE)
    d.arc(s(8, 8, 40, 40), start=135, end=300, fill=GREEN, width=5 * SCALE)
    bolt = [(26, 12), (17, 27), (23, 27), (20, 38), (31, 22), (25, 22), (28, 12)]
    d.polygon([(x * SCALE, y * SCALE) for x, y in bolt], fill=YELLOW)
    return done(img, 48)


def tab_chart():
    img = canvas(16)
    d = ImageDraw.Draw(img)
    for i, (h, c) in enumerate(((6, BLUE), (10, GREEN), (4, RED), (13, YELLOW))):
        d.rectangle(s(1 + i * 3.6, 15 - h, 3.8 + i * 3.6, 15), fill=c)
    return done(img, 16)


def tab_clock():
    img = canvas(16)
    d = ImageDraw.Draw(img)
    d.ellipse(s(1, 1, 15, 15), fill=(255, 255, 255, 255), outline=DARK, width=SCALE + 4)
    d.line(s(8, 8, 8, 3.5), fill=DARK, width=SCALE + 4)
    d.line(s(8, 8, 11.5, 9.5), fill=DARK, width=SCALE + 4)
    return done(img, 16)


def tab_sliders():
    img = canvas(16)
    d = ImageDraw.Draw(img)
    for y, x, c in ((3.5, 5, BLUE), (8, 11, GREEN), (12.5, 7, RED)):
        d.line(s(1.5, y, 14.5, y), fill=DARK, width=SCALE + 4)
        d.ellipse(s(x - 2.3, y - 2.3, x + 2.3, y + 2.3), fill=c, outline=DARK, width=4)
    return done(img, 16)


def tab_globe():
    img = canvas(16)
    d = ImageDraw.Draw(img)
    d.ellipse(s(1, 1, 15, 15), fill=BLUE)
    d.polygon([(x * SCALE, y * SCALE) for x, y in ((4, 4), (8, 3), (9, 7), (6, 10), (4, 8))],
              fill=GREEN)
    d.polygon([(x * SCALE, y * SCALE) for x, y in ((10, 9), (13, 8), (13, 12), (10, 13))],
              fill=GREEN)
    d.ellipse(s(1, 1, 15, 15), outline=DARK, width=SCALE)
    return done(img, 16)


def glyph_ok():
    img = canvas(16)
    d = ImageDraw.Draw(img)
    d.line([(x * SCALE, y * SCALE) for x, y in ((2.5, 8.5), (6.5, 12.5), (13.5, 3.5))],
           fill=(0, 150, 0, 255), width=3 * SCALE, joint="curve")
    return done(img, 16)


def glyph_close():
    img = canvas(16)
    d = ImageDraw.Draw(img)
    d.rectangle(s(2, 1.5, 10, 14.5), fill=(170, 110, 50, 255), outline=DARK, width=SCALE)
    d.ellipse(s(7, 7.2, 8.6, 8.8), fill=YELLOW)
    d.line(s(9, 8, 15, 8), fill=(0, 120, 200, 255), width=2 * SCALE)
    d.polygon([(x * SCALE, y * SCALE) for x, y in ((15.5, 8), (12.5, 5), (12.5, 11))],
              fill=(0, 120, 200, 255))
    return done(img, 16)


def glyph_cancel():
    img = canvas(16)
    d = ImageDraw.Draw(img)
    d.line(s(3, 3, 13, 13), fill=RED, width=3 * SCALE)
    d.line(s(13, 3, 3, 13), fill=RED, width=3 * SCALE)
    return done(img, 16)


def main():
    out = pathlib.Path(__file__).resolve().parents[2] / "resources"
    dialog_icon().save(out / "dialog.ico", sizes=[(48, 48)])
    for i, draw in enumerate((tab_chart, tab_clock, tab_sliders, tab_globe)):
        draw().save(out / f"tab{i}.ico", sizes=[(16, 16)])
    glyph_ok().save(out / "glyph_ok.ico", sizes=[(16, 16)])
    glyph_close().save(out / "glyph_close.ico", sizes=[(16, 16)])
    glyph_cancel().save(out / "glyph_cancel.ico", sizes=[(16, 16)])


if __name__ == "__main__":
    main()
