"""The program icon, the logo on the skin, and the About window's emblem
and wordmark."""
import math
import random

from PIL import Image, ImageChops

import pen
import skin

ICON_SIZES = (16, 16, 24, 24, 32, 32, 48, 48, 64, 72, 96, 128)
LOGO = (137, 60)
LOGO_TOP = 20          # row of the logo control in the window
EMBLEM = (100, 100)
WORDMARK = (127, 26)
WHITE = (255, 255, 255)
NAVY = (28, 44, 84)
BLUE = (24, 116, 226)  # the About window's link colour
ORANGE = (240, 128, 40)
SYMBOL = (250, 250, 250)


def _disc_layers(size, cx, cy, r, sheen, outline, hub=True):
    """Disc colours and coverage: sheen, clear hub, rim, and a hole."""
    body, ring, rim, hole = (pen.Coverage(*size) for _ in range(4))
    body.ellipse(cx, cy, r, r)
    rim.ellipse(cx, cy, r, r)
    rim.ellipse(cx, cy, r - outline, r - outline, 0)
    if hub:
        ring.ellipse(cx, cy, r * 0.36, r * 0.36)
        ring.ellipse(cx, cy, r * 0.3, r * 0.3, 0)
    hole.ellipse(cx, cy, max(1.0, r * 0.13), max(1.0, r * 0.13))
    rgb = pen.cone(size, cx, cy, r, sheen)
    rgb = pen.paint(rgb, (236, 240, 246), ring.mask())
    rgb = pen.paint(rgb, (84, 92, 108), rim.mask())
    return rgb, ImageChops.subtract(body.mask(), hole.mask())


