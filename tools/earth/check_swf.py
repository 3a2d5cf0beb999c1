#!/usr/bin/python3
"""Reads a script-free SWF back and checks it, independently of the writer.

Parses the header and every tag (bounds-checked), checks the tag set the
earth movie may use, character definitions before use, JPEG and lossless
bitmaps, shape records down to the end record, the display list per frame,
and renders chosen frames with a small reference rasteriser (shapes flattened
to polygons, 4 x 4 supersampled coverage, clipped bitmap fills through the
inverse fill matrix, nearest pixel). Optionally compares the rendering with
the generator's own pictures and writes a contact sheet.

  check_swf.py MOVIE.swf [--frames 1,30,60] [--sheet OUT.png]
               [--compare DIR_WITH_frameNNN.png]
"""

import argparse
import io
import os
import struct
import sys
import zlib

import numpy as np
from PIL import Image, ImageDraw

ALLOWED = {0: "End", 1: "ShowFrame", 2: "DefineShape", 9: "SetBackgroundColor",
           21: "DefineBitsJPEG2", 26: "PlaceObject2", 28: "RemoveObject2",
           32: "DefineShape3", 36: "DefineBitsLossless2", 69: "FileAttributes"}


class Bad(Exception):
    pass


class Bits:
    def __init__(self, data, pos=0):
        self.data, self.pos, self.bit = data, pos, 0

    def ub(self, n):
        v = 0
        for _ in range(n):
            if self.pos >= len(self.data):
                raise Bad("bit field runs past the end of its tag")
            v = (v << 1) | ((self.data[self.pos] >> (7 - self.bit)) & 1)
            self.bit += 1
            if self.bit == 8:
                self.bit, self.pos = 0, self.pos + 1
        return v

    def sb(self, n):
        v = self.ub(n)
        return v - (1 << n) if n and v >> (n - 1) else v

    def align(self):
        if self.bit:
            self.bit, self.pos = 0, self.pos + 1

    def u8(self):
        self.align()
        return self.ub(8)

    def u16(self):
        self.align()
        return self.u8() | (self.u8() << 8)


def read_rect(b):
    n = b.ub(5)
    r = [b.sb(n) for _ in range(4)]
    b.align()
    return r


def read_matrix(b):
    b.align()
    a, d, bb, c = 1.0, 1.0, 0.0, 0.0
    if b.ub(1):
        n = b.ub(5)
        a, d = b.sb(n) / 65536.0, b.sb(n) / 65536.0
    if b.ub(1):
        n = b.ub(5)
        bb, c = b.sb(n) / 65536.0, b.sb(n) / 65536.0
    n = b.ub(5)
    tx, ty = b.sb(n), b.sb(n)
    b.align()
    # x' = a*x + c*y + tx ; y' = bb*x + d*y + ty
    return np.array([[a, c, tx], [bb, d, ty], [0, 0, 1.0]])


