#!/usr/bin/env python3
"""Draws Tarvex's menu icons and pictures with ImageMagick.

Run from anywhere:  python3 resources/make_images.py [name ...]
(with names, only those drawings are made; "desktop" makes the desktop icons alone)
Needs only python3 and ImageMagick's `convert`. The PNG files it writes are kept in the
repository, so building the program never needs either tool.

Every drawing is a list of ImageMagick draw primitives (MVG) on a small grid: 16 units for menu
icons, 64 units for pictures. Each is drawn four times larger than wanted and reduced by area
averaging, which gives clean edges on pixel-aligned shapes (a 1-unit line at x.5 stays one sharp
pixel wide at 16 px).
"""

import math
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ICON_DIR = os.path.join(HERE, "icons")
PICTURE_DIR = os.path.join(HERE, "pictures")
# the program's icon for the desktop, at the sizes of the hicolor icon theme
DESKTOP_ICON_DIR = os.path.join(HERE, "..", "desktop", "icons")
DESKTOP_ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)

# Palette
INK = "#2b3a55"
PAPER = "#ffffff"
PAPER_EDGE = "#5a6678"
CARD = "#fff8dc"
CARD_EDGE = "#7a6632"
CARD_LINE = "#c5b37a"
BLUE = "#2f74d0"
BLUE_DARK = "#1c4a8c"
BLUE_LIGHT = "#cfe4fb"
GREEN = "#2e9e4f"
GREEN_DARK = "#1d6a34"
RED = "#d8402c"
RED_DARK = "#8e2418"
YELLOW = "#f6c935"
ORANGE = "#f08a24"
ORANGE_DARK = "#a85a10"
GREY = "#9aa3b2"
GREY_DARK = "#59606e"
BROWN = "#b57a3c"
BROWN_DARK = "#6e4519"

FONT_BOLD = "Liberation-Sans-Bold"


def render(mvg, size, grid, path, supersample=4):
    """Draws `mvg` (coordinates on a grid x grid square) into a size x size PNG."""
    big = size * supersample
    scale = big / grid
    commands = "scale %g,%g stroke-linejoin round stroke-linecap round %s" % (scale, scale, mvg)
    subprocess.run(
        [
            "convert", "-size", "%dx%d" % (big, big), "xc:none",
            "-draw", commands,
            "-filter", "Box", "-resize", "%dx%d" % (size, size),
            "-strip", "-define", "png:exclude-chunks=date,time",
            "PNG32:" + path,
        ],
        check=True,
    )


def pts(points):
    return " ".join("%.2f,%.2f" % p for p in points)


def polygon(points, fill, stroke="none", width=1):
    return "fill '%s' stroke '%s' stroke-width %g polygon %s " % (fill, stroke, width, pts(points))


def polyline(points, stroke, width=1):
    return "fill none stroke '%s' stroke-width %g polyline %s " % (stroke, width, pts(points))


def rect(x0, y0, x1, y1, fill, stroke="none", width=1):
    return "fill '%s' stroke '%s' stroke-width %g rectangle %g,%g %g,%g " % (
        fill, stroke, width, x0, y0, x1, y1)


def rrect(x0, y0, x1, y1, r, fill, stroke="none", width=1):
    return "fill '%s' stroke '%s' stroke-width %g roundrectangle %g,%g %g,%g %g,%g " % (
        fill, stroke, width, x0, y0, x1, y1, r, r)


def circle(cx, cy, r, fill, stroke="none", width=1):
    return "fill '%s' stroke '%s' stroke-width %g circle %g,%g %g,%g " % (
        fill, stroke, width, cx, cy, cx, cy + r)


def line(x0, y0, x1, y1, stroke, width=1):
    return "fill none stroke '%s' stroke-width %g line %g,%g %g,%g " % (
        stroke, width, x0, y0, x1, y1)


def path(d, fill="none", stroke="none", width=1):
    return "fill '%s' stroke '%s' stroke-width %g path '%s' " % (fill, stroke, width, d)


def text(x, y, size, string, fill, font=FONT_BOLD):
    return "fill '%s' stroke none font '%s' font-size %g text %g,%g '%s' " % (
        fill, font, size, x, y, string)


def gear(cx, cy, r_out, r_in, teeth, fill, stroke, hole):
    points = []
    for i in range(teeth * 4):
        a = 2 * math.pi * i / (teeth * 4)
        r = r_out if i % 4 in (1, 2) else r_in
        points.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return polygon(points, fill, stroke, 0.6) + circle(cx, cy, hole, PAPER, stroke, 0.6)


