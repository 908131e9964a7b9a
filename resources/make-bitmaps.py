#!/usr/bin/env python3
"""Draws the two bitmaps of the options dialog's monitor picture.

    resources/make-bitmaps.py [out-dir]            writes scrcorners.bmp and scrmonitor.bmp
    resources/make-bitmaps.py --preview DIR        also writes PNGs that show them as painted

Both are 16-colour BMPs in the standard VGA palette, each an image beside its mask. The controls
paint them with the mask ANDed first and the image ORed after, so the mask is white where the
background shows and black under the picture, and the image is black wherever the mask is white.

scrcorners.bmp (48 x 66): icon and mask side by side (24 px each), one 22 px row per corner
action: "Now" (start the saver at once), "Never", "Default" (nothing).
scrmonitor.bmp (368 x 170): monitor image and mask side by side (184 px each); the screen
area, which the control covers with its own panel, lies at insets 16, 17, 15, 40.

The output is the same on every run: no randomness, no clock.
"""
import math
import os
import struct
import sys
import zlib

# The standard 16-colour VGA palette, in the order Windows uses.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
(BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER,
 GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE) = range(16)


class Canvas:
    """A grid of palette indexes, row 0 at the top."""

    def __init__(self, width, height, fill=BLACK):
        self.width, self.height = width, height
        self.px = [[fill] * width for _ in range(height)]

    def set(self, x, y, c):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.px[y][x] = c

    def get(self, x, y):
        return self.px[y][x]

    def rect(self, x0, y0, x1, y1, c):
        """Fills the inclusive rectangle x0..x1, y0..y1."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)

    def where(self, inside, c):
        """Paints every pixel whose centre satisfies inside(x, y)."""
        for y in range(self.height):
            for x in range(self.width):
                if inside(x + 0.5, y + 0.5):
                    self.px[y][x] = c

    def paste(self, other, dx, dy):
        for y in range(other.height):
            for x in range(other.width):
                self.set(dx + x, dy + y, other.px[y][x])


def write_bmp(path, canvas):
    """Writes a bottom-up, uncompressed 4-bit BMP with the VGA palette."""
    stride = ((canvas.width * 4 + 31) // 32) * 4
    rows = []
    for row in reversed(canvas.px):
        packed = bytearray(stride)
        for x, c in enumerate(row):
            packed[x // 2] |= c << (0 if x % 2 else 4)
        rows.append(bytes(packed))
    bits = b"".join(rows)
    offset = 14 + 40 + 4 * len(PALETTE)
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset))
        f.write(struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height, 1, 4, 0,
                            len(bits), 3780, 3780, len(PALETTE), 0))
        for r, g, b in PALETTE:
            f.write(bytes((b, g, r, 0)))
        f.write(bits)


def mask_of(image, opaque):
    """The mask for image: black where opaque(x, y), white elsewhere; blackens the image's
    transparent pixels so that ORing it leaves the background alone."""
    mask = Canvas(image.width, image.height, WHITE)
    for y in range(image.height):
        for x in range(image.width):
            if opaque(x, y):
                mask.px[y][x] = BLACK
            else:
                image.px[y][x] = BLACK
    return mask


# ---------------------------------------------------------------------------------------------
# Corner icons: round badges of one size, told apart by colour and by glyph.

CELL_W, CELL_H = 24, 22
BADGE_CX, BADGE_CY, BADGE_R = 12.0, 11.0, 9.0


def badge_distance(x, y):
    return math.hypot(x - BADGE_CX, y - BADGE_CY)


def draw_badge(cell, fill, light, dark):
    """A disc with a dark rim, lit from the top left."""
    def lit(x, y):
        # a crescent along the upper left, inside the rim
        d = badge_distance(x, y)
        return d < BADGE_R - 1.0 and math.hypot(x - BADGE_CX - 1.0, y - BADGE_CY - 1.0) > BADGE_R - 1.0
    cell.where(lambda x, y: badge_distance(x, y) <= BADGE_R, dark)
    cell.where(lambda x, y: badge_distance(x, y) <= BADGE_R - 1.0, fill)
    cell.where(lit, light)


def point_in_polygon(x, y, pts):
    inside = False
    for (x0, y0), (x1, y1) in zip(pts, pts[1:] + pts[:1]):
        if (y0 > y) != (y1 > y) and x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
            inside = not inside
    return inside


def draw_now(cell):
    """Start at once: a green badge with a white 'play' triangle."""
    draw_badge(cell, GREEN, LIME, BLACK)
    tri = [(9.0, 6.0), (9.0, 16.0), (17.0, 11.0)]
    cell.where(lambda x, y: point_in_polygon(x, y, tri), WHITE)


def draw_never(cell):
    """Never start: the red ring and bar of a prohibition sign on white."""
    def bar(x, y):
        # the bar runs from the upper left to the lower right
        return abs((x - BADGE_CX) - (y - BADGE_CY)) / math.sqrt(2) <= 1.6
    cell.where(lambda x, y: badge_distance(x, y) <= BADGE_R, MAROON)
    cell.where(lambda x, y: badge_distance(x, y) <= BADGE_R - 1.0, RED)
    cell.where(lambda x, y: badge_distance(x, y) <= BADGE_R - 3.2, WHITE)
    cell.where(lambda x, y: badge_distance(x, y) <= BADGE_R - 2.5 and bar(x, y), RED)


def draw_default(cell):
    """Nothing special: a quiet grey badge with a white dash."""
    draw_badge(cell, GREY, SILVER, BLACK)
    cell.rect(7, 10, 16, 11, WHITE)


def draw_corners():
    """Returns the 48 x 66 corners bitmap: icon beside mask, rows Now, Never, Default."""
    sheet = Canvas(2 * CELL_W, 3 * CELL_H)
    for row, draw in enumerate((draw_now, draw_never, draw_default)):
        icon = Canvas(CELL_W, CELL_H)
        draw(icon)
        mask = mask_of(icon, lambda x, y: badge_distance(x + 0.5, y + 0.5) <= BADGE_R)
        sheet.paste(icon, 0, row * CELL_H)
        sheet.paste(mask, CELL_W, row * CELL_H)
    return sheet


# ---------------------------------------------------------------------------------------------
# The monitor: a light grey, raised bezel with a sunken black screen, on a neck and a foot.

MON_W, MON_H = 184, 170
INSIDE_LEFT, INSIDE_TOP, INSIDE_RIGHT, INSIDE_BOTTOM = 16, 17, 15, 40


def rounded(x0, y0, x1, y1, r):
    """inside(x, y) for the inclusive pixel box x0..x1, y0..y1 with corners of radius r."""
    def inside(x, y):
        if not (x0 <= x <= x1 + 1 and y0 <= y <= y1 + 1):
            return False
        cx = min(max(x, x0 + r), x1 + 1 - r)
        cy = min(max(y, y0 + r), y1 + 1 - r)
        return math.hypot(x - cx, y - cy) <= r
    return inside


def draw_raised(c, inside):
    """Paints a light grey shape with a raised look: a black outline, a white top-left edge
    and a grey bottom-right edge inside it. inside(x, y) gets pixel centres. Returns the
    shape's pixels."""
    def shape(x, y):
        return inside(x + 0.5, y + 0.5)
    pixels = [(x, y) for y in range(c.height) for x in range(c.width) if shape(x, y)]
    for x, y in pixels:
        c.px[y][x] = SILVER
    for x, y in pixels:
        up, left = not shape(x, y - 1), not shape(x - 1, y)
        down, right = not shape(x, y + 1), not shape(x + 1, y)
        if up or left or down or right:
            c.px[y][x] = BLACK
    for x, y in pixels:
        if c.px[y][x] == BLACK:
            continue
        if not shape(x, y - 2) or not shape(x - 2, y) or not shape(x - 1, y - 1):
            c.px[y][x] = WHITE
        elif not shape(x, y + 2) or not shape(x + 2, y) or not shape(x + 1, y + 1):
            c.px[y][x] = GREY
    return pixels


