#!/usr/bin/python3
"""Regenerates the compiled-in pictures of `register`.

Writes, below register/resources/:
  pictures/<SECTION>/<NAME>.jpg|.gif  23 pictures for each of the six language sections
  cursor/pointer.png                  the picture buttons' pointer (32 x 32, 16 colours,
                                      hot spot at column 12, row 1)
  pictures.qrc                        the resource list: ":/pictures/<SECTION>/<NAME>"
                                      (no file extension) and ":/cursor/pointer.png"

Needs Debian's python3-pil and fonts-dejavu-core; run with /usr/bin/python3.
The output is committed; the build never runs this script.

With --out DIR it makes a publisher's own set instead, in the layout the
wizard reads from the folder "pictures" beside it: DIR/<section>/<NAME>.jpg|.gif
for each section of the words file, in the publisher's colours and with the
publisher's name (or none) where ours would stand; nothing of ours is touched.
"""

import argparse
import json
import sys
from pathlib import Path

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

ROOT = Path(__file__).resolve().parents[2]
RESOURCES = ROOT / "register" / "resources"
FONT_DIR = Path("/usr/share/fonts/truetype/dejavu")
SANS = FONT_DIR / "DejaVuSans.ttf"
SANS_BOLD = FONT_DIR / "DejaVuSans-Bold.ttf"

SS = 4  # supersampling factor for shapes (text is drawn at the final size for crispness)

# ---------------------------------------------------------------------------
# Geometry and palette. The bottom band of BACK is one flat colour so that the
# anti-aliased rim of the GIF buttons, which is blended against it, is invisible.
# ---------------------------------------------------------------------------
BACK_SIZE = (651, 459)  # 9765 x 6885 twips at 15 twips per pixel
BAND_HEIGHT = 70
# 300 twips high: the layouts put OK and Finish at the frame's height - picture
# height - 700 and the bottom row at the window's height - 1000, which meet on
# one line only for this height.
BUTTON_SIZE = (120, 20)
TITLE_SIZE = (420, 60)
WELCOME_SIZE = (180, 180)
BIRTHDAY_SIZE = (400, 70)

NAVY = (27, 50, 86)
NAVY_DEEP = (18, 34, 62)
BLUE = (42, 84, 140)
TEAL = (38, 160, 150)
TEAL_LIGHT = (120, 214, 200)
BAND = (221, 229, 239)
BAND_LINE = (196, 208, 222)
SKY_TOP = (246, 249, 253)
SKY_BOTTOM = (232, 239, 247)
MARK = (132, 152, 178)
BANNER_LIGHT = (36, 96, 140)
WELCOME_TOP = (36, 72, 122)

# The words drawn on the pictures, per section: tools/make-pictures/words.json,
# which the wizard also compiles in, so that a screen reader says the word a
# button's picture shows ("buttons", by resource name). The "titles" are drawn
# on the title banners; the "spoken" words name controls and are never drawn.
WORDS_FILE = Path(__file__).resolve().parent / "words.json"
LANGUAGES = {section: {**table["buttons"], **table["titles"]}
             for section, table in json.loads(WORDS_FILE.read_text(encoding="utf-8")).items()}

JPEG_NAMES = ["BACK", "BIRTHDAYBACK", "WELCOME", "WELCOMETITLE_1", "WELCOMETITLE_2"]
BUTTONS = ["CANCEL", "EXIT", "FINISH", "NEXT", "OK", "PREVIOUS", "QUIT", "RETRY", "SUBMIT"]
GIF_NAMES = [n for b in BUTTONS for n in (b, b + "_OVER")]


def font(path, size):
    return ImageFont.truetype(str(path), size)