# ---- building blocks of the 16-unit icons ----------------------------------------------------

def record_card():
    """An index card: the picture of one child's record."""
    return (rect(1.5, 2.5, 12.5, 13.5, CARD, CARD_EDGE)
            + line(3.5, 5.5, 10.5, 5.5, CARD_LINE)
            + line(3.5, 8, 10.5, 8, CARD_LINE)
            + line(3.5, 10.5, 7.5, 10.5, CARD_LINE))


def page(x0, y0, x1, y1, fold=3.0, lines=True):
    mvg = polygon([(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)],
                  PAPER, PAPER_EDGE)
    mvg += polygon([(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)], "#dfe5ee",
                   PAPER_EDGE)
    if lines:
        y = y0 + fold + 1.5
        while y < y1 - 1:
            mvg += line(x0 + 2, y, x1 - 2, y, "#9fb0c8")
            y += 2
    return mvg


def printer(with_paper=True):
    mvg = ""
    if with_paper:
        mvg += rect(4.5, 1.5, 11.5, 7, PAPER, PAPER_EDGE)
    mvg += rrect(1.5, 6.5, 14.5, 12.5, 1, "#c7cdd8", GREY_DARK)
    mvg += rect(3.5, 10.5, 12.5, 12.5, "#7c8494", "none")
    mvg += circle(12.5, 8.5, 0.8, GREEN)
    mvg += rect(4.5, 11.5, 11.5, 15, PAPER, PAPER_EDGE)
    mvg += line(6, 13.5, 10, 13.5, "#9fb0c8")
    return mvg


def magnifier(cx, cy, r, handle_to, lens_width=1.3):
    hx, hy = handle_to
    d = r / math.sqrt(2)
    return (line(cx + d, cy + d, hx, hy, INK, 2.4)
            + circle(cx, cy, r, BLUE_LIGHT, INK, lens_width)
            + path("M %g,%g A %g,%g 0 0,1 %g,%g" % (cx - r * 0.55, cy, r * 0.55, r * 0.55,
                                                    cx, cy - r * 0.55), stroke=PAPER, width=0.9))


def sort_icon(bars_growing_down):
    mvg = line(4, 2, 4, 12, BLUE_DARK, 1.6)
    mvg += polygon([(0.8, 10.5), (7.2, 10.5), (4, 14.8)], BLUE, BLUE_DARK, 0.6)
    lengths = [3, 5, 7] if bars_growing_down else [7, 5, 3]
    colours = [GREEN, YELLOW, ORANGE]
    for i, (length, colour) in enumerate(zip(lengths, colours)):
        y = 2.5 + i * 4.5
        mvg += rect(8.5, y, 8.5 + length, y + 2.5, colour, INK, 0.8)
    return mvg


