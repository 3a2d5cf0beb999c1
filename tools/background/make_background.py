#!/usr/bin/python3
"""Draws the saver's background picture, resources/background.jpg (1024 x 719), and
the same picture drawn at 1.5x and 2x for screens of 144 and 192 DPI
(resources/background-150.jpg, 1536 x 1079; resources/background-200.jpg, 2048 x 1438).

The window lays its white figure labels over this picture (right edges at x = 571,
Arial 21 px) and draws the ring gauge around (619, 405); the picture carries each
figure's caption left of the widest figure and its unit right of x = 571, the group
headings, the title, and the sentence whose two gaps the from-date and this year's
CO2 fill. Right and bottom edges are exactly the window colour 45,69,0, so a larger
monitor continues the picture without a seam.

Needs Debian's python3-pil and fonts-noto-cjk. With --preview PNG it also renders a
picture of the window with figures and gauge in place (fonts-liberation stands in
for Arial there), for checking that nothing collides.

  tools/background/make_background.py [--out resources/background.jpg] [--scale 1]
                                       [--preview build/background-preview.png]
                                       [--long-figures]
  tools/background/make_background.py --all   # the three pictures into resources/
"""

import argparse
import math
import os
import random

from PIL import Image, ImageDraw, ImageFont

WIDTH, HEIGHT = 1024, 719
# Everything below is given at 1x; the picture is drawn SCALE times as large.
SCALE = 1.0
SCALES = {1.0: "background.jpg", 1.5: "background-150.jpg", 2.0: "background-200.jpg"}
BACKDROP = (45, 69, 0)

CJK_REGULAR = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc"
CJK_BOLD = "/usr/share/fonts/opentype/noto/NotoSansCJK-Bold.ttc"
CJK_TC_FACE = 3  # Noto Sans CJK TC inside the collection: Traditional Chinese glyph forms
ARIAL_LIKE = "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf"

# The window's fixed layout (client coordinates).
LABEL_RIGHT = 571
ROW_TOPS = [120, 161, 203, 252, 294, 340, 380]  # seconds .. this year's CO2
DATE_RIGHT, DATE_TOP = 243, 378
# Room left of the date label's right edge for the widest short date any locale writes
# (in Arial 19 px under Wine: N'Ko's "yyyy / dd / MM" 118 px, bg-BG's "d.MM.yyyy 'г'."
# 117 px, hu-HU's "yyyy. MM. dd." 113 px), with a gap of 10 px before the 自 that opens
# the sentence. kDateRoom in saver/layout.h is
# the same number; a test there measures every locale's date against it.
DATE_ROOM = 128
GAUGE_CENTRE = (619, 405)
GAUGE_OUTER = 290
MOVIE = (128, 408, 170, 170)

# Widest figure we plan for: 12 characters of Arial 21 px ("123456789.12"), about 130 px.
FIGURE_ROOM = 140
CAPTION_RIGHT = LABEL_RIGHT - FIGURE_ROOM - 6
UNIT_LEFT = LABEL_RIGHT + 5

TEXT = (226, 234, 212)
MUTED = (150, 178, 120)
FAINT = (92, 124, 52)

# (caption, unit, unit colour): blue at the top through green and yellow to red.
ROWS = [
    ("本分鐘", "秒", (86, 170, 255)),
    ("本小時", "分", (48, 196, 214)),
    ("累計開機", "小時", (84, 204, 104)),
    ("耗電量", "度", (170, 214, 52)),
    ("電費", "元", (255, 212, 40)),
    ("二氧化碳排放", "公斤", (255, 146, 40)),
    (None, "公斤", (255, 72, 64)),
]
RING_COLOURS = [(0, 104, 183), (0, 160, 233), (23, 144, 45), (142, 195, 31),
                (252, 199, 0), (235, 97, 0), (230, 0, 18)]


def scaled_size():
    """The picture's size: 1024 x 719 times the scale, halves rounded up (as the
    program rounds)."""
    return math.floor(WIDTH * SCALE + 0.5), math.floor(HEIGHT * SCALE + 0.5)


def px(v):
    """A length or coordinate of the 1x layout at the picture's scale."""
    return v * SCALE


def cjk(size, bold=False):
    return ImageFont.truetype(CJK_BOLD if bold else CJK_REGULAR, round(size * SCALE),
                              index=CJK_TC_FACE)


def smoothstep(edge0, edge1, x):
    t = min(max((x - edge0) / (edge1 - edge0), 0.0), 1.0)
    return t * t * (3.0 - 2.0 * t)


