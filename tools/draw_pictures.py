#!/usr/bin/env python3
"""Draws Velkor's pictures and writes them in the formats the resource compiler takes.

    tools/draw_pictures.py [OUTPUT_FOLDER]      (default: res/ beside this tool)

Writes:
  logo.bmp       the logo, 247 x 41, 24 bits per pixel, bottom-up BI_RGB;
                 pure white (0xFFFFFF) exactly where the window is to show through
  logo_mask.bmp  its mask, same format: black where the logo is white, white elsewhere
  velkor.ico     the program icon: 32 x 32 and 16 x 16, each at 256 and 16 colours
  hand.cur       the link cursor: 32 x 32 monochrome hand, hot spot at the finger tip

Everything is drawn here from geometry, with the standard library only, so the
committed files can be rebuilt and reviewed. Shapes are sampled SUB x SUB times
per pixel. A pixel belongs to the picture when at least half of its samples are
covered; its colour is the mean of the covered samples only. So edges are
smoothed between the picture's own colours but never blended with the
background: the background stays pure white in the logo (the mask rule holds
exactly) and the icon's transparency mask needs no partial values.
"""

import math
import os
import struct
import sys

SUB = 4  # samples per pixel edge

# ---------------------------------------------------------------------------
# Shapes: point-in-shape tests in pixel coordinates (x right, y down).


class Shape:
    def bbox(self):
        raise NotImplementedError

    def contains(self, x, y):
        raise NotImplementedError