ICONS = {
    "HELP": (circle(8, 8, 7, BLUE, BLUE_DARK)
             + text(4.4, 13.2, 13, "?", PAPER)),
    "ADRESS": (rect(1.5, 3.5, 14.5, 12.5, CARD, CARD_EDGE)
               + polyline([(1.5, 3.5), (8, 8.5), (14.5, 3.5)], CARD_EDGE)
               + rect(10.5, 9, 13.5, 11.5, RED, "none")),
    "DSNEW": (record_card()
              + circle(11.5, 11.5, 3.9, GREEN, GREEN_DARK)
              + line(11.5, 9.3, 11.5, 13.7, PAPER, 1.6)
              + line(9.3, 11.5, 13.7, 11.5, PAPER, 1.6)),
    "DSDEL": (record_card()
              + line(8.5, 8.5, 14.5, 14.5, RED_DARK, 3.2)
              + line(14.5, 8.5, 8.5, 14.5, RED_DARK, 3.2)
              + line(8.5, 8.5, 14.5, 14.5, RED, 1.8)
              + line(14.5, 8.5, 8.5, 14.5, RED, 1.8)),
    "DSFIND": record_card() + magnifier(10.5, 10, 3.2, (15, 14.8)),
    "DSEDIT": (record_card()
               # a pencil lying from the lower left to the upper right
               + polygon([(5.92, 11.96), (10.87, 7.01), (12.99, 9.13), (8.04, 14.08)],
                         ORANGE, ORANGE_DARK, 0.7)
               + polygon([(10.87, 7.01), (12.28, 5.60), (14.40, 7.72), (12.99, 9.13)],
                         "#e98a9b", ORANGE_DARK, 0.7)
               + polygon([(5.92, 11.96), (8.04, 14.08), (4.6, 15.4)], "#f1d7a2",
                         ORANGE_DARK, 0.7)
               + polygon([(4.6, 15.4), (5.3, 13.6), (6.4, 14.7)], INK)),
    "DSSAVE": (rrect(1.5, 1.5, 14.5, 14.5, 1.2, BLUE, BLUE_DARK)
               + rect(4, 1.5, 11.5, 6.5, "#d5dbe6", "none")
               + rect(9, 2.5, 10.5, 5.5, BLUE_DARK, "none")
               + rect(3.5, 9, 12.5, 14.5, PAPER, "none")
               + line(5, 11, 11, 11, "#9fb0c8")
               + line(5, 13, 11, 13, "#9fb0c8")),
    "OPENFILE": (polygon([(1.5, 3.5), (6, 3.5), (7.5, 5), (13.5, 5), (13.5, 13.5), (1.5, 13.5)],
                         "#dca12a", BROWN_DARK)
                 + polygon([(4, 7.5), (15.5, 7.5), (13.5, 13.5), (1.5, 13.5)], YELLOW,
                           BROWN_DARK)),
    "NEWFILE": (page(3.5, 1.5, 13.5, 14.5, lines=False)
                + polygon([(4, 0.8), (4.9, 3.1), (7.2, 4), (4.9, 4.9), (4, 7.2), (3.1, 4.9),
                           (0.8, 4), (3.1, 3.1)], YELLOW, ORANGE_DARK, 0.6)),
    "FIND": magnifier(6.5, 6.5, 4.6, (14.6, 14.6), 1.5),
    "CUT": (line(5.8, 10, 11.2, 1.2, GREY_DARK, 1.5)
            + line(10.2, 10, 4.8, 1.2, GREY_DARK, 1.5)
            + circle(8, 6.6, 0.7, INK)
            + circle(4.3, 12.2, 2.3, "none", RED, 1.5)
            + circle(11.7, 12.2, 2.3, "none", RED, 1.5)),
    # page layout: a sheet with its margins and the printed area
    "PRINTSETUP": (rect(2.5, 1.5, 13.5, 14.5, PAPER, PAPER_EDGE)
                   + rect(4.5, 3.5, 11.5, 12.5, BLUE_LIGHT, BLUE, 0.8)
                   + line(5.5, 5.5, 10.5, 5.5, BLUE_DARK)
                   + line(5.5, 7.5, 10.5, 7.5, BLUE)
                   + line(5.5, 9.5, 10.5, 9.5, BLUE)
                   + line(5.5, 11.5, 8.5, 11.5, BLUE)),
    # printer set-up: a printer with a cog
    "PAGESETUP": (printer()
                  + gear(12, 12, 3.9, 2.9, 8, YELLOW, ORANGE_DARK, 1.1)),
    "DEL": (line(3.5, 3.5, 12.5, 12.5, RED_DARK, 3.6)
            + line(12.5, 3.5, 3.5, 12.5, RED_DARK, 3.6)
            + line(3.5, 3.5, 12.5, 12.5, RED, 2.2)
            + line(12.5, 3.5, 3.5, 12.5, RED, 2.2)),
    "COPY": (page(1.5, 1.5, 9.5, 11.5, fold=2.5)
             + page(6.5, 4.5, 14.5, 14.5, fold=2.5)),
    "EXIT": (rect(2.5, 1.5, 9.5, 14.5, "#4a3220", BROWN_DARK)
             + polygon([(2.5, 1.5), (7.5, 3), (7.5, 15.5), (2.5, 14.5)], BROWN, BROWN_DARK)
             + circle(6.4, 8.8, 0.6, YELLOW)
             + polygon([(8, 6.5), (11.5, 6.5), (11.5, 4.2), (15.2, 8), (11.5, 11.8),
                        (11.5, 9.5), (8, 9.5)], GREEN, GREEN_DARK, 0.8)),
    "TABOP": (rect(1.5, 2.5, 14.5, 13.5, PAPER, INK)
              + rect(2, 3, 14, 5.5, BLUE, "none")
              + line(1.5, 5.5, 14.5, 5.5, INK)
              + line(1.5, 8.5, 14.5, 8.5, GREY)
              + line(1.5, 11, 14.5, 11, GREY)
              + line(6.5, 5.5, 6.5, 13.5, GREY)
              + line(10.5, 5.5, 10.5, 13.5, GREY)
              + rect(1.5, 2.5, 14.5, 13.5, "none", INK)),
    "SORTASC": sort_icon(True),
    "SORTDES": sort_icon(False),
    "PASTE": (rrect(1.5, 2.5, 11.5, 14.5, 1, BROWN, BROWN_DARK)
              + rrect(4, 1, 9, 4, 0.8, "#c7cdd8", GREY_DARK, 0.8)
              + page(6.5, 6.5, 14.5, 15.5, fold=2.5)),
    "PRINT": printer(),
}


