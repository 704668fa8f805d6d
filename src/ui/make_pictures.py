#!/usr/bin/env python3
"""Draws the program's pictures (24-bit BMP files) into the folder given as argument.

The artwork is ours and drawn here from plain shapes and a small pixel font, so the build
needs no image files in the repository. Magenta (255, 0, 255) marks the pixels the window
leaves transparent: the picture controls draw them with TransparentBlt, the run button takes
its shape from them, and the small tool images use it as their mask.
"""
import math
import os
import struct
import sys

ORANGE = (243, 126, 31)
CREAM = (254, 232, 183)
SILVER = (192, 192, 192)
WHITE = (255, 255, 255)
KEY = (255, 0, 255)
PAGE = (6, 6, 8)  # the page area of the background; pictures on pages sit on it

# 5x7 pixel font: upper-case letters, digits and a few signs.
FONT = {
    'A': ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    'B': ["11110", "10001", "10001", "11110", "10001", "10001", "11110"],
    'C': ["01110", "10001", "10000", "10000", "10000", "10001", "01110"],
    'D': ["11110", "10001", "10001", "10001", "10001", "10001", "11110"],
    'E': ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    'F': ["11111", "10000", "10000", "11110", "10000", "10000", "10000"],
    'G': ["01110", "10001", "10000", "10111", "10001", "10001", "01111"],
    'H': ["10001", "10001", "10001", "11111", "10001", "10001", "10001"],
    'I': ["01110", "00100", "00100", "00100", "00100", "00100", "01110"],
    'J': ["00111", "00010", "00010", "00010", "00010", "10010", "01100"],
    'K': ["10001", "10010", "10100", "11000", "10100", "10010", "10001"],
    'L': ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    'M': ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    'N': ["10001", "10001", "11001", "10101", "10011", "10001", "10001"],
    'O': ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    'P': ["11110", "10001", "10001", "11110", "10000", "10000", "10000"],
    'Q': ["01110", "10001", "10001", "10001", "10101", "10010", "01101"],
    'R': ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    'S': ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    'T': ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    'U': ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    'V': ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    'W': ["10001", "10001", "10001", "10101", "10101", "10101", "01010"],
    'X': ["10001", "10001", "01010", "00100", "01010", "10001", "10001"],
    'Y': ["10001", "10001", "01010", "00100", "00100", "00100", "00100"],
    'Z': ["11111", "00001", "00010", "00100", "01000", "10000", "11111"],
    '0': ["01110", "10001", "10011", "10101", "11001", "10001", "01110"],
    '1': ["00100", "01100", "00100", "00100", "00100", "00100", "01110"],
    '2': ["01110", "10001", "00001", "00010", "00100", "01000", "11111"],
    '3': ["11110", "00001", "00001", "01110", "00001", "00001", "11110"],
    '4': ["00010", "00110", "01010", "10010", "11111", "00010", "00010"],
    '5': ["11111", "10000", "11110", "00001", "00001", "10001", "01110"],
    '6': ["00110", "01000", "10000", "11110", "10001", "10001", "01110"],
    '7': ["11111", "00001", "00010", "00100", "01000", "01000", "01000"],
    '8': ["01110", "10001", "10001", "01110", "10001", "10001", "01110"],
    '9': ["01110", "10001", "10001", "01111", "00001", "00010", "01100"],
    '-': ["00000", "00000", "00000", "11111", "00000", "00000", "00000"],
    '.': ["00000", "00000", "00000", "00000", "00000", "01100", "01100"],
    '!': ["00100", "00100", "00100", "00100", "00100", "00000", "00100"],
    ' ': ["00000"] * 7,
}


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