def backdrop():
    """The dark green with a soft light behind the figures, a lit disc behind the
    gauge (its dark tracks read as grooves in it) and darker top and left edges."""
    rnd = random.Random(4)
    gx, gy = GAUGE_CENTRE
    pixels = []
    width, height = scaled_size()
    for py in range(height):
        for px_ in range(width):
            x, y = (px_ + 0.5) / SCALE - 0.5, (py + 0.5) / SCALE - 0.5
            glow = 1.0 - smoothstep(60.0, 380.0, math.hypot((x - 430) * 0.85, y - 250))
            halo = 1.0 - smoothstep(200.0, 306.0, math.hypot(x - gx, y - gy))
            lift = max(0.75 * glow, halo)
            # Only the top and left edges darken: right and bottom meet the window colour.
            shade = ((1.0 - smoothstep(0.0, 140.0, x)) * 0.6 * (1.0 - smoothstep(420.0, 700.0, y)) +
                     (1.0 - smoothstep(0.0, 110.0, y)) * 0.5 * (1.0 - smoothstep(640.0, 1000.0, x)))
            shade = min(shade, 1.0)
            d = rnd.random() - 0.5  # dither against banding
            r = BACKDROP[0] + 9.0 * lift - 12.0 * shade + d
            g = BACKDROP[1] + 13.0 * lift - 17.0 * shade + d
            b = BACKDROP[2] + 3.0 * lift + d * (lift > 0.05)
            pixels.append((round(r), round(g), max(0, round(b))))
    image = Image.new("RGB", (width, height))
    image.putdata(pixels)
    return image


def fading_rule(draw, y, x0, x1, colour):
    """A 1 px rule that fades into the backdrop at both ends."""
    for x in range(round(px(x0)), round(px(x1))):
        u = x / SCALE
        t = min(smoothstep(x0, x0 + 60, u), 1.0 - smoothstep(x1 - 80, x1, u))
        draw.rectangle([x, round(px(y)), x, round(px(y + 1)) - 1],
                       fill=tuple(round(b + (c - b) * t) for b, c in zip(BACKDROP, colour)))


def gauge_scale(draw):
    """Tick marks just outside the outer ring over the gauge's 270 degrees: one per
    value step (4.5 degrees), longer every fifth."""
    cx, cy = GAUGE_CENTRE
    for step in range(61):
        a = math.radians(-90.0 + 4.5 * step)
        major = step % 5 == 0
        r0, r1 = GAUGE_OUTER + 7, GAUGE_OUTER + (16 if major else 11)
        draw.line([(px(cx + r0 * math.cos(a)), px(cy + r0 * math.sin(a))),
                   (px(cx + r1 * math.cos(a)), px(cy + r1 * math.sin(a)))],
                  fill=(104, 138, 58) if major else FAINT,
                  width=round((2 if major else 1) * SCALE))


def spaced(draw, xy, text, font, fill, spacing):
    x, y = px(xy[0]), px(xy[1])
    for ch in text:
        draw.text((x, y), ch, font=font, fill=fill, anchor="ls")
        x += font.getlength(ch) + px(spacing)


def artwork():
    image = backdrop()
    draw = ImageDraw.Draw(image)

    # Title block, top left, clear of the gauge (its top is at y = 115).
    draw.text((px(48), px(70)), "電腦耗電即時看板", font=cjk(32, bold=True), fill=(244, 248, 236),
              anchor="ls")
    spaced(draw, (50, 95), "WATTDIAL", cjk(13, bold=True), MUTED, 3.0)
    draw.text((px(140), px(95)), "能源意識螢幕保護程式", font=cjk(13), fill=MUTED, anchor="ls")
    for i, colour in enumerate(RING_COLOURS):  # the gauge's colours as a small key
        draw.rectangle([round(px(48 + i * 15)), round(px(104)), round(px(48 + i * 15 + 13)) - 1,
                        round(px(107)) - 1], fill=colour)

    # Group headings in the left column.
    for top, heading, latin in [(ROW_TOPS[0], "開機時間", "UPTIME"),
                                (ROW_TOPS[3], "耗電與碳排", "ENERGY · CO2")]:
        draw.text((px(48), px(top + 19)), heading, font=cjk(17, bold=True), fill=(196, 218, 160),
                  anchor="ls")
        spaced(draw, (49, top + 37), latin, cjk(10, bold=True), FAINT, 2.0)

    # Captions left of the figures, units right of them; baselines on the labels'
    # baseline (Arial 21 px: 19 px below the label's top).
    caption_font, unit_font = cjk(19), cjk(18, bold=True)
    for top, (caption, unit, colour) in zip(ROW_TOPS, ROWS):
        baseline = top + 19
        if caption:
            draw.text((px(CAPTION_RIGHT), px(baseline)), caption, font=caption_font, fill=TEXT,
                      anchor="rs")
        if top == ROW_TOPS[-1]:
            baseline -= 2  # keeps the last unit above the inner track's end at 9 o'clock
        draw.text((px(UNIT_LEFT), px(baseline)), unit, font=unit_font, fill=colour, anchor="ls")

    # The sentence along the bottom line: 自 <date> 起，累計碳排放量 <number> 公斤.
    sentence_font = cjk(19)
    baseline = ROW_TOPS[-1] + 16
    draw.text((px(DATE_RIGHT - DATE_ROOM), px(baseline)), "自", font=sentence_font, fill=TEXT,
              anchor="rs")
    draw.text((px(DATE_RIGHT + 7), px(baseline)), "起，累計碳排放量", font=sentence_font, fill=TEXT,
              anchor="ls")

    fading_rule(draw, 240, 48, 620, (88, 118, 44))
    fading_rule(draw, 371, 48, 620, (88, 118, 44))
    gauge_scale(draw)

    # Under the movie of the turning earth.
    mx, my, mw, mh = MOVIE
    draw.text((px(mx + mw / 2), px(my + mh + 26)), "愛護地球 · 隨手關機", font=cjk(14), fill=MUTED,
              anchor="ms")
    return image