def _badge_shape(cov, box, round_badge, fill=255):
    x0, y0, x1, y1 = box
    if round_badge:
        cov.ellipse((x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2, (y1 - y0) / 2, fill)
    else:
        cov.rounded_rect(box, (x1 - x0) * 0.24, fill)


def icon(size, round_badge=False):
    """A disc with a blue eject badge in its lower right corner. The badge
    and its symbol are placed on whole pixels so they stay sharp at 16 px;
    the second picture of a pair has a round badge on a plain silver disc."""
    s = (size, size)
    outline = max(1.0, size / 32)
    r = round(size * 0.44)
    sheen = [(206, 210, 218), (168, 176, 190)] * 2 if round_badge else pen.SHEEN
    rgb, alpha = _disc_layers(s, r, r, r, sheen, outline, hub=size >= 24)
    out = pen.layer(rgb, alpha)

    badge = size // 2 + 1 if size <= 48 else round(size * 0.42)
    b0 = size - badge
    box = (b0, b0, size, size)
    face, edge, shadow = pen.Coverage(*s), pen.Coverage(*s), pen.Coverage(*s)
    _badge_shape(face, box, round_badge)
    _badge_shape(edge, box, round_badge)
    _badge_shape(edge, (b0 + outline, b0 + outline, size - outline, size - outline), round_badge, 0)
    _badge_shape(shadow, (b0 - outline, b0 - outline, size, size), round_badge)
    out = Image.alpha_composite(out, pen.layer(pen.fill(s, (20, 30, 50)), shadow.mask().point(lambda v: v // 3)))
    blue = pen.vertical_gradient(s, (84, 170, 250), (20, 92, 200))
    out = Image.alpha_composite(out, pen.layer(pen.paint(blue, (12, 60, 140), edge.mask()), face.mask()))

    pad = round(badge * 0.24)
    width = badge - 2 * pad
    rise = (width + 1) // 2
    gap = max(1, round(badge * 0.08))
    bar = max(1, round(badge * 0.12))
    top = b0 + (badge - rise - gap - bar) // 2
    mark = pen.Coverage(*s)
    mark.polygon([(b0 + badge / 2, top), (b0 + pad + width, top + rise), (b0 + pad, top + rise)])
    mark.rounded_rect((b0 + pad, top + rise + gap, b0 + pad + width, top + rise + gap + bar), 0)
    return Image.alpha_composite(out, pen.layer(pen.fill(s, SYMBOL), mark.mask()))


def icons():
    return [icon(n, round_badge=i % 2 == 1 and n < 64) for i, n in enumerate(ICON_SIZES)]


def _on_white(picture, cover):
    """Pure white wherever nothing was drawn: the see-through colour."""
    return Image.composite(picture, pen.fill(picture.size, WHITE), cover.point(lambda v: 255 if v else 0))


def logo():
    """"Tarvel" in light pen strokes, a disc for the last "o", and a blue
    swoosh; drawn over the panel colour so its edges meet the skin cleanly."""
    rng = random.Random(7)
    xh = 17
    width = pen.text_width("Tarvel", xh) + 2 + 21
    x = (LOGO[0] - width) / 2
    baseline = 40
    ink, shade, swoosh = pen.Coverage(*LOGO), pen.Coverage(*LOGO), pen.Coverage(*LOGO)
    for stroke in pen.lettering("Tarvel", x, baseline, xh, rng, slant=0.16):
        ink.stroke(stroke, 3.3)
        shade.stroke([(px + 1.0, py + 1.4) for px, py in stroke], 3.3)
    swoosh.stroke(pen.wavering([(x + 2, baseline + 9), (x + width * 0.5, baseline + 6.5),
                                (x + width + 2, baseline + 4)], rng, 0.6), 2.6, taper=0.8)
    cx, cy, r = x + width - 10.5, baseline - 10.5, 10.5
    disc_rgb, disc_alpha = _disc_layers(LOGO, cx, cy, r, pen.SHEEN, 1.0)
    disc_shade = pen.Coverage(*LOGO)
    disc_shade.ellipse(cx + 1, cy + 1.4, r, r)

    picture = pen.vertical_gradient(LOGO, skin.panel_rgb(LOGO_TOP), skin.panel_rgb(LOGO_TOP + LOGO[1] - 1))
    dark = ImageChops.lighter(shade.mask(), disc_shade.mask())
    picture = pen.paint(picture, (10, 12, 16), dark.point(lambda v: v * 7 // 10))
    picture = pen.paint(picture, pen.vertical_gradient(LOGO, (240, 244, 250), (168, 182, 202)), ink.mask())
    picture = pen.paint(picture, (70, 156, 246), swoosh.mask())
    picture = pen.paint(picture, disc_rgb, disc_alpha)
    cover = ImageChops.lighter(ImageChops.lighter(dark, ink.mask()), ImageChops.lighter(swoosh.mask(), disc_alpha))
    return _on_white(picture, cover)


def emblem():
    """A maker's stamp: a watercolour wash, a twice-drawn ring, a lettered
    "H" with an orange spark and swoosh."""
    rng = random.Random(1913)
    wash, pool, ring, letter, spark, hatch = (pen.Coverage(*EMBLEM) for _ in range(6))
    wash.polygon(pen.wavering(pen.arc(51, 51, 40, 39, 0, 360), rng, 1.6))
    pool.stroke(pen.wavering(pen.arc(51, 51, 39, 38, 200, 330), rng, 1.0), 3.0, taper=0.9)
    for radius, width in ((44, 2.0), (42.8, 1.2)):
        loop = pen.arc(50, 50, radius, radius, rng.uniform(0, 90), rng.uniform(420, 450))
        ring.stroke(pen.wavering(loop, rng, 0.9), width, taper=0.5)
    for stroke in pen.lettering("H", 35, 68, 28, rng, slant=0.12):
        letter.stroke(stroke, 6.0, taper=0.3)
    spark.stroke(pen.wavering([(33, 78), (52, 76.5), (69, 73)], rng, 0.5), 2.4, taper=0.8)
    for a in range(0, 360, 60):
        spark.stroke([(72, 30), (72 + 5 * math.cos(math.radians(a)), 30 + 5 * math.sin(math.radians(a)))],
                     1.6, taper=0.7)
    for k in range(5):
        hatch.stroke([(70 + 4 * k, 94 - k * 1.0), (78 + 4 * k, 86 - k * 1.0)], 1.0, taper=0.6)

    picture = pen.fill(pen.sized(EMBLEM), WHITE)
    picture = pen.paint(picture, (206, 224, 248), wash.mask())
    picture = pen.paint(picture, (166, 198, 240), pool.mask().point(lambda v: v * 3 // 5))
    picture = pen.paint(picture, (150, 160, 180), hatch.mask())
    picture = pen.paint(picture, NAVY, ring.mask())
    picture = pen.paint(picture, BLUE, letter.mask())
    return pen.paint(picture, ORANGE, spark.mask())


def wordmark():
    """"Hobrast" lettered in navy with a blue underline and an orange dot."""
    rng = random.Random(1987)
    xh = 13
    ink, line, dot = pen.Coverage(*WORDMARK), pen.Coverage(*WORDMARK), pen.Coverage(*WORDMARK)
    for stroke in pen.lettering("Hobrast", 4, 21.5, xh, rng):
        ink.stroke(stroke, 2.3)
    end = 4 + pen.text_width("Hobrast", xh)
    line.stroke(pen.wavering([(3, 24.6), (end + 10, 23.4)], rng, 0.3), 1.3, taper=0.8)
    dot.ellipse(end + 6, 19.5, 2.0, 2.0)
    picture = pen.paint(pen.fill(pen.sized(WORDMARK), WHITE), BLUE, line.mask())
    picture = pen.paint(picture, NAVY, ink.mask())
    return pen.paint(picture, ORANGE, dot.mask())