def draw_monitor():
    """Returns the 368 x 170 monitor bitmap: image beside mask."""
    img = Canvas(MON_W, MON_H, BLACK)
    opaque = set()

    # The screen area, which the control covers with its panel (inclusive bounds).
    sx0, sy0 = INSIDE_LEFT, INSIDE_TOP
    sx1, sy1 = MON_W - INSIDE_RIGHT - 1, MON_H - INSIDE_BOTTOM - 1
    cx = (sx0 + sx1) // 2  # the monitor is symmetric about the screen's centre column

    # The foot: a flat plate, its top lit and its front edge in shadow.
    foot_top, foot_bottom = 158, 167
    opaque.update(draw_raised(img, rounded(cx - 44, foot_top, cx + 44, foot_bottom, 3)))
    img.rect(cx - 42, foot_bottom - 3, cx + 42, foot_bottom - 3, SILVER)
    img.rect(cx - 43, foot_bottom - 2, cx + 43, foot_bottom - 1, GREY)

    # The neck, from under the bezel down onto the foot.
    neck = lambda x, y: cx - 10 <= x <= cx + 10 and 140 <= y <= foot_top + 1
    opaque.update(draw_raised(img, neck))
    for y in range(147, 150):  # the bezel's shadow on the neck
        for x in range(cx - 9, cx + 10):
            img.set(x, y, GREY)

    # The bezel.
    opaque.update(draw_raised(img, rounded(cx - 89, 3, cx + 89, 146, 4)))

    # Sunken frame round the screen: grey and white bevel, then black glass up to the screen.
    img.rect(sx0 - 4, sy0 - 4, sx1 + 4, sy1 + 4, WHITE)
    img.rect(sx0 - 4, sy0 - 4, sx1 + 3, sy1 + 3, GREY)
    img.rect(sx0 - 3, sy0 - 3, sx1 + 3, sy1 + 3, BLACK)

    # On the chin: the power light and two small buttons on the right.
    chin = (sy1 + 5 + 145) // 2
    img.rect(sx1 - 6, chin - 1, sx1 - 4, chin, LIME)
    img.set(sx1 - 6, chin + 1, GREEN)
    img.rect(sx1 - 5, chin + 1, sx1 - 3, chin + 1, WHITE)
    img.rect(sx1 - 3, chin - 1, sx1 - 3, chin, WHITE)
    for bx in (sx1 - 18, sx1 - 13):
        img.rect(bx, chin - 1, bx + 3, chin - 1, GREY)
        img.rect(bx, chin, bx + 3, chin, WHITE)

    mask = mask_of(img, lambda x, y: (x, y) in opaque)
    sheet = Canvas(2 * MON_W, MON_H)
    sheet.paste(img, 0, 0)
    sheet.paste(mask, MON_W, 0)
    return sheet