# ---- pictures on a 64-unit grid ---------------------------------------------------------------

def sun_picture():
    cx, cy = 32, 32
    mvg = ""
    for i in range(12):
        a = 2 * math.pi * i / 12
        b = 0.17
        mvg += polygon([(cx + 19 * math.cos(a - b), cy + 19 * math.sin(a - b)),
                        (cx + 30 * math.cos(a), cy + 30 * math.sin(a)),
                        (cx + 19 * math.cos(a + b), cy + 19 * math.sin(a + b))],
                       ORANGE if i % 2 else YELLOW, "#c76a10", 1)
    mvg += circle(cx, cy, 17, "#ffd84a", "#d9860f", 2)
    mvg += circle(cx - 6, cy - 4, 2.2, INK) + circle(cx + 6, cy - 4, 2.2, INK)
    mvg += circle(cx - 10.5, cy + 3, 3, "#ffab7a") + circle(cx + 10.5, cy + 3, 3, "#ffab7a")
    mvg += path("M %g,%g Q %g,%g %g,%g" % (cx - 8, cy + 4, cx, cy + 13, cx + 8, cy + 4),
                stroke=INK, width=2.4)
    return mvg


def block(x, y, w, h, face, edge, letter=None):
    """A toy block seen from the front, with a lighter top edge."""
    mvg = rrect(x, y, x + w, y + h, 2, face, edge, 1.5)
    mvg += line(x + 3, y + 2.5, x + w - 3, y + 2.5, "#ffffff80", 1.5)
    if letter:
        mvg += text(x + w / 2 - 4.6, y + h / 2 + 5.5, 15, letter, PAPER)
    return mvg


def block_house_picture():
    mvg = ""
    # ground
    mvg += rrect(2, 56, 62, 61, 2, "#7cc36a", "#4d8f3e", 1)
    # two floors of blocks
    mvg += block(8, 40, 16, 16, RED, RED_DARK, "A")
    mvg += block(24, 40, 16, 16, BLUE, BLUE_DARK, "B")
    mvg += block(40, 40, 16, 16, GREEN, GREEN_DARK, "C")
    mvg += block(16, 25, 16, 15, YELLOW, ORANGE_DARK)
    mvg += block(32, 25, 16, 15, ORANGE, ORANGE_DARK)
    # door and window in the upper blocks
    mvg += rrect(20, 29, 28, 37, 1, BLUE_LIGHT, INK, 1.2)
    mvg += line(24, 29, 24, 37, INK, 1) + line(20, 33, 28, 33, INK, 1)
    mvg += rrect(36, 29, 44, 37, 1, BLUE_LIGHT, INK, 1.2)
    mvg += line(40, 29, 40, 37, INK, 1) + line(36, 33, 44, 33, INK, 1)
    # roof block
    mvg += polygon([(12, 25), (32, 6), (52, 25)], RED, RED_DARK, 1.5)
    mvg += circle(32, 17.5, 3, YELLOW, ORANGE_DARK, 1)
    return mvg


def program_picture():
    """A toy block in perspective with a T on its face."""
    front = [(10, 22), (42, 22), (42, 56), (10, 56)]
    top = [(10, 22), (22, 10), (54, 10), (42, 22)]
    side = [(42, 22), (54, 10), (54, 44), (42, 56)]
    mvg = polygon(top, "#ffd24d", ORANGE_DARK, 1.6)
    mvg += polygon(side, "#e2572f", RED_DARK, 1.6)
    mvg += polygon(front, "#2f80dc", BLUE_DARK, 1.6)
    mvg += rrect(14, 26, 38, 52, 2.5, "none", "#ffffff70", 1.2)
    mvg += rect(16, 29, 36, 34.5, PAPER, "none")
    mvg += rect(23.2, 29, 28.8, 49, PAPER, "none")
    mvg += polygon([(24, 14.5), (27.5, 12), (45, 12), (41.5, 14.5)], "#ffe58a")
    return mvg


