#!/usr/bin/python3
"""Writes earth.swf: a globe turning west to east on the saver's dark green.

The globe is an orthographic view of NASA's Blue Marble map that Debian's
xplanet-images package installs, lit from the upper left with a soft
terminator, a sheen on the oceans and a blue haze at the limb, inside a thin
atmosphere glow. See README.md for how to run it.

Movie layout (170 x 170 px stage):
  frame 1: SetBackgroundColor, FileAttributes, the glow (one opaque
           DefineBitsLossless2 bitmap of the whole stage, shown by a rectangle
           at depth 1), then the first globe picture;
  each frame: one DefineBitsJPEG2 with the globe's square, a DefineShape
           circle filled with it (clipped bitmap fill at 1:1 pixel scale),
           placed at depth 2 (later frames replace the character at depth 2
           with PlaceObject2's move flag), ShowFrame.
The last frame is one step before the first, so the loop is seamless.
"""

import argparse
import io
import math
import os
import sys

import numpy as np
from PIL import Image

sys.dont_write_bytecode = True  # keep the source folder clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import swfwriter as swf  # noqa: E402

STAGE = 170
BACKDROP = (45, 69, 0)
CENTRE = STAGE / 2.0  # globe centre in stage pixels
RADIUS = 74.0  # globe radius in pixels
GLOBE_BOX = 152  # side of the globe picture; centred on the globe
VIEW_LAT = 18.0  # latitude under the viewer, degrees
START_LON = 10.0  # longitude facing the viewer in frame 1
LIGHT = np.array([-0.50, 0.42, 0.76])  # towards the light, view space (x right, y up, z out)
HAZE = np.array([0.42, 0.62, 1.00])  # atmosphere colour, linear light
GLOW_RGB = np.array([120, 180, 255]) / 255.0
DEFAULT_MAP = "/usr/share/xplanet/images/earth.jpg"
SUPER = 3  # supersampling per axis
SUBSAMPLING = 0  # JPEG chroma: 0 keeps full colour resolution (4:4:4), 2 halves it (4:2:0)


def srgb_to_linear(c):
    return np.where(c <= 0.04045, c / 12.92, ((c + 0.055) / 1.055) ** 2.4)


def linear_to_srgb(c):
    c = np.clip(c, 0.0, 1.0)
    return np.where(c <= 0.0031308, c * 12.92, 1.055 * c ** (1 / 2.4) - 0.055)


class EarthMap:
    def __init__(self, path):
        img = Image.open(path).convert("RGB")
        self.rgb = srgb_to_linear(np.asarray(img, dtype=np.float32) / 255.0)
        self.h, self.w = self.rgb.shape[:2]
        r, g, b = self.rgb[..., 0], self.rgb[..., 1], self.rgb[..., 2]
        # Oceans are the dark blue parts of the map; they get a sun glint.
        self.ocean = np.clip((b - np.maximum(r, g) * 1.6) * 12.0, 0.0, 1.0)

    def sample(self, lat, lon):
        """Bilinear sample at degrees; longitude wraps, latitude clamps."""
        u = ((lon + 180.0) / 360.0 * self.w - 0.5) % self.w
        v = np.clip((90.0 - lat) / 180.0 * self.h - 0.5, 0, self.h - 1.001)
        u0 = np.floor(u).astype(int)
        v0 = np.floor(v).astype(int)
        fu = (u - u0)[..., None]
        fv = (v - v0)[..., None]
        u1 = (u0 + 1) % self.w
        v1 = v0 + 1

        def lerp(img):
            a = img[v0, u0] * (1 - fu) + img[v0, u1] * fu
            b = img[v1, u0] * (1 - fu) + img[v1, u1] * fu
            return a * (1 - fv) + b * fv

        rgb = lerp(self.rgb)
        ocean = lerp(self.ocean[..., None])[..., 0]
        return rgb, ocean