class Canvas:
    def __init__(self, width, height, color=(0, 0, 0)):
        self.width = width
        self.height = height
        self.px = [list(color) for _ in range(width * height)]

    def set(self, x, y, color):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.px[y * self.width + x] = list(color)

    def get(self, x, y):
        return tuple(self.px[y * self.width + x])

    def blend(self, x, y, color, alpha):
        if 0 <= x < self.width and 0 <= y < self.height and alpha > 0:
            self.set(x, y, mix(self.get(x, y), color, alpha))

    def rect(self, x, y, w, h, color):
        for yy in range(max(0, y), min(self.height, y + h)):
            for xx in range(max(0, x), min(self.width, x + w)):
                self.px[yy * self.width + xx] = list(color)

    def vgradient(self, x, y, w, h, top, bottom):
        for yy in range(h):
            self.rect(x, y + yy, w, 1, mix(top, bottom, yy / max(1, h - 1)))

    def hgradient(self, x, y, w, h, left, right):
        for xx in range(w):
            self.rect(x + xx, y, 1, h, mix(left, right, xx / max(1, w - 1)))

    def frame(self, x, y, w, h, color):
        self.rect(x, y, w, 1, color)
        self.rect(x, y + h - 1, w, 1, color)
        self.rect(x, y, 1, h, color)
        self.rect(x + w - 1, y, 1, h, color)

    def disc(self, cx, cy, r, color, inner=0.0):
        """A filled circle (or a ring when inner > 0) with soft edges."""
        for yy in range(int(cy - r - 2), int(cy + r + 3)):
            for xx in range(int(cx - r - 2), int(cx + r + 3)):
                d = math.hypot(xx + 0.5 - cx, yy + 0.5 - cy)
                a = min(1.0, max(0.0, r - d + 0.5))
                if inner > 0:
                    a = min(a, min(1.0, max(0.0, d - inner + 0.5)))
                self.blend(xx, yy, color, a)

    def line(self, x0, y0, x1, y1, color, width=1.0):
        steps = int(max(abs(x1 - x0), abs(y1 - y0)) * 3) + 1
        for i in range(steps + 1):
            t = i / steps
            x = x0 + (x1 - x0) * t
            y = y0 + (y1 - y0) * t
            half = width / 2
            for yy in range(int(y - half - 1), int(y + half + 2)):
                for xx in range(int(x - half - 1), int(x + half + 2)):
                    d = math.hypot(xx + 0.5 - x, yy + 0.5 - y)
                    self.blend(xx, yy, color, min(1.0, max(0.0, half - d + 0.5)))

    def rounded(self, x, y, w, h, r, color):
        for yy in range(y, y + h):
            for xx in range(x, x + w):
                dx = max(x + r - xx - 0.5, 0, xx + 0.5 - (x + w - r))
                dy = max(y + r - yy - 0.5, 0, yy + 0.5 - (y + h - r))
                d = math.hypot(dx, dy)
                if d <= r:
                    self.set(xx, yy, color)

    def text(self, x, y, s, color, scale=1, spacing=1, shadow=None):
        for ch in s:
            glyph = FONT.get(ch.upper(), FONT[' '])
            for gy, row in enumerate(glyph):
                for gx, bit in enumerate(row):
                    if bit == '1':
                        if shadow:
                            self.rect(x + gx * scale + 1, y + gy * scale + 1, scale, scale, shadow)
                        self.rect(x + gx * scale, y + gy * scale, scale, scale, color)
            x += (5 + spacing) * scale
        return x

    def save(self, path):
        row = (self.width * 3 + 3) & ~3
        size = 54 + row * self.height
        out = bytearray()
        out += b'BM' + struct.pack('<IHHI', size, 0, 0, 54)
        out += struct.pack('<IiiHHIIiiII', 40, self.width, self.height, 1, 24, 0,
                           row * self.height, 2835, 2835, 0, 0)
        pad = b'\0' * (row - self.width * 3)
        for y in range(self.height - 1, -1, -1):
            for x in range(self.width):
                r, g, b = self.px[y * self.width + x]
                out += bytes((b, g, r))
            out += pad
        with open(path, 'wb') as f:
            f.write(out)


def text_width(s, scale=1, spacing=1):
    return len(s) * (5 + spacing) * scale - spacing * scale