def read_shape(body, version):
    b = Bits(body)
    sid = b.u16()
    bounds = read_rect(b)

    def fill_styles():
        count = b.u8()
        if count == 0xFF and version >= 2:
            count = b.u16()
        styles = []
        for _ in range(count):
            t = b.u8()
            if t == 0x00:
                col = tuple(b.u8() for _ in range(4 if version >= 3 else 3))
                styles.append(("solid", col[:3] + ((col[3],) if len(col) > 3 else (255,))))
            elif t in (0x40, 0x41, 0x42, 0x43):
                bid = b.u16()
                styles.append(("bitmap", bid, read_matrix(b), t))
            else:
                raise Bad(f"shape {sid}: fill type 0x{t:02x} not expected in this movie")
        return styles

    def line_styles():
        count = b.u8()
        if count == 0xFF:
            count = b.u16()
        for _ in range(count):
            b.u16()
            for _ in range(4 if version >= 3 else 3):
                b.u8()
        return count

    fills = fill_styles()
    nlines = line_styles()
    b.align()
    nfb, nlb = b.ub(4), b.ub(4)
    paths = []  # (fill0, fill1, [points])
    x = y = 0
    f0 = f1 = 0
    cur = None
    while True:
        if b.ub(1) == 0:
            flags = b.ub(5)
            if flags == 0:
                break
            if cur and len(cur[2]) > 1:
                paths.append(cur)
            if flags & 1:
                n = b.ub(5)
                x, y = b.sb(n), b.sb(n)
            if flags & 2:
                f0 = b.ub(nfb)
            if flags & 4:
                f1 = b.ub(nfb)
            if flags & 8:
                b.ub(nlb)
            if flags & 16:
                fills = fill_styles()
                nlines = line_styles()
                nfb, nlb = b.ub(4), b.ub(4)
            cur = (f0, f1, [(x, y)])
        else:
            if cur is None:
                cur = (f0, f1, [(x, y)])
            straight = b.ub(1)
            n = b.ub(4) + 2
            if straight:
                if b.ub(1):
                    x, y = x + b.sb(n), y + b.sb(n)
                elif b.ub(1):
                    y += b.sb(n)
                else:
                    x += b.sb(n)
                cur[2].append((x, y))
            else:
                cx, cy = x + b.sb(n), y + b.sb(n)
                ax, ay = cx + b.sb(n), cy + b.sb(n)
                for i in range(1, 9):
                    t = i / 8.0
                    cur[2].append(((1 - t) ** 2 * x + 2 * t * (1 - t) * cx + t * t * ax,
                                   (1 - t) ** 2 * y + 2 * t * (1 - t) * cy + t * t * ay))
                x, y = ax, ay
    if cur and len(cur[2]) > 1:
        paths.append(cur)
    b.align()
    if b.pos != len(body):
        raise Bad(f"shape {sid}: {len(body) - b.pos} bytes after the end record")
    for f0_, f1_, pts in paths:
        if pts[0] != pts[-1]:
            raise Bad(f"shape {sid}: open path")
        for f in (f0_, f1_):
            if f > len(fills):
                raise Bad(f"shape {sid}: fill index {f} out of range")
        # FillStyle1 lies right of the direction of travel (y down), so a
        # contour filled only by style 1 runs clockwise on screen.
        area = sum(x0 * y1 - x1 * y0 for (x0, y0), (x1, y1) in zip(pts, pts[1:]))
        if (f1_ and not f0_ and area <= 0) or (f0_ and not f1_ and area >= 0):
            raise Bad(f"shape {sid}: contour runs the wrong way for its fill side")
    del nlines
    return sid, bounds, fills, paths