# ---------------------------------------------------------------------------------------------
# Previews: the bitmaps painted the way the controls paint them, saved as PNG.

DIALOG_FACES = {"classic": (0xC0, 0xC0, 0xC0), "themed": (0xF0, 0xF0, 0xF0), "white": (0xFF, 0xFF, 0xFF)}
DESKTOPS = {"blue": (0x3A, 0x6E, 0xA5), "xp": (0x00, 0x4E, 0x98), "teal": (0x00, 0x80, 0x80), "black": (0, 0, 0)}


def blit(dest, sheet, src, dst, op):
    """Stretches the src rectangle (x, y, w, h) of sheet onto dst of dest (a list of rows of
    RGB tuples) by repeating or dropping pixels, combining with op."""
    sx, sy, sw, sh = src
    dx, dy, dw, dh = dst
    for y in range(dh):
        row = sheet.px[sy + (y * 2 + 1) * sh // (2 * dh)]
        out = dest[dy + y]
        for x in range(dw):
            c = PALETTE[row[sx + (x * 2 + 1) * sw // (2 * dw)]]
            out[dx + x] = tuple(op(a, b) for a, b in zip(out[dx + x], c))


def paint_masked(dest, sheet, image, mask, dst):
    blit(dest, sheet, mask, dst, lambda a, b: a & b)
    blit(dest, sheet, image, dst, lambda a, b: a | b)


def dim(dest, x, y, w, h, colour):
    """The checkerboard of a dimmed cell: every other pixel in the background colour."""
    for j in range(h):
        for k in range(j % 2, w, 2):
            dest[y + j][x + k] = colour


def paint_corners(dest, sheet, x, y, w, h, corners, colour, dimmed):
    for yy in range(h):
        dest[y + yy][x:x + w] = [colour] * w
    for i, ch in enumerate(corners):
        cx = x if i in (0, 3) else x + w - CELL_W
        cy = y if i in (0, 1) else y + h - CELL_H
        row = {"Y": 0, "N": 1}.get(ch, 2)
        paint_masked(dest, sheet, (0, row * CELL_H, CELL_W, CELL_H),
                     (CELL_W, row * CELL_H, CELL_W, CELL_H), (cx, cy, CELL_W, CELL_H))
        if dimmed:
            dim(dest, cx, cy, CELL_W, CELL_H, colour)


def write_png(path, rows):
    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in rows)
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", len(rows[0]), len(rows), 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def preview(folder, corners, monitor):
    os.makedirs(folder, exist_ok=True)
    written = []
    for scale in (1.0, 1.25, 2.0):
        tag = {1.0: "96dpi", 1.25: "120dpi", 2.0: "192dpi"}[scale]
        mw, mh = int(MON_W * scale), int(MON_H * scale)
        pad = int(12 * scale)
        for face_name, face in DIALOG_FACES.items():
            cols = [(desk, dimmed) for desk in DESKTOPS for dimmed in (False, True)]
            width = len(cols) * (mw + pad) + pad
            dest = [[face] * width for _ in range(mh + 2 * pad)]
            for n, (desk, dimmed) in enumerate(cols):
                x, y = pad + n * (mw + pad), pad
                paint_masked(dest, monitor, (0, 0, MON_W, MON_H), (MON_W, 0, MON_W, MON_H),
                             (x, y, mw, mh))
                # the inner panel, placed as the monitor control places it, filled by the
                # corners control; its cells keep their 24 x 22 pixels at every size
                l, t = INSIDE_LEFT * mw // MON_W, INSIDE_TOP * mh // MON_H
                r, b = mw - INSIDE_RIGHT * mw // MON_W, mh - INSIDE_BOTTOM * mh // MON_H
                paint_corners(dest, corners, x + l, y + t, r - l, b - t, "YN-Y",
                              DESKTOPS[desk], dimmed)
            path = os.path.join(folder, "monitor-%s-%s.png" % (face_name, tag))
            write_png(path, dest)
            written.append(path)
        # the corner icons alone, stretched as a larger Picture would be
        cw, ch = int(CELL_W * scale), int(CELL_H * scale)
        dest = []
        for desk in DESKTOPS.values():
            block = [[desk] * (4 * cw + 5 * pad) for _ in range(ch + 2 * pad)]
            for i, (row, dimmed) in enumerate(((0, False), (1, False), (2, False), (0, True))):
                x = pad + i * (cw + pad)
                paint_masked(block, corners, (0, row * CELL_H, CELL_W, CELL_H),
                             (CELL_W, row * CELL_H, CELL_W, CELL_H), (x, pad, cw, ch))
                if dimmed:
                    dim(block, x, pad, cw, ch, desk)
            dest.extend(block)
        path = os.path.join(folder, "corners-%s.png" % tag)
        write_png(path, dest)
        written.append(path)
    return written


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    out, folder = here, None
    args = list(argv)
    while args:
        a = args.pop(0)
        if a == "--preview" and args:
            folder = args.pop(0)
        elif a.startswith("-"):
            sys.exit(__doc__)
        else:
            out = a
    corners, monitor = draw_corners(), draw_monitor()
    write_bmp(os.path.join(out, "scrcorners.bmp"), corners)
    write_bmp(os.path.join(out, "scrmonitor.bmp"), monitor)
    if folder:
        for path in preview(folder, corners, monitor):
            print(path)


if __name__ == "__main__":
    main(sys.argv[1:])