def lambda_mark(c, cx, cy, r, color, ring=True):
    """The game's lambda in a ring."""
    if ring:
        c.disc(cx, cy, r, color, inner=r * 0.78)
    s = r * 0.55
    c.line(cx - s * 0.55, cy - s * 0.95, cx - s * 0.1, cy - s * 0.95, color, max(1.2, r * 0.16))
    c.line(cx - s * 0.1, cy - s * 0.95, cx + s * 0.75, cy + s * 0.95, color, max(1.2, r * 0.18))
    c.line(cx + 0.05 * s, cy - s * 0.05, cx - s * 0.7, cy + s * 0.95, color, max(1.2, r * 0.18))


def background():
    """Image4: the whole main window, 514 x 351."""
    c = Canvas(514, 351)
    c.vgradient(0, 0, 514, 351, (24, 24, 27), (9, 9, 11))
    # title band
    c.hgradient(0, 0, 514, 28, (46, 46, 50), (18, 18, 20))
    c.rect(0, 0, 514, 1, (70, 70, 76))
    lambda_mark(c, 16, 14, 9.5, ORANGE)
    x = c.text(32, 7, "ZARVENT", ORANGE, scale=2, shadow=(0, 0, 0))
    c.text(x + 8, 11, "HALF-LIFE 2 BENCHMARK", SILVER, shadow=(0, 0, 0))
    c.rect(0, 28, 514, 1, ORANGE)
    c.rect(0, 29, 514, 1, (90, 46, 12))
    # navigation column
    c.vgradient(4, 32, 134, 294, (26, 26, 30), (14, 14, 16))
    c.frame(4, 32, 134, 294, (44, 44, 48))
    # page area: uniform, so pictures and fields on it blend
    c.rect(146, 32, 364, 294, PAGE)
    c.frame(146, 32, 364, 294, (44, 44, 48))
    # a faint ring in the lower right corner of the page area
    for i, col in enumerate([(14, 14, 17), (11, 11, 13)]):
        c.disc(470, 292, 58 - i * 14, col, inner=50 - i * 14)
    c.rect(146, 32, 364, 1, (44, 44, 48))
    # status band
    c.rect(0, 327, 514, 24, (15, 15, 17))
    c.rect(0, 327, 514, 1, (90, 46, 12))
    c.rect(0, 350, 514, 1, (40, 40, 44))
    c.rect(0, 0, 1, 351, (40, 40, 44))
    c.rect(513, 0, 1, 351, (40, 40, 44))
    return c


def about_logo():
    """Image1: the logo of the About view, 300 x 64, on the page colour."""
    c = Canvas(300, 64, PAGE)
    lambda_mark(c, 32, 32, 26, ORANGE)
    c.text(68, 10, "ZARVENT", ORANGE, scale=4, spacing=1)
    c.text(70, 46, "HALF-LIFE 2 BENCHMARK", CREAM, scale=1, spacing=2)
    return c


def game_logo():
    """hl2logo: a small game logo for the title area, 96 x 18, transparent around."""
    c = Canvas(96, 18, KEY)
    c.rounded(0, 0, 96, 18, 4, (30, 30, 34))
    lambda_mark(c, 9, 9, 7, ORANGE)
    c.text(20, 5, "HALF-LIFE 2", SILVER)
    return c


def bench_button(down):
    """BenchButton: a rounded button shaped by its picture, 118 x 46."""
    w, h = 118, 46
    c = Canvas(w, h, KEY)
    outer = (120, 60, 14) if not down else (90, 44, 10)
    c.rounded(0, 0, w, h, 21, outer)
    top, bottom = ((255, 170, 80), (205, 96, 16)) if not down else ((180, 84, 14), (236, 130, 40))
    inner = Canvas(w - 4, h - 4)
    inner.vgradient(0, 0, w - 4, h - 4, top, bottom)
    for y in range(2, h - 2):
        for x in range(2, w - 2):
            if c.get(x, y) != KEY:
                dx = max(23 - x - 0.5, 0, x + 0.5 - (w - 23))
                dy = max(23 - y - 0.5, 0, y + 0.5 - (h - 23))
                if math.hypot(dx, dy) <= 19:
                    c.set(x, y, inner.get(x - 2, y - 2))
    off = 1 if down else 0
    label = "RUN"
    tx = (w - text_width(label, 3, 1)) // 2 + off
    c.text(tx, 13 + off, label, (40, 18, 4), scale=3, spacing=1)
    return c


