#!/usr/bin/python3
"""Builds the board fonts under assets/fonts/ from the chess glyphs of DejaVu Sans.

Output:
  inkmate-chess.ttf       TrueType board font "Inkmate Chess": one glyph per square
                          (piece, piece colour, square colour), em square = board square,
                          dark squares hatched so they read as grey on an e-ink panel.
  inkmate-pieces-75.png   the same pieces as a grey-scale bitmap set, 7 columns (empty,
                          pawn, knight, bishop, rook, queen, king) by 4 rows (light square
                          white / black piece, dark square white / black piece), 75 px cells.

Needs Debian's fonts-dejavu-core and python3-fontforge; run with the system Python:
  /usr/bin/python3 scripts/make-board-fonts.py [output folder]
"""

import math
import os
import struct
import sys
import zlib

# A fixed time stamp in the font, so a rebuild gives the same bytes.
os.environ.setdefault("SOURCE_DATE_EPOCH", "1704067200")

import fontforge  # noqa: E402
import psMat  # noqa: E402

SOURCE = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
FAMILY = "Inkmate Chess"

# Glyph geometry in font units: the em square is the board square.
EM = 1000
ASCENT = 800
DESCENT = 200
PIECE_HEIGHT = 830          # height of the pieces inside the square
OUTLINE_GROW = 12           # extra weight for the thin outlines of DejaVu's pieces
BISHOP_LINE = 50            # outline width of the white bishop
HALO = 40                   # clear ring between a piece and the hatching
HATCH_PERIOD = EM / 12.0    # distance between hatch lines (12 lines a square)
HATCH_INK = 0.30            # share of the period that is ink

# Character map: index = type * 4 + square colour * 2 + piece colour.
CHARMAP = "  ++poPOnmNMbvBVrtRTqwQWklKL"
# Unicode white chess pieces by type 1..6 (pawn .. king); black ones are 6 higher.
WHITE_CODES = {1: 0x2659, 2: 0x2658, 3: 0x2657, 4: 0x2656, 5: 0x2655, 6: 0x2654}
# DejaVu draws every piece at the same height; a pawn reads better smaller.
HEIGHT_SHARE = {1: 0.80, 2: 0.93, 3: 0.95, 4: 0.86, 5: 0.98, 6: 1.0}

BITMAP_CELL = 75
BITMAP_DARK = 180           # grey of the dark squares in the bitmap set


# ---------------------------------------------------------------------------
# Contour helpers

def contour_points(contour, steps=8):
    """The contour flattened to a polygon (list of (x, y))."""
    pts = [(p.x, p.y, p.on_curve) for p in contour]
    if not pts:
        return []
    out = []
    if contour.is_quadratic:
        # TrueType: implied on-curve points between consecutive off-curve points.
        full = []
        n = len(pts)
        for i in range(n):
            x, y, on = pts[i]
            full.append((x, y, on))
            nx, ny, non = pts[(i + 1) % n]
            if not on and not non:
                full.append(((x + nx) / 2.0, (y + ny) / 2.0, True))
        start = next(i for i, p in enumerate(full) if p[2])
        full = full[start:] + full[:start]
        n = len(full)
        i = 0
        while i < n:
            x0, y0, _ = full[i]
            nxt = full[(i + 1) % n]
            if nxt[2]:
                out.append((x0, y0))
                i += 1
            else:
                x2, y2, _ = full[(i + 2) % n]
                for s in range(steps):
                    t = s / float(steps)
                    a, b, c = (1 - t) ** 2, 2 * t * (1 - t), t * t
                    out.append((a * x0 + b * nxt[0] + c * x2, a * y0 + b * nxt[1] + c * y2))
                i += 2
    else:
        start = next(i for i, p in enumerate(pts) if p[2])
        pts = pts[start:] + pts[:start]
        n = len(pts)
        i = 0
        while i < n:
            x0, y0, _ = pts[i]
            if pts[(i + 1) % n][2]:
                out.append((x0, y0))
                i += 1
            else:
                c1, c2, p3 = pts[(i + 1) % n], pts[(i + 2) % n], pts[(i + 3) % n]
                for s in range(steps):
                    t = s / float(steps)
                    a, b, c, d = (1 - t) ** 3, 3 * t * (1 - t) ** 2, 3 * t * t * (1 - t), t ** 3
                    out.append((a * x0 + b * c1[0] + c * c2[0] + d * p3[0],
                                a * y0 + b * c1[1] + c * c2[1] + d * p3[1]))
                i += 3
    return out


def inside(poly, x, y):
    """Even-odd point-in-polygon test."""
    result = False
    n = len(poly)
    for i in range(n):
        x0, y0 = poly[i]
        x1, y1 = poly[(i + 1) % n]
        if (y0 > y) != (y1 > y):
            if x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
                result = not result
    return result