class Poly(Shape):
    def __init__(self, points):
        self.p = list(points)

    def bbox(self):
        xs = [q[0] for q in self.p]
        ys = [q[1] for q in self.p]
        return min(xs), min(ys), max(xs), max(ys)

    def contains(self, x, y):
        inside = False
        p = self.p
        j = len(p) - 1
        for i in range(len(p)):
            xi, yi = p[i]
            xj, yj = p[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                inside = not inside
            j = i
        return inside


class RoundRect(Shape):
    def __init__(self, x0, y0, x1, y1, r):
        self.x0, self.y0, self.x1, self.y1 = x0, y0, x1, y1
        self.r = max(0.0, min(r, (x1 - x0) / 2, (y1 - y0) / 2))

    def bbox(self):
        return self.x0, self.y0, self.x1, self.y1

    def contains(self, x, y):
        if not (self.x0 <= x < self.x1 and self.y0 <= y < self.y1):
            return False
        r = self.r
        cx = min(max(x, self.x0 + r), self.x1 - r)
        cy = min(max(y, self.y0 + r), self.y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


class Circle(Shape):
    def __init__(self, cx, cy, r):
        self.cx, self.cy, self.r = cx, cy, r

    def bbox(self):
        return self.cx - self.r, self.cy - self.r, self.cx + self.r, self.cy + self.r

    def contains(self, x, y):
        return (x - self.cx) ** 2 + (y - self.cy) ** 2 <= self.r * self.r


class Stroke(Shape):
    """A straight stroke of width w with round ends."""

    def __init__(self, x0, y0, x1, y1, w):
        self.a, self.b, self.h = (x0, y0), (x1, y1), w / 2

    def bbox(self):
        (x0, y0), (x1, y1), h = self.a, self.b, self.h
        return min(x0, x1) - h, min(y0, y1) - h, max(x0, x1) + h, max(y0, y1) + h

    def contains(self, x, y):
        (x0, y0), (x1, y1) = self.a, self.b
        dx, dy = x1 - x0, y1 - y0
        t = ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy)
        t = min(1.0, max(0.0, t))
        return (x - x0 - t * dx) ** 2 + (y - y0 - t * dy) ** 2 <= self.h * self.h


class Union(Shape):
    def __init__(self, *parts):
        self.parts = parts

    def bbox(self):
        boxes = [p.bbox() for p in self.parts]
        return (min(b[0] for b in boxes), min(b[1] for b in boxes),
                max(b[2] for b in boxes), max(b[3] for b in boxes))

    def contains(self, x, y):
        return any(p.contains(x, y) for p in self.parts)


class Minus(Shape):
    def __init__(self, shape, hole):
        self.shape, self.hole = shape, hole

    def bbox(self):
        return self.shape.bbox()

    def contains(self, x, y):
        return self.shape.contains(x, y) and not self.hole.contains(x, y)


class Clip(Shape):
    """A shape limited to an axis-aligned box."""

    def __init__(self, shape, x0, y0, x1, y1):
        self.shape, self.box = shape, (x0, y0, x1, y1)

    def bbox(self):
        b, c = self.shape.bbox(), self.box
        return max(b[0], c[0]), max(b[1], c[1]), min(b[2], c[2]), min(b[3], c[3])

    def contains(self, x, y):
        x0, y0, x1, y1 = self.box
        return x0 <= x < x1 and y0 <= y < y1 and self.shape.contains(x, y)


class Slant(Shape):
    """Leans a shape to the right: points above the baseline move right by k per pixel."""

    def __init__(self, shape, k, baseline):
        self.shape, self.k, self.base = shape, k, baseline

    def bbox(self):
        x0, y0, x1, y1 = self.shape.bbox()
        return (x0 + self.k * (self.base - y1), y0,
                x1 + self.k * (self.base - y0), y1)

    def contains(self, x, y):
        return self.shape.contains(x - self.k * (self.base - y), y)


# ---------------------------------------------------------------------------
# Coverage masks: one Python integer per sample row, one bit per sample.


class Mask:
    def __init__(self, width, height):
        self.w, self.h = width * SUB, height * SUB
        self.rows = [0] * self.h

    def like(self, rows):
        """A mask of the same size holding the given rows."""
        m = Mask(0, 0)
        m.w, m.h, m.rows = self.w, self.h, rows
        return m

    def draw(self, shape):
        x0, y0, x1, y1 = shape.bbox()
        sx0 = max(0, int(math.floor(x0 * SUB)) - 1)
        sx1 = min(self.w, int(math.ceil(x1 * SUB)) + 1)
        sy0 = max(0, int(math.floor(y0 * SUB)) - 1)
        sy1 = min(self.h, int(math.ceil(y1 * SUB)) + 1)
        for sy in range(sy0, sy1):
            y = (sy + 0.5) / SUB
            bits = 0
            for sx in range(sx0, sx1):
                if shape.contains((sx + 0.5) / SUB, y):
                    bits |= 1 << sx
            self.rows[sy] |= bits
        return self

    def union(self, other):
        return self.like([a | b for a, b in zip(self.rows, other.rows)])

    def minus(self, other):
        return self.like([a & ~b for a, b in zip(self.rows, other.rows)])

    def grow(self, radius):
        """Dilates by a disc of the given radius in pixels."""
        r = int(round(radius * SUB))
        full = (1 << self.w) - 1
        out = [0] * self.h
        wide = {}
        for dy in range(-r, r + 1):
            reach = int(math.floor(math.sqrt(r * r - dy * dy)))
            if reach not in wide:
                wide[reach] = []
                for v in self.rows:
                    acc = v
                    for d in range(1, reach + 1):
                        acc |= (v << d) | (v >> d)
                    wide[reach].append(acc & full)
            src = wide[reach]
            for y in range(self.h):
                if 0 <= y + dy < self.h:
                    out[y] |= src[y + dy]
        return self.like(out)

    def shift(self, dx, dy):
        """Moves by whole pixels."""
        sx, sy = dx * SUB, dy * SUB
        full = (1 << self.w) - 1
        out = [0] * self.h
        for y in range(self.h):
            if 0 <= y - sy < self.h:
                v = self.rows[y - sy]
                out[y] = ((v << sx) if sx >= 0 else (v >> -sx)) & full
        return self.like(out)


def shape_mask(width, height, *shapes):
    m = Mask(width, height)
    for s in shapes:
        m.draw(s)
    return m


# ---------------------------------------------------------------------------
# Layers and the flattening of a picture.


class Layer:
    """A coverage mask painted with a colour; colour may be a function of (x, y).
    vga is the colour's stand-in among the 16 standard colours."""

    def __init__(self, mask, colour, vga=None):
        self.mask, self.colour, self.vga = mask, colour, vga

    def colour_at(self, x, y):
        return self.colour(x, y) if callable(self.colour) else self.colour


def flatten(width, height, layers, mode='smooth'):
    """Returns rows of pixels, each (r, g, b) or None for background.
    'smooth' mixes the colours of the covered samples; 'crisp' gives each pixel
    the colour of the layer owning most of its samples, for the smallest
    pictures; 'vga' does the same with the layers' stand-ins among the 16
    standard colours."""
    cell = (1 << SUB) - 1
    total = SUB * SUB
    out = []
    for py in range(height):
        row = []
        for px in range(width):
            counts = [0] * len(layers)
            shift = px * SUB
            for sy in range(py * SUB, py * SUB + SUB):
                free = cell
                for i in range(len(layers) - 1, -1, -1):
                    bits = (layers[i].mask.rows[sy] >> shift) & free
                    if bits:
                        counts[i] += bin(bits).count('1')
                        free &= ~bits
                        if not free:
                            break
            covered = sum(counts)
            if covered * 2 < total:
                row.append(None)
                continue
            x, y = px + 0.5, py + 0.5
            if mode == 'smooth':
                acc = [0.0, 0.0, 0.0]
                for i, n in enumerate(counts):
                    if n:
                        c = layers[i].colour_at(x, y)
                        for k in range(3):
                            acc[k] += c[k] * n
                row.append(tuple(int(round(a / covered)) for a in acc))
            else:
                i = max(range(len(layers)), key=lambda j: counts[j])
                row.append(VGA[layers[i].vga] if mode == 'vga' else
                           tuple(int(round(c)) for c in layers[i].colour_at(x, y)))
        out.append(row)
    return out


def mix(a, b, t):
    t = min(1.0, max(0.0, t))
    return tuple(a[k] + (b[k] - a[k]) * t for k in range(3))


def vertical(top_y, bottom_y, *stops):
    """A vertical gradient through evenly spaced colour stops."""
    def colour(x, y):
        t = (y - top_y) / (bottom_y - top_y)
        t = min(1.0, max(0.0, t)) * (len(stops) - 1)
        i = min(int(t), len(stops) - 2)
        return mix(stops[i], stops[i + 1], t - i)
    return colour


# The 16 colours every display offers, in the order of the standard palette.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, OLIVE, NAVY, SILVER, GREY, RED, BLUE, AQUA, WHITE = 0, 3, 4, 7, 8, 9, 12, 14, 15

# Palette of the pictures.
INK = (14, 22, 48)             # outlines
SHADOW = (92, 96, 108)
LETTER_TOP = (150, 214, 255)
LETTER_MID = (40, 130, 230)
LETTER_LOW = (12, 52, 150)
CHIP_TOP = (84, 90, 104)
CHIP_LOW = (30, 33, 42)
PIN = (214, 190, 110)
PIN_DARK = (150, 120, 50)
FACE_TOP = (252, 252, 250)     # never pure white: that is the logo's transparent colour
FACE_LOW = (214, 224, 236)
BEZEL_TOP = (170, 220, 255)
BEZEL_LOW = (20, 80, 180)
TICK = (40, 56, 90)
NEEDLE = (226, 34, 30)
HUB = (30, 30, 40)
GLOSS = (200, 236, 255)

# ---------------------------------------------------------------------------
# The emblem: a chip whose top carries a clock gauge with the needle raised.


def emblem_layers(width, height, cx, cy, size, pins=4, pin_w=None, pin_len=None,
                  outline=1.0, pin_outline=True, ticks=9, needle_w=None, body_vga=GREY):
    """Layers of the emblem centred at (cx, cy); size is the edge of the chip's body.
    outline 0 draws none; pin_outline puts the outline round the pins as well."""
    half = size / 2
    pin_w = pin_w if pin_w is not None else size * 0.085
    pin_len = pin_len if pin_len is not None else size * 0.16
    body = RoundRect(cx - half, cy - half, cx + half, cy + half, max(1.0, size * 0.14))
    span = size - 2 * max(1.5, size * 0.16)   # the row of pins keeps clear of the corners
    shapes = []
    for i in range(pins):
        off = -span / 2 + (i + 0.5) * span / pins
        a, b = off - pin_w / 2, off + pin_w / 2
        shapes += [RoundRect(cx + a, cy - half - pin_len, cx + b, cy - half + 1, 0),
                   RoundRect(cx + a, cy + half - 1, cx + b, cy + half + pin_len, 0),
                   RoundRect(cx - half - pin_len, cy + a, cx - half + 1, cy + b, 0),
                   RoundRect(cx + half - 1, cy + a, cx + half + pin_len, cy + b, 0)]
    pin_mask = shape_mask(width, height, *shapes)
    body_mask = shape_mask(width, height, body)

    r_bezel = size * 0.40
    r_face = r_bezel - max(1.0, size * 0.075)
    bezel = shape_mask(width, height, Circle(cx, cy, r_bezel))
    face = shape_mask(width, height, Circle(cx, cy, r_face))

    layers = []
    if outline:
        ring = body_mask.union(pin_mask) if pin_outline else body_mask
        layers.append(Layer(ring.grow(outline), INK, BLACK))
    layers.append(Layer(pin_mask, vertical(cy - half - pin_len, cy + half + pin_len, PIN, PIN_DARK), OLIVE))
    layers.append(Layer(body_mask, vertical(cy - half, cy + half, CHIP_TOP, CHIP_LOW), body_vga))
    layers.append(Layer(bezel, vertical(cy - r_bezel, cy + r_bezel, BEZEL_TOP, BEZEL_LOW), BLUE))
    layers.append(Layer(face, vertical(cy - r_face, cy + r_face, FACE_TOP, FACE_LOW), WHITE))

    # Scale ticks from the lower left round to the lower right, as on a gauge;
    # the last third is the red zone.
    if ticks:
        plain, red = [], []
        for i in range(ticks):
            a = math.radians(225 - 270 * i / (ticks - 1))
            r0, r1 = r_face * 0.68, r_face * 0.96
            s = Stroke(cx + r0 * math.cos(a), cy - r0 * math.sin(a),
                       cx + r1 * math.cos(a), cy - r1 * math.sin(a), max(1.0, size * 0.045))
            (red if i >= ticks - ticks // 3 else plain).append(s)
        layers.append(Layer(shape_mask(width, height, *plain), TICK, NAVY))
        layers.append(Layer(shape_mask(width, height, *red), NEEDLE, RED))

    # The needle points high: the clock is up.
    a = math.radians(40)
    tip = (cx + r_face * 0.9 * math.cos(a), cy - r_face * 0.9 * math.sin(a))
    tail = (cx - r_face * 0.2 * math.cos(a), cy + r_face * 0.2 * math.sin(a))
    needle = Stroke(tail[0], tail[1], tip[0], tip[1], needle_w or max(1.2, size * 0.065))
    layers.append(Layer(shape_mask(width, height, needle), NEEDLE, RED))
    layers.append(Layer(shape_mask(width, height, Circle(cx, cy, max(0.8, size * 0.07))), HUB, BLACK))
    return layers


# ---------------------------------------------------------------------------
# The word "Velkor": bold, leaning, with rounded counters.

BASE = 35.0      # baseline
CAP = 5.0        # top of the capital and of the ascender
XH = 14.0        # top of the small letters
STEM = 6.5       # stem width
LEAN = 0.16      # slant: pixels to the right per pixel of height


def glyph_V(x):
    w, sw = 30.0, 7.6
    foot = 7.0
    mid = x + w / 2
    return Poly([(x, CAP), (x + sw, CAP), (mid, BASE - 11.5), (x + w - sw, CAP), (x + w, CAP),
                 (mid + foot / 2, BASE), (mid - foot / 2, BASE)]), w


def ring(x, w, r_out, r_in):
    outer = RoundRect(x, XH, x + w, BASE, r_out)
    inner = RoundRect(x + STEM, XH + STEM * 0.85, x + w - STEM, BASE - STEM * 0.85, r_in)
    return outer, inner


def glyph_e(x):
    w = 21.0
    outer, inner = ring(x, w, 8.5, 2.5)
    bar_top = (XH + BASE) / 2 - 2.6
    bar = RoundRect(x + STEM - 1, bar_top, x + w, bar_top + 4.6, 0)
    # the opening on the right, below the bar
    cut = Poly([(x + w * 0.52, bar_top + 4.6), (x + w + 1, bar_top + 4.6),
                (x + w + 1, BASE - STEM * 0.85 - 0.6), (x + w * 0.52, BASE - STEM * 0.85 - 0.6)])
    return Union(Minus(Minus(outer, inner), cut), bar), w


def glyph_l(x):
    return RoundRect(x, CAP, x + STEM, BASE, 1.0), STEM


def glyph_k(x):
    w = 20.0
    stem = RoundRect(x, CAP, x + STEM, BASE, 1.0)
    join_y = XH + 11.5
    arm = Poly([(x + STEM - 0.5, join_y - 3.2), (x + w - 7.8, XH), (x + w, XH),
                (x + STEM + 4.2, join_y + 1.6), (x + STEM - 0.5, join_y + 4.0)])
    leg = Poly([(x + STEM + 1.0, join_y - 2.4), (x + STEM + 6.4, join_y - 2.4),
                (x + w + 0.4, BASE), (x + w - 7.6, BASE)])
    return Union(stem, arm, leg), w


def glyph_o(x):
    w = 22.0
    outer, inner = ring(x, w, 9.0, 3.0)
    return Minus(outer, inner), w


def glyph_r(x):
    w = 15.5
    R = 9.0
    frame = RoundRect(x, XH, x + 2 * w, BASE + 2 * R, R)
    hole = RoundRect(x + STEM, XH + STEM * 0.85, x + 2 * w, BASE + 2 * R, 2.5)
    return Clip(Minus(frame, hole), x, XH, x + w, BASE), w


def word_shapes(x, gap):
    shapes = []
    for glyph in (glyph_V, glyph_e, glyph_l, glyph_k, glyph_o, glyph_r):
        s, w = glyph(x)
        shapes.append(Slant(s, LEAN, BASE))
        x += w + gap
    return shapes, x - gap


def logo_layers(width, height):
    """The emblem, a space, then the word, centred together in the picture."""
    gap, emblem_w, space = 3.4, 41.0, 7.0
    _, word_end = word_shapes(0.0, gap)
    word_w = word_end + LEAN * (BASE - CAP)  # the lean widens the top
    left = int(round((width - (emblem_w + space + word_w)) / 2))
    letters, _ = word_shapes(left + emblem_w + space, gap)
    word = shape_mask(width, height, *letters)
    emblem = emblem_layers(width, height, left + emblem_w / 2, 20.5, 29.0)
    outline, emblem = emblem[0], emblem[1:]

    # A gloss line along the top edges of the letters, as on enamel.
    gloss = word.minus(word.shift(0, 2)).minus(word.shift(1, 0))

    # One outline round word and emblem, and a hard shadow below and right.
    silhouette = word.grow(1.6).union(outline.mask)
    layers = [Layer(silhouette.shift(2, 2), SHADOW, GREY), Layer(silhouette, INK, BLACK)]
    layers += emblem
    layers.append(Layer(word, vertical(CAP, BASE, LETTER_TOP, LETTER_MID, LETTER_LOW), BLUE))
    layers.append(Layer(gloss, GLOSS, AQUA))
    return layers


# ---------------------------------------------------------------------------
# The link cursor, drawn by hand: X black, o white, anything else transparent.

HAND = """\
.....XX..........
....XooX.........
....XooX.........
....XooX.........
....XooX.........
....XooXXX.......
....XooXooXXX....
....XooXooXooXX..
....XooXooXooXoX.
.XX.XooXooXooXooX
XooXXooooooooXooX
XoooXoooooooooooX
.XooXoooooooooooX
..XoooooooooooooX
..XooooooooooooX.
...XoooooooooooX.
...XooooooooooX..
....XoooooooooX..
....XoooooooooX..
.....XooooooooX..
.....XooooooooX..
.....XXXXXXXXXX..
"""
HAND_HOTSPOT = (5, 0)  # the tip of the index finger


# ---------------------------------------------------------------------------
# File writers.


def dib_header(width, height, bits, image_size, colours=0):
    return struct.pack('<IiiHHIIiiII', 40, width, height, 1, bits, 0, image_size, 2835, 2835,
                       colours, 0)


def write_bmp24(path, pixels):
    """pixels: rows top to bottom of (r, g, b); written bottom-up, rows padded to 4 bytes."""
    height, width = len(pixels), len(pixels[0])
    stride = (width * 3 + 3) & ~3
    body = bytearray()
    for row in reversed(pixels):
        for r, g, b in row:
            body += bytes((b, g, r))
        body += bytes(stride - width * 3)
    header = dib_header(width, height, 24, len(body))
    with open(path, 'wb') as f:
        f.write(b'BM' + struct.pack('<IHHI', 14 + len(header) + len(body), 0, 0, 14 + len(header)))
        f.write(header + body)


def pack_rows(indices, bits):
    """Packs rows (top to bottom) of palette indices into bottom-up DIB rows."""
    out = bytearray()
    for row in reversed(indices):
        acc, n, line = 0, 0, bytearray()
        for v in row:
            acc = (acc << bits) | v
            n += bits
            if n == 8:
                line.append(acc)
                acc, n = 0, 0
        if n:
            line.append(acc << (8 - n))
        line += bytes((-len(line)) % 4)
        out += line
    return out


def icon_image(pixels, bits, palette, indices):
    """One image of an icon or cursor resource: header, palette, colour bits, AND mask."""
    size = len(pixels)
    xor = pack_rows(indices, bits)
    and_mask = pack_rows([[1 if p is None else 0 for p in row] for row in pixels], 1)
    header = dib_header(size, size * 2, bits, len(xor) + len(and_mask))
    pal = b''.join(bytes((b, g, r, 0)) for r, g, b in palette)
    pal += bytes(4 * (2 ** bits) - len(pal))
    return header + pal + xor + and_mask


def write_group(path, kind, images):
    """kind 1: icon, 2: cursor. images: (size, colour count byte, planes or hot x,
    bit count or hot y, data)."""
    out = struct.pack('<HHH', 0, kind, len(images))
    offset = 6 + 16 * len(images)
    blobs = b''
    for size, colours, a, b, data in images:
        out += struct.pack('<BBBBHHII', size % 256, size % 256, colours, 0, a, b, len(data), offset)
        offset += len(data)
        blobs += data
    with open(path, 'wb') as f:
        f.write(out + blobs)


def median_cut(colours, count):
    """A palette of at most count colours for the given list of colours."""
    boxes = [list(colours)]
    while len(boxes) < count:
        best, span, axis = None, 0, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for k in range(3):
                vals = [c[k] for c in box]
                if max(vals) - min(vals) > span:
                    best, span, axis = i, max(vals) - min(vals), k
        if best is None:
            break
        box = sorted(boxes.pop(best), key=lambda c: c[axis])
        half = len(box) // 2
        boxes += [box[:half], box[half:]]
    return [tuple(int(round(sum(c[k] for c in box) / len(box))) for k in range(3)) for box in boxes]


def nearest(palette, c):
    return min(range(len(palette)),
               key=lambda i: 3 * (palette[i][0] - c[0]) ** 2 + 4 * (palette[i][1] - c[1]) ** 2
               + 2 * (palette[i][2] - c[2]) ** 2)


def icon_256(pixels):
    """Index 0 is black, used under transparent pixels as the AND/XOR rule needs."""
    used = [p for row in pixels for p in row if p is not None]
    palette = [(0, 0, 0)] + median_cut(used, 255)
    cache = {}
    indices = []
    for row in pixels:
        line = []
        for p in row:
            if p is None:
                line.append(0)
            else:
                if p not in cache:
                    cache[p] = 1 + nearest(palette[1:], p)
                line.append(cache[p])
        indices.append(line)
    return palette, indices


def icon_16(pixels):
    return VGA, [[0 if p is None else VGA.index(p) for p in row] for row in pixels]


def icon_layers(size):
    if size == 32:
        return emblem_layers(size, size, 16.0, 16.0, 22.0, pins=4, pin_w=2.0, pin_len=4.0,
                             outline=1.0, pin_outline=False, ticks=7, needle_w=1.6)
    return emblem_layers(size, size, 8.0, 8.0, 12.0, pins=3, pin_w=1.0, pin_len=2.0,
                         outline=0, ticks=0, needle_w=1.2, body_vga=BLACK)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, '..', 'res')
    os.makedirs(out_dir, exist_ok=True)

    width, height = 247, 41
    logo = flatten(width, height, logo_layers(width, height))
    white = (255, 255, 255)
    image = [[white if p is None else (p if p != white else (254, 254, 254)) for p in row]
             for row in logo]
    mask = [[(0, 0, 0) if p == white else white for p in row] for row in image]
    write_bmp24(os.path.join(out_dir, 'logo.bmp'), image)
    write_bmp24(os.path.join(out_dir, 'logo_mask.bmp'), mask)

    images = []
    for size in (32, 16):
        layers = icon_layers(size)
        full = flatten(size, size, layers, 'smooth' if size >= 32 else 'crisp')
        palette, indices = icon_256(full)
        images.append((size, 0, 1, 8, icon_image(full, 8, palette, indices)))
    for size in (32, 16):
        layers = icon_layers(size)
        flat = flatten(size, size, layers, 'vga')
        palette, indices = icon_16(flat)
        images.append((size, 16, 1, 4, icon_image(flat, 4, palette, indices)))
    write_group(os.path.join(out_dir, 'velkor.ico'), 1, images)

    rows = HAND.splitlines()
    hand = [[{'X': (0, 0, 0), 'o': white}.get(rows[y][x] if y < len(rows) and x < len(rows[y]) else '.')
             for x in range(32)] for y in range(32)]
    indices = [[1 if p == white else 0 for p in row] for row in hand]
    data = icon_image(hand, 1, [(0, 0, 0), white], indices)
    write_group(os.path.join(out_dir, 'hand.cur'), 2, [(32, 2, HAND_HOTSPOT[0], HAND_HOTSPOT[1], data)])


if __name__ == '__main__':
    main()