def render_globe(earth, centre_lon):
    """The globe's square picture (GLOBE_BOX px, sRGB uint8) for one frame.

    Pixels outside the disc carry the rim's colour outwards so the JPEG has no
    hard edge to ring around; the movie's circle shape cuts them off.
    """
    n = GLOBE_BOX * SUPER
    origin = CENTRE - GLOBE_BOX / 2.0  # stage pixel of the box's left/top edge
    s = (np.arange(n) + 0.5) / SUPER + origin  # stage coordinates of subpixels
    x = (s[None, :] - CENTRE) / RADIUS
    y = (CENTRE - s[:, None]) / RADIUS
    x, y = np.broadcast_arrays(x, y)
    r = np.hypot(x, y)
    clamp = np.minimum(1.0, 0.9995 / np.maximum(r, 1e-9))
    x = x * clamp
    y = y * clamp
    z = np.sqrt(np.maximum(0.0, 1.0 - x * x - y * y))

    lat0 = math.radians(VIEW_LAT)
    ex = x
    ey = y * math.cos(lat0) + z * math.sin(lat0)
    ez = -y * math.sin(lat0) + z * math.cos(lat0)
    lat = np.degrees(np.arcsin(np.clip(ey, -1, 1)))
    lon = centre_lon + np.degrees(np.arctan2(ex, ez))
    lon = (lon + 180.0) % 360.0 - 180.0
    rgb, ocean = earth.sample(lat, lon)

    light = LIGHT / np.linalg.norm(LIGHT)
    ndl = x * light[0] + y * light[1] + z * light[2]
    # Soft terminator: full light on the near side, dim but readable night.
    day = np.clip((ndl + 0.25) / 1.25, 0.0, 1.0) ** 1.2
    shade = 0.10 + 1.05 * day
    half = light + np.array([0.0, 0.0, 1.0])
    half /= np.linalg.norm(half)
    ndh = np.maximum(0.0, x * half[0] + y * half[1] + z * half[2])
    glint = 0.16 * ocean * ndh**90

    col = rgb * shade[..., None] + glint[..., None]
    # Atmosphere: blue haze thickening towards the limb, lit like the ground.
    limb = (1.0 - z) ** 2.2
    haze = (0.10 + 0.55 * limb) * (0.25 + 0.75 * day)
    col = col * (1.0 - 0.6 * limb[..., None]) + HAZE[None, None, :] * haze[..., None] * 0.5

    col = col.reshape(GLOBE_BOX, SUPER, GLOBE_BOX, SUPER, 3).mean(axis=(1, 3))
    return (linear_to_srgb(col) * 255.0 + 0.5).astype(np.uint8)


def render_glow():
    """The whole stage: backdrop with the atmosphere's glow around the disc,
    opaque, sRGB uint8 (STAGE x STAGE x 3)."""
    n = STAGE * SUPER
    s = (np.arange(n) + 0.5) / SUPER
    dx = s[None, :] - CENTRE
    dy = s[:, None] - CENTRE
    r = np.hypot(dx, dy)
    out = np.maximum(r - RADIUS, 0.0)
    light = LIGHT[:2] / np.linalg.norm(LIGHT[:2])
    facing = (dx * light[0] - dy * light[1]) / np.maximum(r, 1e-9)  # +1 towards the light
    alpha = 0.75 * np.exp(-out / 2.2) * (0.45 + 0.55 * (facing + 1.0) / 2.0)
    alpha = np.where(out > 9.0, 0.0, alpha)
    back = srgb_to_linear(np.array(BACKDROP) / 255.0)
    glow = srgb_to_linear(GLOW_RGB)
    col = back * (1.0 - alpha[..., None]) + glow * alpha[..., None]
    col = col.reshape(STAGE, SUPER, STAGE, SUPER, 3).mean(axis=(1, 3))
    img = (linear_to_srgb(col) * 255.0 + 0.5).astype(np.uint8)
    # Far from the globe the stage must be exactly the backdrop.
    far = np.hypot(*np.meshgrid(np.arange(STAGE) + 0.5 - CENTRE, np.arange(STAGE) + 0.5 - CENTRE)) > RADIUS + 10
    img[far] = BACKDROP
    return img


def jpeg_bytes(rgb, quality):
    buf = io.BytesIO()
    Image.fromarray(rgb, "RGB").save(buf, "JPEG", quality=quality, subsampling=SUBSAMPLING, optimize=True, progressive=False)
    return buf.getvalue()


