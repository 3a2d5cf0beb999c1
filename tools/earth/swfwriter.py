"""A small writer for script-free SWF movies.

Only what the earth movie needs: the file header, bit-packed RECT and MATRIX
records, SetBackgroundColor, FileAttributes, DefineBitsJPEG2,
DefineBitsLossless2, DefineShape with bitmap or solid fills and straight or
curved edges, PlaceObject2, RemoveObject2, ShowFrame and End.

Coordinates are in twips (1/20 pixel) unless a name says otherwise.
"""

import struct
import zlib

TWIPS = 20

TAG_END = 0
TAG_SHOW_FRAME = 1
TAG_DEFINE_SHAPE = 2
TAG_SET_BACKGROUND_COLOR = 9
TAG_DEFINE_BITS_JPEG2 = 21
TAG_PLACE_OBJECT2 = 26
TAG_REMOVE_OBJECT2 = 28
TAG_DEFINE_BITS_LOSSLESS2 = 36
TAG_FILE_ATTRIBUTES = 69

FILL_SOLID = 0x00
FILL_CLIPPED_BITMAP = 0x41


class BitWriter:
    """Packs bit fields most significant bit first, as SWF records are."""

    def __init__(self):
        self.out = bytearray()
        self.acc = 0
        self.nbits = 0

    def ub(self, nbits, value):
        if value < 0 or value >= (1 << nbits):
            raise ValueError(f"{value} does not fit in {nbits} unsigned bits")
        for i in range(nbits - 1, -1, -1):
            self.acc = (self.acc << 1) | ((value >> i) & 1)
            self.nbits += 1
            if self.nbits == 8:
                self.out.append(self.acc)
                self.acc = 0
                self.nbits = 0

    def sb(self, nbits, value):
        if nbits == 0:
            if value != 0:
                raise ValueError("nonzero value in zero bits")
            return
        if not -(1 << (nbits - 1)) <= value < (1 << (nbits - 1)):
            raise ValueError(f"{value} does not fit in {nbits} signed bits")
        self.ub(nbits, value & ((1 << nbits) - 1))

    def align(self):
        if self.nbits:
            self.out.append(self.acc << (8 - self.nbits))
            self.acc = 0
            self.nbits = 0

    def getvalue(self):
        self.align()
        return bytes(self.out)


def sbits(*values):
    """Smallest signed field width that holds every value."""
    n = 1
    for v in values:
        while not -(1 << (n - 1)) <= v < (1 << (n - 1)):
            n += 1
    return n


def rect(xmin, xmax, ymin, ymax):
    w = BitWriter()
    n = sbits(xmin, xmax, ymin, ymax)
    w.ub(5, n)
    for v in (xmin, xmax, ymin, ymax):
        w.sb(n, v)
    return w.getvalue()


def fixed16(v):
    return int(round(v * 65536))


def write_matrix(w, scale=None, rotate=None, translate=(0, 0)):
    """MATRIX record into an open BitWriter (aligned before and after)."""
    w.align()
    # The scale and rotate fields share one layout: a flag, then two 16.16 values.
    for pair in (scale, rotate):
        if pair is None:
            w.ub(1, 0)
            continue
        a, b = fixed16(pair[0]), fixed16(pair[1])
        n = sbits(a, b)
        w.ub(1, 1)
        w.ub(5, n)
        w.sb(n, a)
        w.sb(n, b)
    tx, ty = translate
    n = sbits(tx, ty) if (tx or ty) else 0
    w.ub(5, n)
    w.sb(n, tx)
    w.sb(n, ty)
    w.align()


def matrix(**kw):
    w = BitWriter()
    write_matrix(w, **kw)
    return w.getvalue()


def tag(code, body, force_long=False):
    if len(body) < 0x3F and not force_long:
        return struct.pack("<H", (code << 6) | len(body)) + body
    return struct.pack("<HI", (code << 6) | 0x3F, len(body)) + body


def set_background_color(r, g, b):
    return tag(TAG_SET_BACKGROUND_COLOR, bytes((r, g, b)))


def file_attributes(flags=0):
    return tag(TAG_FILE_ATTRIBUTES, struct.pack("<I", flags))


def define_bits_jpeg2(char_id, jpeg_bytes):
    if not (jpeg_bytes.startswith(b"\xff\xd8") and jpeg_bytes.endswith(b"\xff\xd9")):
        raise ValueError("not a complete JPEG stream")
    return tag(TAG_DEFINE_BITS_JPEG2, struct.pack("<H", char_id) + jpeg_bytes, True)


def define_bits_lossless2(char_id, width, height, argb_premultiplied):
    """argb_premultiplied: width*height*4 bytes A,R,G,B per pixel, rows top first."""
    if len(argb_premultiplied) != width * height * 4:
        raise ValueError("bitmap size mismatch")
    body = struct.pack("<HBHH", char_id, 5, width, height)
    body += zlib.compress(bytes(argb_premultiplied), 9)
    return tag(TAG_DEFINE_BITS_LOSSLESS2, body, True)


class Path:
    """An outline as absolute twip points; edges are written as deltas."""

    def __init__(self, x, y):
        self.start = (int(x), int(y))
        self.edges = []  # ("line", (x, y)) or ("curve", (cx, cy), (x, y))

    def line_to(self, x, y):
        self.edges.append(("line", (int(x), int(y))))

    def curve_to(self, cx, cy, x, y):
        self.edges.append(("curve", (int(cx), int(cy)), (int(x), int(y))))


