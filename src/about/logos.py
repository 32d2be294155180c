#!/usr/bin/env python3
"""Draws the About window's two logos as 24-bit bitmaps: the product's
(146 x 58) and the maker's (104 x 62). Usage: logos.py <out-folder>"""
import math
import struct
import sys

# 5 x 7 capitals, rows top to bottom, "#" set.
GLYPHS = {
    "A": [" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"],
    "C": [" ### ", "#   #", "#    ", "#    ", "#    ", "#   #", " ### "],
    "D": ["#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "],
    "E": ["#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"],
    "H": ["#   #", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"],
    "L": ["#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"],
    "M": ["#   #", "## ##", "# # #", "# # #", "#   #", "#   #", "#   #"],
    "N": ["#   #", "##  #", "# # #", "#  ##", "#   #", "#   #", "#   #"],
    "O": [" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    "R": ["#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"],
    "S": [" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "],
    "T": ["#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "],
    "U": ["#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    "V": ["#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "],
    "Y": ["#   #", "#   #", " # # ", "  #  ", "  #  ", "  #  ", "  #  "],
    " ": ["     "] * 7,
}


class Canvas:
    def __init__(self, w, h, colour):
        self.w, self.h = w, h
        self.px = [[colour] * w for _ in range(h)]

    def blend(self, x, y, colour, alpha):
        if 0 <= x < self.w and 0 <= y < self.h and alpha > 0:
            old = self.px[y][x]
            a = min(alpha, 1.0)
            self.px[y][x] = tuple(round(o * (1 - a) + c * a) for o, c in zip(old, colour))

    def gradient(self, x0, y0, x1, y1, top, bottom):
        for y in range(y0, y1):
            t = (y - y0) / max(1, y1 - y0 - 1)
            c = tuple(round(a + (b - a) * t) for a, b in zip(top, bottom))
            for x in range(x0, x1):
                self.px[y][x] = c

    def ring(self, cx, cy, r, width, colour, start=0.0, end=360.0):
        """An anti-aliased ring, or an arc of one between two angles (degrees, 0 = right)."""
        for y in range(int(cy - r - width), int(cy + r + width) + 2):
            for x in range(int(cx - r - width), int(cx + r + width) + 2):
                d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
                ang = math.degrees(math.atan2(cy - (y + 0.5), x + 0.5 - cx)) % 360
                if not (start <= ang <= end or (start > end and (ang >= start or ang <= end))):
                    continue
                self.blend(x, y, colour, width / 2 + 0.5 - abs(d - r))

    def disc(self, cx, cy, r, colour):
        for y in range(int(cy - r) - 1, int(cy + r) + 2):
            for x in range(int(cx - r) - 1, int(cx + r) + 2):
                self.blend(x, y, colour, r + 0.5 - math.hypot(x + 0.5 - cx, y + 0.5 - cy))

    def text(self, x, y, s, scale, colour, spacing=1):
        for ch in s:
            for row, bits in enumerate(GLYPHS[ch]):
                for col, bit in enumerate(bits):
                    if bit == "#":
                        for dy in range(scale):
                            for dx in range(scale):
                                self.blend(x + col * scale + dx, y + row * scale + dy, colour, 1)
            x += (5 + spacing) * scale

    def save(self, path):
        stride = (self.w * 3 + 3) & ~3
        data = bytearray()
        for row in reversed(self.px):  # bottom-up
            line = bytearray()
            for r, g, b in row:
                line += bytes((b, g, r))
            data += line + bytes(stride - len(line))
        header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
        info = struct.pack("<IiiHHIIiiII", 40, self.w, self.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
        with open(path, "wb") as f:
            f.write(header + info + data)


def text_width(s, scale, spacing=1):
    return len(s) * (5 + spacing) * scale - spacing * scale


NAVY, BLUE, SKY, WHITE = (16, 42, 96), (0, 92, 184), (120, 178, 230), (255, 255, 255)


def product_logo(path):
    c = Canvas(146, 58, WHITE)
    c.gradient(0, 0, 146, 58, (250, 252, 255), (214, 230, 247))
    # An "O" with three sound waves leaving it.
    c.ring(20, 25, 13, 5, NAVY)
    c.disc(20, 25, 4, BLUE)
    for i, r in enumerate((19, 24, 29)):
        c.ring(20, 25, r, 2, (BLUE, (60, 130, 205), SKY)[i], 325, 35)
    c.text(54, 8, "ORVANE", 2, NAVY, 1)
    c.text(55, 28, "SCHEDULED", 1, BLUE, 1)
    c.text(55, 39, "RESTART", 1, BLUE, 1)
    c.save(path)


def maker_logo(path):
    c = Canvas(104, 62, WHITE)
    # Three bars of rising height, like a level meter, over the name.
    for i, height in enumerate((10, 16, 22)):
        x0 = 36 + i * 11
        c.gradient(x0, 28 - height, x0 + 8, 28, SKY, BLUE)
    w = text_width("ORVANE", 2)
    c.text((104 - w) // 2, 32, "ORVANE", 2, NAVY)
    w = text_width("SYSTEMS", 1, 2)
    c.text((104 - w) // 2, 50, "SYSTEMS", 1, BLUE, 2)
    c.save(path)


if __name__ == "__main__":
    out = sys.argv[1]
    product_logo(out + "/OrvaneLogo.bmp")
    maker_logo(out + "/MakerLogo.bmp")