def rainbow_picture():
    colours = ["#e2402c", "#f08a24", "#f6c935", "#3aa35b", "#2f74d0", "#7a4cc2"]
    mvg = ""
    r = 27
    for colour in colours:
        mvg += path("M %g,46 A %g,%g 0 0,1 %g,46" % (32 - r, r, r, 32 + r),
                    stroke=colour, width=3.6)
        r -= 3.4
    for cx in (9, 55):
        mvg += circle(cx - 5, 48, 5.5, PAPER, "#b8c6d8", 1.2)
        mvg += circle(cx + 5, 48, 5.5, PAPER, "#b8c6d8", 1.2)
        mvg += circle(cx, 44, 6.5, PAPER, "#b8c6d8", 1.2)
        mvg += rect(cx - 8, 47, cx + 8, 53, PAPER, "none")
        mvg += line(cx - 9, 53.5, cx + 9, 53.5, "#b8c6d8", 1.2)
    return mvg


PICTURES = {
    "header_left": sun_picture(),
    "header_right": block_house_picture(),
    "tarvex": program_picture(),
    "about_rainbow": rainbow_picture(),
}


# ---- pictures of the options dialog ----------------------------------------------------------

def style_badge(letter, on, font_on, font_off):
    """A letter on a small plate (20-unit grid): strong when the style is set, grey when not."""
    if on:
        return (rrect(0.75, 0.75, 19.25, 19.25, 3, BLUE_LIGHT, BLUE, 1.5)
                + text(4.6, 16, 16, letter, INK, font_on))
    return (rrect(0.75, 0.75, 19.25, 19.25, 3, "#f2f4f7", GREY, 1)
            + text(4.6, 16, 16, letter, GREY, font_off))


def sheet(x0, y0, x1, y1):
    """A printed sheet (48-unit grid): a heading line and text lines within its margins."""
    fold = 6
    mvg = polygon([(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)],
                  PAPER, PAPER_EDGE, 1.5)
    mvg += polygon([(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)], "#dfe5ee",
                   PAPER_EDGE, 1.2)
    mvg += line(x0 + 4, y0 + 6, x1 - fold - 3, y0 + 6, BLUE_DARK, 2.4)
    y = y0 + 11
    while y < y1 - 3:
        mvg += line(x0 + 4, y, x1 - 4, y, "#9fb0c8", 1.4)
        y += 4
    return mvg


OPTION_PICTURES = {
    # name: (drawing, size in pixels, grid)
    "font_bold": (style_badge("F", True, FONT_BOLD, "Liberation-Sans"), 20, 20),
    "font_bold_off": (style_badge("F", False, FONT_BOLD, "Liberation-Sans"), 20, 20),
    "font_italic": (style_badge("K", True, "Liberation-Serif-Bold-Italic",
                                "Liberation-Serif-Italic"), 20, 20),
    "font_italic_off": (style_badge("K", False, "Liberation-Serif-Bold-Italic",
                                    "Liberation-Serif-Italic"), 20, 20),
    "page_portrait": (sheet(11, 3, 37, 45), 48, 48),
    "page_landscape": (sheet(3, 11, 45, 37), 48, 48),
}


def main(names):
    """Draws everything, or only the drawings named on the command line."""
    def wanted(name):
        return not names or name in names

    os.makedirs(os.path.join(ICON_DIR, "32"), exist_ok=True)
    os.makedirs(PICTURE_DIR, exist_ok=True)
    for key, mvg in ICONS.items():
        if wanted(key):
            render(mvg, 16, 16, os.path.join(ICON_DIR, key + ".png"))
            render(mvg, 32, 16, os.path.join(ICON_DIR, "32", key + ".png"))
    for name, mvg in PICTURES.items():
        if wanted(name):
            render(mvg, 64, 64, os.path.join(PICTURE_DIR, name + ".png"))
    # the program icon also at 256 px for docks and file managers
    if wanted("tarvex"):
        render(PICTURES["tarvex"], 256, 64, os.path.join(PICTURE_DIR, "tarvex_256.png"))
    if wanted("tarvex") or wanted("desktop"):
        os.makedirs(DESKTOP_ICON_DIR, exist_ok=True)
        for size in DESKTOP_ICON_SIZES:
            render(PICTURES["tarvex"], size, 64,
                   os.path.join(DESKTOP_ICON_DIR, "tarvex_%d.png" % size))
    for name, (mvg, size, grid) in OPTION_PICTURES.items():
        if wanted(name):
            render(mvg, size, grid, os.path.join(PICTURE_DIR, name + ".png"))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