def build(args):
    earth = EarthMap(args.map)
    tw = swf.TWIPS
    tags = [
        swf.file_attributes(0),
        swf.set_background_color(*BACKDROP),
    ]
    glow = render_glow()
    argb = np.concatenate([np.full(glow.shape[:2] + (1,), 255, np.uint8), glow], axis=2)
    tags.append(swf.define_bits_lossless2(1, STAGE, STAGE, argb.tobytes()))
    tags.append(
        swf.define_shape(
            2,
            (0, STAGE * tw, 0, STAGE * tw),
            ("bitmap", 1, float(tw), float(tw), 0, 0),
            [swf.rect_path(0, 0, STAGE * tw, STAGE * tw)],
        )
    )
    tags.append(swf.place_object2(1, char_id=2))

    box0 = int(round((CENTRE - GLOBE_BOX / 2.0) * tw))
    cx = cy = int(round(CENTRE * tw))
    rad = RADIUS * tw
    bounds = (int(cx - rad), int(math.ceil(cx + rad)), int(cy - rad), int(math.ceil(cy + rad)))
    next_id = 3
    frames = []
    for k in range(args.frames):
        lon = START_LON - 360.0 * k / args.frames  # the view drifts west: the ground moves east
        pic = render_globe(earth, lon)
        frames.append(pic)
        jpg = jpeg_bytes(pic, args.quality)
        bid, sid = next_id, next_id + 1
        next_id += 2
        tags.append(swf.define_bits_jpeg2(bid, jpg))
        tags.append(
            swf.define_shape(
                sid,
                bounds,
                ("bitmap", bid, float(tw), float(tw), box0, box0),
                [swf.circle_path(cx, cy, rad, segments=16)],
            )
        )
        tags.append(swf.place_object2(2, char_id=sid, move=(k > 0)))
        tags.append(swf.show_frame())
        if args.verbose:
            print(f"frame {k + 1}/{args.frames}: {len(jpg)} bytes", file=sys.stderr)
    tags.append(swf.end())
    data = swf.movie(tags, STAGE, STAGE, args.fps, args.frames, version=8, compress=args.compress)
    with open(args.output, "wb") as f:
        f.write(data)

    if args.frames_dir:
        os.makedirs(args.frames_dir, exist_ok=True)
        for k in range(0, args.frames):
            img = composite(glow, frames[k])
            Image.fromarray(img).save(os.path.join(args.frames_dir, f"frame{k + 1:03d}.png"))
    return data


def composite(glow, pic):
    """What the movie shows for one frame, from the generator's own pictures:
    the globe picture over the glow, inside an anti-aliased disc."""
    n = STAGE * 4
    s = (np.arange(n) + 0.5) / 4
    inside = (np.hypot(s[None, :] - CENTRE, s[:, None] - CENTRE) <= RADIUS).astype(np.float32)
    cover = inside.reshape(STAGE, 4, STAGE, 4).mean(axis=(1, 3))[..., None]
    o = int(round(CENTRE - GLOBE_BOX / 2.0))
    full = glow.astype(np.float32).copy()
    globe = np.zeros_like(full)
    globe[o : o + GLOBE_BOX, o : o + GLOBE_BOX] = pic
    return (full * (1 - cover) + globe * cover + 0.5).astype(np.uint8)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    root = os.path.dirname(os.path.dirname(here))
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--map", default=DEFAULT_MAP, help="equirectangular earth map (default: %(default)s)")
    ap.add_argument("-o", "--output", default=os.path.join(root, "resources", "earth.swf"))
    ap.add_argument("--frames", type=int, default=120, help="frames per turn (default: %(default)s)")
    ap.add_argument("--fps", type=float, default=20.0, help="frame rate (default: %(default)s)")
    ap.add_argument("--quality", type=int, default=80, help="JPEG quality (default: %(default)s)")
    ap.add_argument("--compress", action="store_true", help="write a zlib-compressed CWS file")
    ap.add_argument("--frames-dir", help="also write the generator's own picture of every frame here")
    ap.add_argument("-v", "--verbose", action="store_true")
    args = ap.parse_args()
    if not os.path.exists(args.map):
        sys.exit(f"{args.map}: not found (install Debian's xplanet-images, or pass --map)")
    data = build(args)
    print(f"{args.output}: {len(data)} bytes, {args.frames} frames at {args.fps:g} fps")


if __name__ == "__main__":
    main()