def small_button(kind, down):
    """SpeedButton2 (minimise, 17 x 17) and SpeedButton1 (exit, 18 x 17)."""
    w = 17 if kind == 'min' else 18
    c = Canvas(w, 17)
    c.vgradient(0, 0, w, 17, (60, 60, 66) if not down else ORANGE,
                (26, 26, 30) if not down else (170, 80, 14))
    c.frame(0, 0, w, 17, (90, 90, 96) if not down else (255, 190, 120))
    mark = SILVER if not down else (20, 10, 0)
    if kind == 'min':
        c.rect(4, 11, w - 8, 2, mark)
    else:
        c.line(5, 4.5, w - 5, 12.5, mark, 1.6)
        c.line(w - 5, 4.5, 5, 12.5, mark, 1.6)
    return c


def tool_images():
    """The image list of the small buttons: eight 16 x 16 images side by side.
    0 folder, 1 open folder, 2 update, 3 help, 4 home, 5 link, 6 close, 7 demo file."""
    c = Canvas(16 * 8, 16, KEY)
    folder = (236, 176, 64)
    folder_dark = (170, 112, 30)

    def draw_folder(ox, open_):
        c.rect(ox + 1, 3, 6, 2, folder_dark)
        c.rect(ox + 1, 5, 14, 9, folder_dark)
        if open_:
            for i in range(8):
                c.rect(ox + 2 + (7 - i) // 3, 6 + i, 13, 1, folder)
        else:
            c.rect(ox + 2, 6, 12, 7, folder)

    draw_folder(0, False)
    draw_folder(16, True)
    # 2 update: a circular arrow
    c.disc(32 + 8, 8, 6.5, ORANGE, inner=4.3)
    c.rect(32 + 8, 0, 7, 7, KEY)
    c.line(32 + 9, 1.5, 32 + 13, 4, ORANGE, 1.6)
    c.line(32 + 9, 6.5, 32 + 13, 4, ORANGE, 1.6)
    # 3 help: question mark in a disc
    c.disc(48 + 8, 8, 7, (60, 110, 200))
    c.rect(48 + 6, 4, 4, 1, WHITE)
    c.rect(48 + 9, 5, 1, 3, WHITE)
    c.rect(48 + 7, 8, 2, 1, WHITE)
    c.rect(48 + 7, 9, 1, 2, WHITE)
    c.rect(48 + 7, 12, 1, 1, WHITE)
    # 4 home
    c.line(64 + 2, 8, 64 + 8, 2, CREAM, 1.4)
    c.line(64 + 8, 2, 64 + 14, 8, CREAM, 1.4)
    c.rect(64 + 4, 8, 8, 6, CREAM)
    c.rect(64 + 7, 10, 2, 4, (60, 40, 20))
    # 5 link: globe
    c.disc(80 + 8, 8, 6.5, (80, 160, 220))
    c.rect(80 + 2, 8, 13, 1, (20, 60, 110))
    c.rect(80 + 8, 2, 1, 13, (20, 60, 110))
    # 6 close
    c.disc(96 + 8, 8, 7, (200, 60, 30))
    c.line(96 + 5, 5, 96 + 11, 11, WHITE, 1.6)
    c.line(96 + 11, 5, 96 + 5, 11, WHITE, 1.6)
    # 7 demo file
    c.rect(112 + 3, 1, 10, 14, CREAM)
    c.frame(112 + 3, 1, 10, 14, (120, 100, 70))
    lambda_mark(c, 112 + 8, 8, 4, ORANGE, ring=False)
    return c


def sponsor(width, height, big):
    """Sponsor pictures: the fictitious Kestrel Hardware."""
    c = Canvas(width, height, PAGE)
    c.rounded(0, 0, width, height, 8, (40, 40, 46))
    c.rounded(1, 1, width - 2, height - 2, 7, (16, 18, 24))
    c.vgradient(3, 3, width - 6, height // 2, (32, 40, 58), (16, 18, 24))
    cx, cy, r = height * 0.5, height * 0.5, height * 0.34
    c.disc(cx, cy, r, CREAM)
    # a kestrel's spread wings: two swept strokes meeting at the body
    w = max(1.6, r * 0.2)
    c.line(cx - r * 0.75, cy - r * 0.35, cx, cy + r * 0.2, ORANGE, w)
    c.line(cx + r * 0.75, cy - r * 0.35, cx, cy + r * 0.2, ORANGE, w)
    c.line(cx - r * 0.45, cy - r * 0.05, cx - r * 0.8, cy + r * 0.05, ORANGE, w * 0.7)
    c.line(cx + r * 0.45, cy - r * 0.05, cx + r * 0.8, cy + r * 0.05, ORANGE, w * 0.7)
    c.disc(cx, cy - r * 0.05, r * 0.16, (30, 30, 34))
    c.line(cx, cy + r * 0.2, cx, cy + r * 0.6, (30, 30, 34), w * 0.8)
    scale = 3 if big else (2 if height >= 40 else 1)
    x0 = int(height * 0.95)
    c.text(x0, int(height * 0.18), "KESTREL", ORANGE, scale=scale, shadow=(0, 0, 0))
    c.text(x0, int(height * 0.18) + 8 * scale + 2, "HARDWARE", CREAM, scale=max(1, scale - 1))
    if big:
        c.text(x0, height - 22, "VISIT OUR SPONSOR", SILVER)
    return c


def picker_background():
    """The picker's background, 228 x 502."""
    c = Canvas(228, 502)
    c.vgradient(0, 0, 228, 502, (26, 26, 30), (8, 8, 10))
    c.hgradient(0, 0, 228, 28, (46, 46, 50), (18, 18, 20))
    c.text(10, 10, "CUSTOM RESOLUTION", ORANGE, shadow=(0, 0, 0))
    c.rect(0, 28, 228, 1, ORANGE)
    c.rect(8, 36, 212, 410, PAGE)
    c.frame(8, 36, 212, 410, (44, 44, 48))
    c.frame(0, 0, 228, 502, (70, 70, 76))
    return c


def wizard_picture():
    """Image1 of the update wizard, 118 x 218: the game's mark over a download arrow."""
    c = Canvas(118, 218)
    c.vgradient(0, 0, 118, 218, (34, 34, 38), (8, 8, 10))
    c.rect(0, 0, 118, 3, ORANGE)
    lambda_mark(c, 59, 58, 34, ORANGE)
    # the arrow: a shaft and a head, pointing at a tray
    c.rect(54, 108, 10, 40, CREAM)
    for i in range(18):
        c.rect(59 - 18 + i, 148 + i, 2 * (18 - i), 1, CREAM)
    c.rect(30, 172, 58, 3, SILVER)
    c.rect(30, 162, 3, 13, SILVER)
    c.rect(85, 162, 3, 13, SILVER)
    c.text(59 - text_width("UPDATE") // 2, 190, "UPDATE", ORANGE, shadow=(0, 0, 0))
    c.text(59 - text_width("ZARVENT") // 2, 202, "ZARVENT", SILVER)
    c.frame(0, 0, 118, 218, (70, 70, 76))
    return c


PICTURES = {
    "background.bmp": background,
    "about_logo.bmp": about_logo,
    "game_logo.bmp": game_logo,
    "bench_up.bmp": lambda: bench_button(False),
    "bench_down.bmp": lambda: bench_button(True),
    "minimize_up.bmp": lambda: small_button('min', False),
    "minimize_down.bmp": lambda: small_button('min', True),
    "exit_up.bmp": lambda: small_button('exit', False),
    "exit_down.bmp": lambda: small_button('exit', True),
    "tool_images.bmp": tool_images,
    "sponsor_large.bmp": lambda: sponsor(340, 128, True),
    "sponsor_banner.bmp": lambda: sponsor(300, 80, False),
    "sponsor_small.bmp": lambda: sponsor(128, 44, False),
    "picker_background.bmp": picker_background,
    "wizard_picture.bmp": wizard_picture,
}


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, draw in PICTURES.items():
        draw().save(os.path.join(out, name))


if __name__ == "__main__":
    main()