def preview(image, long_figures):
    """The window as it will look: figures in place and the gauge at tick 100."""
    shot = image.copy()
    draw = ImageDraw.Draw(shot)
    # Gauge (tracks, then value arcs), as the window's renderer draws it.
    ox, oy = GAUGE_CENTRE[0] - 285, GAUGE_CENTRE[1] - 285
    lags = [0, 15, 28, 35, 45, 55, 60]
    for n in range(7):
        c, side = 10 + 43 * n, 550 - 86 * n
        box = [ox + c, oy + c, ox + c + side, oy + c + side]
        draw.arc(box, -90, -90 + (280 if n == 6 else 271), fill=BACKDROP, width=30)
        value = max((100 - lags[n]) % 60, 0)
        if value:
            draw.arc([b + (3 if i < 2 else -3) for i, b in enumerate(box)], -90,
                     -90 + 4.5 * value, fill=RING_COLOURS[n], width=23)
    figures = ["37.452", "12.624", "1234.210", "185.132", "555.395", "115.213", "12345.678"]
    if long_figures:
        figures = ["123456789.12"] * 7
    arial = ImageFont.truetype(ARIAL_LIKE, 21)
    for top, text in zip(ROW_TOPS, figures):
        draw.text((LABEL_RIGHT, top), text, font=arial, fill=(255, 255, 255), anchor="ra")
    date = "12/31/2026" if long_figures else "2026/12/8"
    draw.text((DATE_RIGHT, DATE_TOP), date, font=ImageFont.truetype(ARIAL_LIKE, 19),
              fill=(255, 255, 255), anchor="ra")
    mx, my, mw, mh = MOVIE
    draw.rectangle([mx, my, mx + mw - 1, my + mh - 1], fill=(8, 20, 40))
    draw.ellipse([mx + 25, my + 25, mx + mw - 26, my + mh - 26], fill=(30, 90, 160))
    # A strip of window colour beyond the picture, as on a larger monitor.
    framed = Image.new("RGB", (WIDTH + 60, HEIGHT + 40), BACKDROP)
    framed.paste(shot, (0, 0))
    return framed


def main():
    global SCALE
    root = os.path.normpath(os.path.join(os.path.dirname(__file__), "..", ".."))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(root, "resources", "background.jpg"))
    parser.add_argument("--scale", type=float, default=1.0, choices=sorted(SCALES),
                        help="draw the picture this many times as large")
    parser.add_argument("--all", action="store_true",
                        help="write the picture at every scale into resources/")
    parser.add_argument("--preview", help="also write a PNG of the window with figures in place"
                        " (1x only)")
    parser.add_argument("--long-figures", action="store_true",
                        help="preview with the widest figures and date planned for")
    args = parser.parse_args()

    jobs = ([(scale, os.path.join(root, "resources", name)) for scale, name in SCALES.items()]
            if args.all else [(args.scale, args.out)])
    for scale, out in jobs:
        SCALE = scale
        # Full-resolution colour (no chroma subsampling) keeps the coloured units crisp.
        artwork().save(out, "JPEG", quality=92, subsampling=0, optimize=True)
    if args.preview:
        SCALE = 1.0
        preview(Image.open(jobs[0][1]).convert("RGB"), args.long_figures).save(args.preview)


if __name__ == "__main__":
    main()