class Movie:
    def __init__(self, data):
        if len(data) < 8 or data[:3] not in (b"FWS", b"CWS"):
            raise Bad("not an FWS/CWS file")
        self.version = data[3]
        (length,) = struct.unpack("<I", data[4:8])
        if data[:3] == b"CWS":
            body = zlib.decompress(data[8:])
            self.compressed = True
        else:
            body = data[8:]
            self.compressed = False
        if 8 + len(body) != length:
            raise Bad(f"header length {length} but file holds {8 + len(body)}")
        b = Bits(body)
        self.stage = read_rect(b)
        pos = b.pos
        rate, self.frame_count = struct.unpack("<HH", body[pos:pos + 4])
        self.fps = rate / 256.0
        pos += 4
        self.tags = []
        while True:
            if pos + 2 > len(body):
                raise Bad("tag header past the end of the file")
            (code_len,) = struct.unpack("<H", body[pos:pos + 2])
            code, ln = code_len >> 6, code_len & 0x3F
            pos += 2
            if ln == 0x3F:
                if pos + 4 > len(body):
                    raise Bad("long tag header past the end of the file")
                (ln,) = struct.unpack("<I", body[pos:pos + 4])
                pos += 4
            if pos + ln > len(body):
                raise Bad(f"tag {code} of {ln} bytes runs past the end of the file")
            self.tags.append((code, body[pos:pos + ln]))
            pos += ln
            if code == 0:
                break
        if pos != len(body):
            raise Bad(f"{len(body) - pos} bytes after the End tag")
        self._interpret()

    def _interpret(self):
        self.background = None
        self.chars = {}
        self.frames = []  # display list after each ShowFrame: {depth: (char, matrix)}
        self.counts = {}
        dl = {}
        for i, (code, body) in enumerate(self.tags):
            name = ALLOWED.get(code)
            if name is None:
                raise Bad(f"tag {code} is not one this movie may use")
            self.counts[name] = self.counts.get(name, 0) + 1
            if code == 69:
                if i != 0:
                    raise Bad("FileAttributes is not the first tag")
                if len(body) != 4:
                    raise Bad("FileAttributes length")
            elif code == 9:
                if len(body) != 3:
                    raise Bad("SetBackgroundColor length")
                self.background = tuple(body)
            elif code == 21:
                cid = struct.unpack("<H", body[:2])[0]
                self._define(cid, ("bitmap", self._jpeg(body[2:], cid)))
            elif code == 36:
                cid, fmt, w, h = struct.unpack("<HBHH", body[:7])
                if fmt != 5:
                    raise Bad(f"bitmap {cid}: format {fmt} not expected")
                raw = zlib.decompress(body[7:])
                if len(raw) != w * h * 4:
                    raise Bad(f"bitmap {cid}: {len(raw)} bytes for {w}x{h}")
                a = np.frombuffer(raw, np.uint8).reshape(h, w, 4).astype(np.float32)
                alpha = a[..., 0:1] / 255.0
                if np.any(a[..., 1:] > a[..., 0:1]):
                    raise Bad(f"bitmap {cid}: colour above alpha, not premultiplied")
                rgb = np.where(alpha > 0, a[..., 1:] / np.maximum(alpha, 1e-9), 0)
                self._define(cid, ("bitmap", np.concatenate([rgb, a[..., 0:1]], axis=2)))
            elif code in (2, 32):
                sid, bounds, fills, paths = read_shape(body, 3 if code == 32 else 1)
                for f in fills:
                    if f[0] == "bitmap" and (f[1] not in self.chars or self.chars[f[1]][0] != "bitmap"):
                        raise Bad(f"shape {sid}: bitmap {f[1]} not defined before use")
                self._define(sid, ("shape", bounds, fills, paths))
            elif code == 26:
                self._place(dl, body)
            elif code == 28:
                depth = struct.unpack("<H", body)[0]
                if depth not in dl:
                    raise Bad(f"RemoveObject2 of empty depth {depth}")
                del dl[depth]
            elif code == 1:
                self.frames.append(dict(dl))
            elif code == 0:
                if i != len(self.tags) - 1:
                    raise Bad("End before the last tag")
        if len(self.frames) != self.frame_count:
            raise Bad(f"header says {self.frame_count} frames, file shows {len(self.frames)}")

    def _define(self, cid, what):
        if cid in self.chars:
            raise Bad(f"character {cid} defined twice")
        self.chars[cid] = what

    def _jpeg(self, data, cid):
        if data.startswith(b"\xff\xd9\xff\xd8"):
            data = data[4:]
        img = Image.open(io.BytesIO(data))
        if img.format != "JPEG" or img.info.get("progressive"):
            raise Bad(f"bitmap {cid}: not a baseline JPEG")
        rgb = np.asarray(img.convert("RGB"), np.float32)
        return np.concatenate([rgb, np.full(rgb.shape[:2] + (1,), 255.0, np.float32)], axis=2)

    def _place(self, dl, body):
        b = Bits(body)
        flags = b.u8()
        depth = b.u16()
        if flags & 0xF8:
            raise Bad(f"PlaceObject2 flags 0x{flags:02x} beyond character/matrix/move")
        cid = b.u16() if flags & 2 else None
        m = read_matrix(b) if flags & 4 else None
        if b.pos != len(body):
            raise Bad("PlaceObject2 has trailing bytes")
        move = flags & 1
        if cid is not None and cid not in self.chars:
            raise Bad(f"PlaceObject2 of undefined character {cid}")
        if cid is not None and self.chars[cid][0] != "shape":
            raise Bad(f"PlaceObject2 of non-shape character {cid}")
        if move:
            if depth not in dl:
                raise Bad(f"PlaceObject2 moves empty depth {depth}")
            old_c, old_m = dl[depth]
            dl[depth] = (cid if cid is not None else old_c, m if m is not None else old_m)
        else:
            if depth in dl:
                raise Bad(f"PlaceObject2 onto occupied depth {depth}")
            if cid is None:
                raise Bad("PlaceObject2 without character")
            dl[depth] = (cid, m if m is not None else np.eye(3))

    def render(self, frame_index, ss=4):
        w_px = (self.stage[1] - self.stage[0]) // 20
        h_px = (self.stage[3] - self.stage[2]) // 20
        out = np.zeros((h_px, w_px, 3), np.float32) + np.array(self.background, np.float32)
        for depth in sorted(self.frames[frame_index]):
            cid, m = self.frames[frame_index][depth]
            _, bounds, fills, paths = self.chars[cid]
            for style in range(1, len(fills) + 1):
                mask = Image.new("L", (w_px * ss, h_px * ss), 0)
                draw = ImageDraw.Draw(mask)
                polys = [pts for f0, f1, pts in paths if style in (f0, f1)]
                # Even-odd over this style's closed contours.
                for pts in polys:
                    tp = [tuple((m @ np.array([px, py, 1.0]))[:2] * ss / 20.0) for px, py in pts]
                    layer = Image.new("L", mask.size, 0)
                    ImageDraw.Draw(layer).polygon(tp, fill=255)
                    mask = Image.fromarray(np.asarray(mask) ^ np.asarray(layer))
                cov = np.asarray(mask, np.float32).reshape(h_px, ss, w_px, ss).mean(axis=(1, 3)) / 255.0
                f = fills[style - 1]
                if f[0] == "solid":
                    col = np.zeros((h_px, w_px, 4), np.float32) + np.array(f[1], np.float32)
                else:
                    bmp = self.chars[f[1]][1]
                    inv = np.linalg.inv(m @ f[2])
                    ys, xs = np.mgrid[0:h_px, 0:w_px]
                    tw = np.stack([(xs + 0.5) * 20.0, (ys + 0.5) * 20.0, np.ones_like(xs, float)])
                    bx, by = np.tensordot(inv, tw, axes=1)[:2]
                    bi = np.clip(np.floor(bx).astype(int), 0, bmp.shape[1] - 1)
                    bj = np.clip(np.floor(by).astype(int), 0, bmp.shape[0] - 1)
                    col = bmp[bj, bi]
                a = cov[..., None] * col[..., 3:4] / 255.0
                out = out * (1 - a) + col[..., :3] * a
        return np.clip(out + 0.5, 0, 255).astype(np.uint8)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("movie")
    ap.add_argument("--frames", default="1,30,60,90", help="1-based frames to render")
    ap.add_argument("--sheet", help="write a contact sheet of the rendered frames (2x)")
    ap.add_argument("--compare", help="folder with the generator's frameNNN.png to compare with")
    ap.add_argument("--out-dir", help="write each rendered frame as frameNNN.png here")
    args = ap.parse_args()
    with open(args.movie, "rb") as f:
        data = f.read()
    try:
        mv = Movie(data)
    except (Bad, zlib.error, struct.error, OSError) as e:
        sys.exit(f"{args.movie}: malformed: {e}")
    w_px = (mv.stage[1] - mv.stage[0]) / 20
    h_px = (mv.stage[3] - mv.stage[2]) / 20
    print(f"{args.movie}: {'CWS' if mv.compressed else 'FWS'} version {mv.version}, {len(data)} bytes, "
          f"stage {w_px:g} x {h_px:g} px, {mv.fps:g} fps, {mv.frame_count} frames, "
          f"background {mv.background}")
    print("tags: " + ", ".join(f"{k} x{v}" for k, v in sorted(mv.counts.items())))
    frames = [int(s) for s in args.frames.split(",") if s]
    shots = []
    worst = 0.0
    for fr in frames:
        if not 1 <= fr <= mv.frame_count:
            sys.exit(f"frame {fr} out of range")
        img = mv.render(fr - 1)
        shots.append(img)
        if args.out_dir:
            os.makedirs(args.out_dir, exist_ok=True)
            Image.fromarray(img).save(os.path.join(args.out_dir, f"frame{fr:03d}.png"))
        corner = img[:4, :4].reshape(-1, 3)
        if mv.background and np.any(corner != np.array(mv.background)):
            sys.exit(f"frame {fr}: the stage corner is {corner[0]}, not the backdrop {mv.background}")
        if args.compare:
            ref = np.asarray(Image.open(os.path.join(args.compare, f"frame{fr:03d}.png")).convert("RGB"),
                             np.float32)
            diff = np.abs(ref - img.astype(np.float32))
            print(f"frame {fr}: mean |diff| {diff.mean():.2f}, 99th percentile {np.percentile(diff, 99):.1f}, "
                  f"max {diff.max():.0f} against the generator's picture")
            worst = max(worst, float(diff.mean()))
    if args.sheet:
        scale = 2
        sheet = Image.new("RGB", (len(shots) * (int(w_px) * scale + 8) + 8, int(h_px) * scale + 16),
                          tuple(mv.background or (0, 0, 0)))
        for i, img in enumerate(shots):
            big = Image.fromarray(img).resize((int(w_px) * scale, int(h_px) * scale), Image.NEAREST)
            sheet.paste(big, (8 + i * (int(w_px) * scale + 8), 8))
        os.makedirs(os.path.dirname(os.path.abspath(args.sheet)), exist_ok=True)
        sheet.save(args.sheet)
        print(f"contact sheet: {args.sheet}")
    if args.compare and worst > 3.0:
        sys.exit(f"rendering differs from the generator's pictures (mean {worst:.2f})")
    print("ok")


if __name__ == "__main__":
    main()