def rect_path(x0, y0, x1, y1):
    """Clockwise on screen (y down), so the inside lies on the right of travel."""
    p = Path(x0, y0)
    p.line_to(x1, y0)
    p.line_to(x1, y1)
    p.line_to(x0, y1)
    p.line_to(x0, y0)
    return p


def circle_path(cx, cy, r, segments=8):
    """Circle of quadratic curves, clockwise on screen (y down)."""
    import math

    half = math.pi / segments
    ctrl_r = r / math.cos(half)
    p = Path(round(cx + r), round(cy))
    for i in range(segments):
        a0 = 2 * half * i
        am = a0 + half
        a1 = a0 + 2 * half
        p.curve_to(
            round(cx + ctrl_r * math.cos(am)),
            round(cy + ctrl_r * math.sin(am)),
            round(cx + r * math.cos(a1)),
            round(cy + r * math.sin(a1)),
        )
    # Close exactly on the start point whatever the rounding did.
    kind, c, _ = p.edges[-1]
    p.edges[-1] = (kind, c, p.start)
    return p


def _style_change(w, move_to, fill1, nfill_bits):
    w.ub(1, 0)  # non-edge record
    w.ub(1, 0)  # StateNewStyles
    w.ub(1, 0)  # StateLineStyle
    w.ub(1, 1)  # StateFillStyle1
    w.ub(1, 0)  # StateFillStyle0
    w.ub(1, 1)  # StateMoveTo
    mx, my = move_to
    n = sbits(mx, my)
    w.ub(5, n)
    w.sb(n, mx)
    w.sb(n, my)
    w.ub(nfill_bits, fill1)


def _edges(w, path):
    px, py = path.start
    for e in path.edges:
        if e[0] == "line":
            x, y = e[1]
            dx, dy = x - px, y - py
            w.ub(1, 1)  # edge
            w.ub(1, 1)  # straight
            if dx == 0 or dy == 0:
                n = max(2, sbits(dx if dx else dy))
                w.ub(4, n - 2)
                w.ub(1, 0)  # not a general line
                w.ub(1, 1 if dx == 0 else 0)  # vertical?
                w.sb(n, dy if dx == 0 else dx)
            else:
                n = max(2, sbits(dx, dy))
                w.ub(4, n - 2)
                w.ub(1, 1)
                w.sb(n, dx)
                w.sb(n, dy)
        else:
            (cx, cy), (x, y) = e[1], e[2]
            cdx, cdy, adx, ady = cx - px, cy - py, x - cx, y - cy
            n = max(2, sbits(cdx, cdy, adx, ady))
            w.ub(1, 1)
            w.ub(1, 0)  # curved
            w.ub(4, n - 2)
            for v in (cdx, cdy, adx, ady):
                w.sb(n, v)
        px, py = x, y


def define_shape(shape_id, bounds, fill, paths):
    """DefineShape with one fill style used on the right (FillStyle1) side of
    every path; paths must run clockwise on screen.

    fill: ("bitmap", bitmap_id, scale_x, scale_y, tx, ty) for a clipped,
    smoothed bitmap fill, or ("solid", r, g, b).
    """
    w = BitWriter()
    w.ub(8, 1)  # FillStyleCount
    if fill[0] == "bitmap":
        _, bid, sx, sy, tx, ty = fill
        w.ub(8, FILL_CLIPPED_BITMAP)
        w.ub(8, bid & 0xFF)
        w.ub(8, bid >> 8)
        write_matrix(w, scale=(sx, sy), translate=(tx, ty))
    elif fill[0] == "solid":
        w.ub(8, FILL_SOLID)
        for c in fill[1:4]:
            w.ub(8, c)
    else:
        raise ValueError(fill[0])
    w.ub(8, 0)  # LineStyleCount
    nfill_bits, nline_bits = 1, 0
    w.ub(4, nfill_bits)
    w.ub(4, nline_bits)
    for p in paths:
        _style_change(w, p.start, 1, nfill_bits)
        _edges(w, p)
    w.ub(6, 0)  # EndShapeRecord
    body = struct.pack("<H", shape_id) + rect(*bounds) + w.getvalue()
    return tag(TAG_DEFINE_SHAPE, body)


def place_object2(depth, char_id=None, move=False, translate=(0, 0)):
    flags = 0x04  # HasMatrix
    if char_id is not None:
        flags |= 0x02
    if move:
        flags |= 0x01
    body = struct.pack("<BH", flags, depth)
    if char_id is not None:
        body += struct.pack("<H", char_id)
    body += matrix(translate=translate)
    return tag(TAG_PLACE_OBJECT2, body)


def remove_object2(depth):
    return tag(TAG_REMOVE_OBJECT2, struct.pack("<H", depth))


def show_frame():
    return tag(TAG_SHOW_FRAME, b"")


def end():
    return tag(TAG_END, b"")


def movie(tags, width_px, height_px, fps, frame_count, version=8, compress=False):
    """The whole file: header, then the tag bytes (which must end with End)."""
    rate = int(round(fps * 256))
    header_rest = rect(0, width_px * TWIPS, 0, height_px * TWIPS)
    header_rest += struct.pack("<HH", rate, frame_count)
    payload = header_rest + b"".join(tags)
    length = 8 + len(payload)
    if compress:
        return b"CWS" + bytes((version,)) + struct.pack("<I", length) + zlib.compress(payload, 9)
    return b"FWS" + bytes((version,)) + struct.pack("<I", length) + payload