def lerp(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def vertical_gradient(size, top, bottom):
    w, h = size
    column = Image.new("RGB", (1, h))
    for y in range(h):
        column.putpixel((0, y), lerp(top, bottom, y / max(1, h - 1)))
    return column.resize((w, h))


def horizontal_gradient(size, left, right):
    w, h = size
    row = Image.new("RGB", (w, 1))
    for x in range(w):
        row.putpixel((x, 0), lerp(left, right, x / max(1, w - 1)))
    return row.resize((w, h))


def big(size):
    return (size[0] * SS, size[1] * SS)


def down(img, size):
    return img.resize(size, Image.LANCZOS)


def overlay(base, colour, alpha_mask):
    """Paints `colour` over RGB(A) `base` through the L-mode `alpha_mask`."""
    layer = Image.new(base.mode, base.size, colour if base.mode == "RGB" else colour + (255,))
    base.paste(layer, (0, 0), alpha_mask)


def shape_mask(size, draw_fn, blur=0):
    """An anti-aliased L mask: `draw_fn(draw, s)` draws at SS times the size."""
    m = Image.new("L", big(size), 0)
    draw_fn(ImageDraw.Draw(m), SS)
    if blur:
        m = m.filter(ImageFilter.GaussianBlur(blur * SS))
    return down(m, size)


def scaled(mask, factor):
    return mask.point(lambda v: round(v * factor))


def text_width(fnt, text):
    left, _, right, _ = fnt.getbbox(text)
    return right - left


def spaced_text(draw, xy, text, fnt, fill, spacing):
    x, y = xy
    for ch in text:
        draw.text((x, y), ch, font=fnt, fill=fill)
        x += text_width(fnt, ch) + spacing


def spaced_width(text, fnt, spacing):
    return sum(text_width(fnt, ch) for ch in text) + spacing * (len(text) - 1)


# The word mark and the emblem. A publisher's set (--out) carries the
# publisher's name, or nothing, and no emblem.
BRAND = "VELMORA"
EMBLEM = True


def emblem_mask(size, cx, cy, r):
    """The Velmora emblem: a shield with a V cut out of it (as an L mask)."""
    if not EMBLEM:
        return Image.new("L", size, 0)

    def draw(d, s):
        # Shield outline: flat top with rounded shoulders, pointed bottom.
        pts = [(cx - r, cy - r * 0.85), (cx + r, cy - r * 0.85), (cx + r, cy + 0.05 * r),
               (cx, cy + r * 1.05), (cx - r, cy + 0.05 * r)]
        d.polygon([(x * s, y * s) for x, y in pts], fill=255)
        # The V.
        v = [(cx - r * 0.62, cy - r * 0.55), (cx - r * 0.28, cy - r * 0.55), (cx, cy + r * 0.22),
             (cx + r * 0.28, cy - r * 0.55), (cx + r * 0.62, cy - r * 0.55), (cx, cy + r * 0.62)]
        d.polygon([(x * s, y * s) for x, y in v], fill=0)
    return shape_mask(size, draw)


# ---------------------------------------------------------------------------
# BACK: the main window's background.
# ---------------------------------------------------------------------------
def make_back():
    w, h = BACK_SIZE
    band_top = h - BAND_HEIGHT
    img = vertical_gradient((w, h), SKY_TOP, SKY_BOTTOM)

    # Soft shapes in the corners only; the middle stays calm for dark labels.
    def circles(d, s):
        d.ellipse([(w - 150) * s, -170 * s, (w + 170) * s, 150 * s], fill=255)
    overlay(img, BLUE, scaled(shape_mask((w, h), circles, blur=2), 0.06))

    def circle2(d, s):
        d.ellipse([(w - 250) * s, -60 * s, (w - 90) * s, 100 * s], fill=255)
    overlay(img, TEAL, scaled(shape_mask((w, h), circle2, blur=2), 0.06))

    def circle3(d, s):
        d.ellipse([-160 * s, (band_top - 120) * s, 140 * s, (band_top + 180) * s], fill=255)
    overlay(img, BLUE, scaled(shape_mask((w, h), circle3, blur=3), 0.045))

    # Two thin sweeping arcs across the top right.
    def arcs(d, s):
        d.arc([(w - 520) * s, -420 * s, (w + 260) * s, 130 * s], 95, 175, fill=255, width=2 * s)
        d.arc([(w - 470) * s, -430 * s, (w + 300) * s, 110 * s], 100, 178, fill=255, width=1 * s)
    overlay(img, BLUE, scaled(shape_mask((w, h), arcs), 0.14))

    # Brand stripe along the top edge.
    stripe = horizontal_gradient((w, 4), NAVY, TEAL)
    img.paste(stripe, (0, 0))

    # The button band: one flat colour with a separator line.
    d = ImageDraw.Draw(img)
    d.rectangle([0, band_top, w, h], fill=BAND)
    d.line([0, band_top, w, band_top], fill=BAND_LINE)
    d.line([0, band_top + 1, w, band_top + 1], fill=(240, 244, 249))

    # A small, discreet brand mark in the top right corner.
    mark_font = font(SANS_BOLD, 10)
    text = BRAND
    if not text:
        return img
    tw = spaced_width(text, mark_font, 2)
    x = w - 16 - tw
    y = 14
    overlay(img, MARK, emblem_mask((w, h), x - 11, y + 6, 6))
    spaced_text(ImageDraw.Draw(img), (x, y), text, mark_font, MARK, 2)
    return img


# ---------------------------------------------------------------------------
# Buttons (GIF): rounded rectangles, 120 x 20, drawn on the band colour, with
# the outside made transparent. Hover adds a brighter fill and a teal ring.
# ---------------------------------------------------------------------------
def make_button(word, hover):
    w, h = BUTTON_SIZE
    inset = 2  # room for the hover ring, so both pictures have the same size
    radius = 6
    rgba = Image.new("RGBA", (w, h), BAND + (0,))

    if hover:
        def ring(d, s):
            d.rounded_rectangle([0, 0, w * s - 1, h * s - 1], radius=(radius + 2) * s, fill=255)
        rgba.paste(Image.new("RGBA", (w, h), TEAL_LIGHT + (255,)), (0, 0),
                   shape_mask((w, h), ring))

    def body(d, s):
        d.rounded_rectangle([inset * s, inset * s, (w - inset) * s - 1, (h - inset) * s - 1],
                            radius=radius * s, fill=255)
    body_mask = shape_mask((w, h), body)
    if hover:
        fill = vertical_gradient((w, h), (72, 136, 204), (40, 96, 168))
        border = (28, 70, 130)
    else:
        fill = vertical_gradient((w, h), (52, 92, 150), (26, 52, 96))
        border = (16, 34, 64)
    border_layer = Image.new("RGBA", (w, h), border + (255,))
    rgba.paste(border_layer, (0, 0), body_mask)

    def inner(d, s):
        d.rounded_rectangle([(inset + 1) * s, (inset + 1) * s, (w - inset - 1) * s - 1,
                             (h - inset - 1) * s - 1], radius=(radius - 1) * s, fill=255)
    inner_mask = shape_mask((w, h), inner)
    rgba.paste(fill.convert("RGBA"), (0, 0), inner_mask)

    # A soft highlight on the upper half.
    def gloss(d, s):
        d.rounded_rectangle([(inset + 2) * s, (inset + 2) * s, (w - inset - 2) * s - 1,
                             (h // 2) * s], radius=(radius - 2) * s, fill=255)
    strength = 0.22 if hover else 0.15
    fade = Image.new("L", (1, h))
    for y in range(h):
        fade.putpixel((0, y), round(255 * strength * max(0.0, 1 - y / (h * 0.5))))
    gloss_mask = ImageChops.multiply(ImageChops.multiply(shape_mask((w, h), gloss), inner_mask),
                                     fade.resize((w, h)))
    rgba.paste(Image.new("RGBA", (w, h), (255, 255, 255, 255)), (0, 0), gloss_mask)

    # The word, shrunk until it fits with some padding.
    size = 12
    while size > 8:
        fnt = font(SANS_BOLD, size)
        if text_width(fnt, word) <= w - 2 * inset - 18:
            break
        size -= 1
    fnt = font(SANS_BOLD, size)
    d = ImageDraw.Draw(rgba)
    left, top, right, bottom = fnt.getbbox(word)
    tx = (w - (right - left)) / 2 - left
    cap = fnt.getbbox("H")
    ty = (h - (cap[3] - cap[1])) / 2 - cap[1]
    d.text((round(tx), round(ty) + 1), word, font=fnt, fill=(10, 22, 44, 255))  # shadow
    d.text((round(tx), round(ty)), word, font=fnt, fill=(255, 255, 255, 255))
    return to_gif(rgba)


def to_gif(rgba):
    """Flattens onto the band colour, keeps the rim opaque, and makes the outside
    transparent; a 255-colour adaptive palette without dithering plus one
    transparent entry."""
    alpha = rgba.getchannel("A")
    flat = Image.new("RGB", rgba.size, BAND)
    flat.paste(rgba.convert("RGB"), (0, 0), alpha)
    q = flat.quantize(colors=255, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    palette = q.getpalette()[: 255 * 3]
    palette += [0] * (255 * 3 - len(palette))
    palette += list(BAND)  # index 255: transparent, shown as the band colour elsewhere
    transparent = alpha.point(lambda v: 255 if v < 64 else 0)
    out = q.copy()
    out.putpalette(palette)
    out.paste(255, (0, 0), transparent)
    out.info["transparency"] = 255
    return out


# ---------------------------------------------------------------------------
# Title banners, the welcome emblem and the birth-date panel (JPEG).
# ---------------------------------------------------------------------------
def banner_base(size):
    w, h = size
    img = horizontal_gradient(size, NAVY_DEEP, BANNER_LIGHT)
    # Diagonal light bands on the right.
    def streaks(d, s):
        for i, x0 in enumerate((w - 170, w - 120, w - 95)):
            width = (34, 12, 6)[i]
            d.polygon([((x0) * s, h * s), ((x0 + width) * s, h * s),
                       ((x0 + width + 40) * s, 0), ((x0 + 40) * s, 0)], fill=255)
    overlay(img, (255, 255, 255), scaled(shape_mask(size, streaks), 0.07))
    # Teal accent bar on the left and a hairline at the bottom.
    d = ImageDraw.Draw(img)
    d.rectangle([0, 0, 5, h], fill=TEAL)
    d.line([0, h - 1, w, h - 1], fill=TEAL)
    # The emblem at the right end.
    overlay(img, (255, 255, 255), scaled(emblem_mask(size, w - 28, h / 2, 13), 0.85))
    return img


def fit_font(path, start, text, max_width, minimum=10):
    size = start
    while size > minimum and text_width(font(path, size), text) > max_width:
        size -= 1
    return font(path, size)


def make_title_1(welcome, registration):
    w, h = TITLE_SIZE
    img = banner_base(TITLE_SIZE)
    d = ImageDraw.Draw(img)
    title = fit_font(SANS_BOLD, 24, welcome, w - 80)
    sub = fit_font(SANS, 13, registration, w - 80)
    d.text((20, 7), welcome, font=title, fill=(255, 255, 255))
    d.text((21, 37), registration, font=sub, fill=(190, 226, 230))
    return img


def make_title_2(registration):
    w, h = TITLE_SIZE
    img = banner_base(TITLE_SIZE)
    d = ImageDraw.Draw(img)
    title = fit_font(SANS_BOLD, 21, registration, w - 80)
    cap = title.getbbox("H")
    y = (h - (cap[3] - cap[1])) / 2 - cap[1]
    d.text((20, round(y)), registration, font=title, fill=(255, 255, 255))
    return img


def make_welcome():
    w, h = WELCOME_SIZE
    img = vertical_gradient(WELCOME_SIZE, WELCOME_TOP, NAVY_DEEP)
    # A soft glow behind the emblem.
    def glow(d, s):
        d.ellipse([30 * s, 14 * s, 150 * s, 134 * s], fill=255)
    overlay(img, TEAL, scaled(shape_mask(WELCOME_SIZE, glow, blur=14), 0.45))
    # Concentric rings.
    def rings(d, s):
        d.ellipse([28 * s, 12 * s, 152 * s, 136 * s], outline=255, width=2 * s)
        d.ellipse([38 * s, 22 * s, 142 * s, 126 * s], outline=255, width=1 * s)
    overlay(img, (255, 255, 255), scaled(shape_mask(WELCOME_SIZE, rings), 0.25))
    # The shield emblem, with a teal edge.
    overlay(img, TEAL_LIGHT, emblem_mask(WELCOME_SIZE, 90, 72, 38))
    overlay(img, (255, 255, 255), emblem_mask(WELCOME_SIZE, 90, 73, 34))
    # Game-controller buttons as small dots in the corners of the shield.
    def dots(d, s):
        if not EMBLEM:
            return
        for (x, y) in ((64, 50), (116, 50)):
            d.ellipse([(x - 3) * s, (y - 3) * s, (x + 3) * s, (y + 3) * s], fill=255)
    overlay(img, TEAL, shape_mask(WELCOME_SIZE, dots))
    # Word mark.
    d = ImageDraw.Draw(img)
    if BRAND:
        fnt = fit_font(SANS_BOLD, 17, BRAND, w - 20, minimum=8)
        tw = spaced_width(BRAND, fnt, 3)
        spaced_text(d, ((w - tw) // 2, 143), BRAND, fnt, (255, 255, 255), 3)
        d.line([(w // 2 - 30, 168), (w // 2 + 30, 168)], fill=TEAL, width=2)
    d.rectangle([0, 0, w - 1, h - 1], outline=(14, 28, 52))
    return img


def make_birthday():
    w, h = BIRTHDAY_SIZE
    # Painted on the calm middle colour of BACK so the rounded corners blend.
    surround = lerp(SKY_TOP, SKY_BOTTOM, 0.5)
    img = Image.new("RGB", BIRTHDAY_SIZE, surround)

    def shadow(d, s):
        d.rounded_rectangle([2 * s, 3 * s, (w - 2) * s, (h - 1) * s], radius=10 * s, fill=255)
    overlay(img, NAVY, scaled(shape_mask(BIRTHDAY_SIZE, shadow, blur=1.5), 0.10))

    def edge(d, s):
        d.rounded_rectangle([1 * s, 1 * s, (w - 2) * s, (h - 3) * s], radius=10 * s, fill=255)
    overlay(img, (190, 204, 222), shape_mask(BIRTHDAY_SIZE, edge))

    def panel(d, s):
        d.rounded_rectangle([2 * s, 2 * s, (w - 3) * s, (h - 4) * s], radius=9 * s, fill=255)
    panel_mask = shape_mask(BIRTHDAY_SIZE, panel)
    img.paste(vertical_gradient(BIRTHDAY_SIZE, (255, 255, 255), (238, 244, 250)), (0, 0),
              panel_mask)

    # A teal accent along the left edge, inside the panel.
    def accent(d, s):
        d.rectangle([2 * s, 2 * s, 6 * s, (h - 4) * s], fill=255)
    overlay(img, TEAL, ImageChops.multiply(shape_mask(BIRTHDAY_SIZE, accent), panel_mask))

    # A faint calendar glyph at the right end.
    def calendar(d, s):
        x0, y0 = w - 44, 20
        d.rounded_rectangle([x0 * s, y0 * s, (x0 + 26) * s, (y0 + 26) * s], radius=3 * s,
                            outline=255, width=2 * s)
        d.rectangle([x0 * s, y0 * s, (x0 + 26) * s, (y0 + 7) * s], fill=255)
        for cx in (x0 + 7, x0 + 19):
            d.rectangle([(cx - 1) * s, (y0 - 4) * s, (cx + 1) * s, (y0 + 2) * s], fill=255)
        for r in range(2):
            for c in range(3):
                x, y = x0 + 5 + c * 7, y0 + 12 + r * 6
                d.rectangle([x * s, y * s, (x + 3) * s, (y + 3) * s], fill=255)
    overlay(img, BLUE, scaled(shape_mask(BIRTHDAY_SIZE, calendar), 0.18))
    return img


# ---------------------------------------------------------------------------
# The pointer: a pointing hand, 32 x 32, at most 16 colours, the fingertip at
# column 12, row 1 (the hot spot the forms layer uses).
# ---------------------------------------------------------------------------
POINTER_HOTSPOT = (12, 1)


def make_pointer():
    size = 32
    inside = [[False] * size for _ in range(size)]

    def rect(x0, y0, x1, y1, cut=()):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                if (x, y) not in cut:
                    inside[y][x] = True

    # Index finger: columns 10..14, tip row 1; the tip's corners are cut round.
    rect(10, 1, 14, 16, cut={(10, 1), (14, 1)})
    # Middle, ring and little fingers, shorter and shorter.
    rect(14, 7, 17, 16, cut={(17, 7)})
    rect(17, 8, 20, 16, cut={(20, 8)})
    rect(20, 10, 23, 17, cut={(23, 10)})
    # Palm, narrowing towards the wrist.
    rect(9, 14, 23, 21)
    rect(10, 22, 22, 23)
    rect(11, 24, 21, 25)
    # Thumb, reaching up and to the left from the palm.
    for (x0, x1, y) in ((5, 7, 12), (4, 8, 13), (4, 9, 14), (5, 9, 15), (6, 9, 16), (7, 9, 17),
                        (8, 9, 18)):
        for x in range(x0, x1 + 1):
            inside[y][x] = True
    # Cuff.
    rect(10, 26, 22, 30)

    colours = {
        ".": (0, 0, 0, 0),
        "B": (10, 14, 22, 255),     # outline
        "W": (255, 255, 255, 255),  # skin highlight
        "S": (214, 222, 232, 255),  # skin shade
        "C": TEAL + (255,),         # cuff
        "D": (22, 110, 104, 255),   # cuff shade
    }
    grid = [["."] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            if not inside[y][x]:
                continue
            edge = any(
                not (0 <= x + dx < size and 0 <= y + dy < size and inside[y + dy][x + dx])
                for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            if edge:
                grid[y][x] = "B"
            elif y >= 26:
                grid[y][x] = "D" if (y == 29 or x == 21) else "C"
            else:
                grid[y][x] = "W"
    # Lines between the fingers, down to the knuckles.
    for x, y0, y1 in ((14, 7, 14), (17, 8, 14), (20, 10, 15)):
        for y in range(y0, y1 + 1):
            grid[y][x] = "B"
    # The cuff seam.
    for x in range(10, 23):
        grid[26][x] = "B"
    # A little shading on the right-hand side of each finger and of the palm.
    for x, y0, y1 in ((13, 3, 15), (16, 9, 15), (19, 10, 15), (22, 12, 16)):
        for y in range(y0, y1 + 1):
            if grid[y][x] == "W":
                grid[y][x] = "S"
    for y in range(17, 26):
        for x in range(9, 24):
            if grid[y][x] == "W" and x + 1 < size and grid[y][x + 1] == "B" and x > 12:
                grid[y][x] = "S"

    keys = list(colours)
    img = Image.new("P", (size, size), 0)
    palette = []
    for k in keys:
        palette += list(colours[k][:3])
    img.putpalette(palette)
    for y in range(size):
        for x in range(size):
            img.putpixel((x, y), keys.index(grid[y][x]))
    assert grid[POINTER_HOTSPOT[1]][POINTER_HOTSPOT[0]] == "B"
    assert grid[0][POINTER_HOTSPOT[0]] == "."
    return img


# ---------------------------------------------------------------------------
# Output.
# ---------------------------------------------------------------------------
def save_jpeg(img, path):
    img.convert("RGB").save(path, "JPEG", quality=85, optimize=True, progressive=False)


def save_gif(img, path):
    img.save(path, "GIF", transparency=255, optimize=False)


def write_qrc(files):
    lines = ['<!DOCTYPE RCC>', '<!-- Generated by tools/make-pictures/make_pictures.py. '
             'Resource paths: :/pictures/<SECTION>/<NAME> without extension; '
             ':/cursor/pointer.png. -->', '<RCC version="1.0">',
             '  <qresource prefix="/pictures">']
    for section, name, rel in files:
        lines.append(f'    <file alias="{section}/{name}">{rel}</file>')
    lines += ['  </qresource>', '  <qresource prefix="/cursor">',
              '    <file alias="pointer.png">cursor/pointer.png</file>', '  </qresource>',
              '</RCC>', '']
    (RESOURCES / "pictures.qrc").write_text("\n".join(lines), encoding="utf-8")


def parse_colour(text):
    text = text.strip().lstrip("#")
    if len(text) != 6:
        raise argparse.ArgumentTypeError(f"{text!r} is not a colour RRGGBB")
    try:
        return tuple(int(text[i:i + 2], 16) for i in (0, 2, 4))
    except ValueError:
        raise argparse.ArgumentTypeError(f"{text!r} is not a colour RRGGBB") from None


def make_publisher_set(out, words_file, brand, dark, accent):
    """A publisher's own set below `out`, in the layout of the wizard's
    "pictures" folder: <section in lower case>/<NAME>.jpg|.gif."""
    global BRAND, EMBLEM, NAVY, NAVY_DEEP, BLUE, TEAL, TEAL_LIGHT, BANNER_LIGHT, WELCOME_TOP
    BRAND, EMBLEM = brand, False
    if dark:
        NAVY, NAVY_DEEP, BLUE = dark, lerp(dark, (0, 0, 0), 0.35), lerp(dark, (255, 255, 255), 0.2)
        BANNER_LIGHT, WELCOME_TOP = lerp(dark, (255, 255, 255), 0.3), lerp(dark, (255, 255, 255), 0.2)
    if accent:
        TEAL, TEAL_LIGHT = accent, lerp(accent, (255, 255, 255), 0.45)
    tables = json.loads(Path(words_file).read_text(encoding="utf-8"))
    back, welcome, birthday = make_back(), make_welcome(), make_birthday()
    count = 0
    for section, table in sorted(tables.items()):
        words = {**table.get("buttons", {}), **table.get("titles", {})}
        missing = [k for k in BUTTONS + ["welcome", "registration"] if k not in words]
        if missing:
            sys.exit(f"{words_file}: {section} lacks {', '.join(missing)}")
        folder = Path(out) / section.lower()
        folder.mkdir(parents=True, exist_ok=True)
        jpegs = {"BACK": back, "BIRTHDAYBACK": birthday, "WELCOME": welcome,
                 "WELCOMETITLE_1": make_title_1(words["welcome"], words["registration"]),
                 "WELCOMETITLE_2": make_title_2(words["registration"])}
        for name in JPEG_NAMES:
            save_jpeg(jpegs[name], folder / f"{name}.jpg")
        for button in BUTTONS:
            for hover in (False, True):
                name = button + ("_OVER" if hover else "")
                save_gif(make_button(words[button], hover), folder / f"{name}.gif")
        count += len(JPEG_NAMES) + len(GIF_NAMES)
    print(f"wrote {count} pictures of {len(tables)} sections to {out}")


def main():
    for f in (SANS, SANS_BOLD):
        if not f.exists():
            sys.exit(f"missing font {f}: apt-get install fonts-dejavu-core")
    parser = argparse.ArgumentParser(description="Make the wizard's pictures.")
    parser.add_argument("--out", help="make a publisher's own set in this folder (the game's "
                        "pictures/ folder) instead of the built-in pictures")
    parser.add_argument("--words", default=str(WORDS_FILE),
                        help="the words of each section, laid out as words.json "
                        "(default: the built-in six languages)")
    parser.add_argument("--brand", default="",
                        help="the name drawn on the background and the welcome picture "
                        "(default: none)")
    parser.add_argument("--dark", type=parse_colour, help="the dark colour, RRGGBB (buttons, "
                        "banners)")
    parser.add_argument("--accent", type=parse_colour, help="the accent colour, RRGGBB")
    args = parser.parse_args()
    if args.out:
        make_publisher_set(args.out, args.words, args.brand, args.dark, args.accent)
        return
    if args.words != str(WORDS_FILE) or args.brand or args.dark or args.accent:
        sys.exit("--words, --brand, --dark and --accent make a publisher's set: give --out")
    back = make_back()
    welcome = make_welcome()
    birthday = make_birthday()
    files = []
    for section in sorted(LANGUAGES):
        words = LANGUAGES[section]
        folder = RESOURCES / "pictures" / section
        folder.mkdir(parents=True, exist_ok=True)
        for old in folder.iterdir():
            old.unlink()
        jpegs = {
            "BACK": back,
            "BIRTHDAYBACK": birthday,
            "WELCOME": welcome,
            "WELCOMETITLE_1": make_title_1(words["welcome"], words["registration"]),
            "WELCOMETITLE_2": make_title_2(words["registration"]),
        }
        for name in JPEG_NAMES:
            save_jpeg(jpegs[name], folder / f"{name}.jpg")
            files.append((section, name, f"pictures/{section}/{name}.jpg"))
        for button in BUTTONS:
            for hover in (False, True):
                name = button + ("_OVER" if hover else "")
                save_gif(make_button(words[button], hover), folder / f"{name}.gif")
        files += [(section, n, f"pictures/{section}/{n}.gif") for n in GIF_NAMES]
    (RESOURCES / "cursor").mkdir(parents=True, exist_ok=True)
    make_pointer().save(RESOURCES / "cursor" / "pointer.png", "PNG", transparency=0, bits=4,
                        optimize=True)
    files.sort()
    write_qrc(files)
    total = sum(p.stat().st_size for p in RESOURCES.rglob("*") if p.is_file())
    print(f"wrote {len(files)} pictures and the pointer to {RESOURCES} ({total // 1024} KiB)")


if __name__ == "__main__":
    main()