def outer_contours(layer):
    """The contours of a layer that lie inside no other contour."""
    polys = [contour_points(c) for c in layer]
    keep = fontforge.layer()
    keep.is_quadratic = layer.is_quadratic
    for i, c in enumerate(layer):
        px, py = polys[i][0]
        if not any(j != i and len(polys[j]) > 2 and inside(polys[j], px, py)
                   for j in range(len(polys))):
            keep += c
    return keep


def polygon_contour(points):
    c = fontforge.contour()
    c.moveTo(*points[0])
    for p in points[1:]:
        c.lineTo(*p)
    c.closed = True
    return c


SQUARE = [(0, -DESCENT), (0, ASCENT), (EM, ASCENT), (EM, -DESCENT)]


def clockwise(contour):
    c = contour.dup()
    if not c.isClockwise():
        c.reverseDirection()
    return c


def counter_clockwise(contour):
    c = contour.dup()
    if c.isClockwise():
        c.reverseDirection()
    return c


def clip(poly, a, b, c):
    """Sutherland-Hodgman: the part of poly where a*x + b*y <= c."""
    out = []
    n = len(poly)
    for i in range(n):
        p, q = poly[i], poly[(i + 1) % n]
        pin = a * p[0] + b * p[1] <= c
        qin = a * q[0] + b * q[1] <= c
        if pin:
            out.append(p)
        if pin != qin:
            dp = a * p[0] + b * p[1] - c
            dq = a * q[0] + b * q[1] - c
            t = dp / (dp - dq)
            out.append((p[0] + t * (q[0] - p[0]), p[1] + t * (q[1] - p[1])))
    return out


def hatch_layer():
    """Diagonal stripes (rising to the right) filling the square."""
    square = SQUARE
    width = HATCH_PERIOD * HATCH_INK * math.sqrt(2)
    period = HATCH_PERIOD * math.sqrt(2)
    layer = fontforge.layer()
    k = -(EM + ASCENT + DESCENT)
    while k < EM + ASCENT + DESCENT:
        # stripe: k <= x - y <= k + width
        poly = clip(clip(square, -1, 1, -k), 1, -1, k + width)
        if len(poly) >= 3:
            layer += clockwise(polygon_contour(poly))
        k += period
    return layer


# ---------------------------------------------------------------------------
# Pieces

def piece_layer(source, code, share):
    """The DejaVu glyph scaled and placed in the middle of the square."""
    glyph = source[code]
    xmin, ymin, xmax, ymax = glyph.boundingBox()
    scale = PIECE_HEIGHT * share / float(ymax - ymin)
    layer = glyph.foreground.dup()
    layer.is_quadratic = False
    layer.transform(psMat.translate(-glyph.width / 2.0, -ymin))
    layer.transform(psMat.scale(scale))
    bottom = -DESCENT + (EM - PIECE_HEIGHT) / 2.0
    layer.transform(psMat.translate(EM / 2.0, bottom))
    return layer


def build_font(out_ttf):
    source = fontforge.open(SOURCE)
    font = fontforge.font()
    font.encoding = "UnicodeBmp"
    font.em = EM
    font.ascent = ASCENT
    font.descent = DESCENT
    font.fontname = FAMILY.replace(" ", "")
    font.familyname = FAMILY
    font.fullname = FAMILY
    font.weight = "Book"
    font.version = "1.0"
    font.copyright = (source.copyright.strip() +
                      "\nChess board glyphs derived from DejaVu Sans; see LICENSE-DejaVu.txt.")
    for name in ("os2_winascent", "os2_typoascent", "hhea_ascent"):
        setattr(font, name + "_add", False)
        setattr(font, name, ASCENT)
    for name in ("os2_windescent", "os2_typodescent", "hhea_descent"):
        setattr(font, name + "_add", False)
    font.os2_windescent = DESCENT
    font.os2_typodescent = -DESCENT
    font.hhea_descent = -DESCENT
    font.os2_typolinegap = 0
    font.hhea_linegap = 0

    notdef = font.createChar(-1, ".notdef")
    notdef.width = EM

    parts = {}   # char -> (type, dark, black) for the bitmap renderer
    for index, ch in enumerate(CHARMAP):
        ptype, rest = divmod(index, 4)
        dark, black = divmod(rest, 2)
        parts[ch] = (ptype, dark, black)

    shapes = {}  # (type, black) -> (ink layer, halo layer)
    for ptype, white_code in WHITE_CODES.items():
        for black in (0, 1):
            ink = piece_layer(source, white_code + 6 * black, HEIGHT_SHARE[ptype])
            if not black and ptype == 3:
                # DejaVu's white bishop has a solid mitre, too close to the black one
                # on a small square: draw the outline of the black bishop instead.
                tmp = font.createChar(-1, "tmp")
                tmp.foreground = piece_layer(source, white_code + 6, HEIGHT_SHARE[ptype])
                tmp.stroke("circular", BISHOP_LINE, "round", "round")
                tmp.removeOverlap()
                ink = tmp.foreground
                font.removeGlyph(tmp)
            elif not black:
                # Thicken the outline a little: DejaVu's strokes are thin on a 70 px square.
                tmp = font.createChar(-1, "tmp")
                tmp.foreground = ink
                tmp.stroke("circular", OUTLINE_GROW, "round", "round")
                ink_grown = tmp.foreground
                tmp.foreground = ink
                tmp.foreground += ink_grown
                tmp.removeOverlap()
                ink = tmp.foreground
                font.removeGlyph(tmp)
            tmp = font.createChar(-1, "tmp")
            tmp.foreground = outer_contours(ink)
            tmp.stroke("circular", 2 * HALO, "round", "round")
            tmp.removeOverlap()
            halo = outer_contours(tmp.foreground)
            font.removeGlyph(tmp)
            shapes[(ptype, black)] = (ink, halo)

    hatch = hatch_layer()
    for ch, (ptype, dark, black) in parts.items():
        glyph = font.createChar(ord(ch))
        if ch == " ":
            glyph.width = EM
            continue
        layer = fontforge.layer()
        if dark:
            if ptype:
                # Hatching outside the halo: the stripes intersected with the
                # square that has the halo cut out of it.
                layer = hatch.dup()
                layer += clockwise(polygon_contour(SQUARE))
                for c in shapes[(ptype, black)][1]:
                    layer += counter_clockwise(c)
                glyph.foreground = layer
                glyph.intersect()
                layer = glyph.foreground
            else:
                layer = hatch.dup()
        if ptype:
            layer += shapes[(ptype, black)][0]
        glyph.foreground = layer
        glyph.correctDirection()
        glyph.round()
        glyph.width = EM

    font.generate(out_ttf)
    return shapes, hatch


# ---------------------------------------------------------------------------
# Bitmap set: a small scan-line rasteriser with 4 sub-rows per pixel and exact
# horizontal coverage, so the script needs nothing beyond FontForge.

SUBROWS = 4


def rasterise(polys, size):
    """Coverage 0..1 of size x size pixels for polygons in font units (non-zero rule)."""
    scale = size / float(EM)
    edges = []
    for poly in polys:
        n = len(poly)
        for i in range(n):
            x0, y0 = poly[i]
            x1, y1 = poly[(i + 1) % n]
            X0, Y0 = x0 * scale, (ASCENT - y0) * scale
            X1, Y1 = x1 * scale, (ASCENT - y1) * scale
            if Y0 == Y1:
                continue
            d = 1
            if Y0 > Y1:
                X0, Y0, X1, Y1, d = X1, Y1, X0, Y0, -1
            edges.append((Y0, Y1, X0, (X1 - X0) / (Y1 - Y0), d))
    cov = [[0.0] * size for _ in range(size)]
    edges.sort()
    for row in range(size):
        acc = cov[row]
        for sub in range(SUBROWS):
            y = row + (sub + 0.5) / SUBROWS
            xs = [(e[2] + (y - e[0]) * e[3], e[4]) for e in edges if e[0] <= y < e[1]]
            xs.sort()
            wind = 0
            for i in range(len(xs) - 1):
                wind += xs[i][1]
                if wind == 0:
                    continue
                a = max(0.0, xs[i][0])
                b = min(float(size), xs[i + 1][0])
                while a < b:
                    px = int(a)
                    nxt = min(b, px + 1.0)
                    acc[px] += (nxt - a) / SUBROWS
                    a = nxt
    return cov


def layer_polys(layer):
    return [p for p in (contour_points(c) for c in layer) if len(p) > 2]


def write_png(path, width, height, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xffffffff)
    raw = b"".join(b"\0" + bytes(r) for r in rows)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 0, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def build_bitmap(shapes, out_png, cell):
    width, height = 7 * cell, 4 * cell
    rows = [[255] * width for _ in range(height)]
    for ptype in range(7):
        for row in range(4):
            dark, black = divmod(row, 2)
            base = BITMAP_DARK if dark else 255
            ink = halo = None
            if ptype:
                ink_layer, halo_layer = shapes[(ptype, black)]
                ink = rasterise(layer_polys(ink_layer), cell)
                # The bitmap has real grey, so a thin clear edge is enough.
                halo = rasterise(layer_polys(outer_contours(ink_layer)), cell)
            for y in range(cell):
                out = rows[row * cell + y]
                for x in range(cell):
                    v = float(base)
                    if ptype:
                        v += (255 - v) * min(1.0, halo[y][x])
                        v *= 1.0 - min(1.0, ink[y][x])
                    out[ptype * cell + x] = int(round(v))
    write_png(out_png, width, height, rows)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "assets", "fonts")
    os.makedirs(out, exist_ok=True)
    shapes, _ = build_font(os.path.join(out, "inkmate-chess.ttf"))
    build_bitmap(shapes, os.path.join(out, "inkmate-pieces-%d.png" % BITMAP_CELL), BITMAP_CELL)


if __name__ == "__main__":
    main()
