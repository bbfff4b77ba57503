"""The picture buttons of the main window: the two sketched Open/Close
buttons and the small round hide buttons, each strip with its 1-bit mask.

The pictures sit on the dark skin through a 1-bit mask, so their soft edges
are blended into the panel colour beneath them here, and every pixel the
mask keeps is kept whole. Masked pixels are black, as image lists expect.
Normal and highlighted pictures share one mask: a control redrawn with the
other picture keeps its old pixels wherever the new one is masked."""
import random

from PIL import Image, ImageChops, ImageFilter

import pen
import skin

BUTTON = (145, 50)
CLOSE = (20, 20)
OPEN_TOP, CLOSE_TOP, HIDE_TOP = 93, 149, 20   # rows of the controls in the window
INK = (38, 44, 58)
RETRACE = (92, 98, 112)
GREY_FACE = ((228, 230, 234), (202, 205, 211))
WARM_FACE = ((254, 249, 236), (244, 234, 212))
NEAR_WHITE = (250, 250, 250)
KEEP = 128   # coverage from which a pixel belongs to the picture


def _panel_behind(size, top):
    return pen.vertical_gradient(size, skin.panel_rgb(top), skin.panel_rgb(top + size[1] - 1))


def _cut(picture, cover):
    """Pixels the mask keeps (0) or drops (1), and the picture with the
    dropped ones black."""
    keep = cover.point(lambda v: 255 if v >= KEEP else 0)
    bits = [[0 if v else 1 for v in keep.crop((0, y, keep.width, y + 1)).getdata()]
            for y in range(keep.height)]
    return Image.composite(picture, Image.new("RGB", picture.size), keep), bits


def _symbol(word, ink, face_tint, rng):
    """The small disc beside "Open", the short bar beside "Close"."""
    if word == "Open":
        cx, cy, r = 29, 25, 11
        face_tint.ellipse(cx, cy, r, r)
        ink.stroke(pen.wavering(pen.arc(cx, cy, r, r, 100, 470), rng, 0.35), 1.6, taper=0.2)
        ink.stroke(pen.arc(cx, cy, 3.4, 3.4, 0, 360), 1.3, taper=0)
        ink.stroke(pen.arc(cx, cy, 7.2, 7.2, 200, 250), 1.0)
    else:
        ink.stroke(pen.wavering([(19, 25.5), (39, 24.5)], rng, 0.3), 4.6, taper=0.25)


def _sketched_frame(ink, light, rng, box, overshoot=2.5):
    """Four quick pen lines that cross at the corners, and a lighter second
    pass that goes round most of the way."""
    x0, y0, x1, y1 = box
    sides = [[(x0 - overshoot, y0), (x1 + overshoot, y0)], [(x1, y0 - overshoot), (x1, y1 + overshoot)],
             [(x1 + overshoot, y1), (x0 - overshoot, y1)], [(x0, y1 + overshoot), (x0, y0 - overshoot)]]
    for side in sides:
        shift = [(x + rng.uniform(-0.6, 0.6), y + rng.uniform(-0.6, 0.6)) for x, y in side]
        ink.stroke(pen.wavering(shift, rng, 0.5), 1.5, taper=0.6)
    again = pen.rounded_outline(x0 + 1, y0 + 0.6, x1 + 0.5, y1 + 0.8, 4, start=rng.uniform(0.3, 0.7), turns=0.75)
    light.stroke(pen.wavering(again, rng, 0.9), 1.0, taper=0.6)


def _button(word, top, faces, seed):
    rng = random.Random(seed)
    card = pen.Coverage(*BUTTON)
    card.polygon(pen.wavering(pen.rounded_outline(1.2, 1.2, 143.8, 48.8, 8), rng, 0.45))
    card_mask = card.mask()
    ink, retrace, tint = pen.Coverage(*BUTTON), pen.Coverage(*BUTTON), pen.Coverage(*BUTTON)
    _sketched_frame(ink, retrace, rng, (6.5, 6.5, 138.5, 43.5))
    _symbol(word, ink, tint, rng)
    x = 50 + (86 - pen.text_width(word, 14)) / 2
    for stroke in pen.lettering(word, x, 32.5, 14, rng):
        ink.stroke(stroke, 2.4)

    # A rim one pixel wide at 100 %, as wide as the scale makes whole pixels above.
    edge = ImageChops.subtract(card_mask, card_mask.filter(ImageFilter.MinFilter(2 * int(pen.SCALE) + 1)))
    pictures = []
    for top_colour, bottom_colour in faces:
        pic = pen.paint(_panel_behind(BUTTON, top), pen.vertical_gradient(BUTTON, top_colour, bottom_colour),
                        card_mask)
        pic = pen.paint(pic, tuple(c - 58 for c in bottom_colour), edge.point(lambda v: v * 3 // 5))
        pic = pen.paint(pic, (196, 214, 236), tint.mask())
        pic = pen.paint(pic, RETRACE, retrace.mask())
        pictures.append(pen.paint(pic, INK, ink.mask()))
    return [_cut(p, card_mask) for p in pictures]


def _round_button(mark, face, rim):
    """A 20 px round button with a near-white cross or bar."""
    body = pen.Coverage(*CLOSE)
    body.ellipse(10, 10, 9.7, 9.7)
    ring = pen.Coverage(*CLOSE)
    ring.ellipse(10, 10, 9.7, 9.7)
    ring.ellipse(10, 10, 8.6, 8.6, 0)
    shine = pen.Coverage(*CLOSE)
    shine.ellipse(10, 7.2, 6.2, 4.2)
    sign, shadow = pen.Coverage(*CLOSE), pen.Coverage(*CLOSE)
    lines = ([[(6.4, 6.4), (13.6, 13.6)], [(13.6, 6.4), (6.4, 13.6)]] if mark == "cross"
             else [[(5.6, 10), (14.4, 10)]])
    for line in lines:
        sign.stroke(line, 2.3, taper=0)
        shadow.stroke([(x, y + 0.8) for x, y in line], 2.3, taper=0)
    pic = pen.paint(_panel_behind(CLOSE, HIDE_TOP), pen.vertical_gradient(CLOSE, *face), body.mask())
    pic = pen.paint(pic, tuple(min(250, c + 34) for c in face[0]), shine.mask().point(lambda v: v * 2 // 5))
    pic = pen.paint(pic, rim, ring.mask())
    pic = pen.paint(pic, rim, shadow.mask().point(lambda v: v // 2))
    pic = pen.paint(pic, NEAR_WHITE, sign.mask())
    return _cut(pic, body.mask())


def _strip(cells, size):
    width, height = pen.sized(size)
    picture = Image.new("RGB", (width * len(cells), height))
    bits = [[] for _ in range(height)]
    for i, (pic, cell_bits) in enumerate(cells):
        picture.paste(pic, (i * width, 0))
        for y in range(height):
            bits[y] += cell_bits[y]
    return picture, bits


def buttons():
    """Open, Close, Open highlighted, Close highlighted."""
    open_normal, open_lit = _button("Open", OPEN_TOP, (GREY_FACE, WARM_FACE), 31)
    close_normal, close_lit = _button("Close", CLOSE_TOP, (GREY_FACE, WARM_FACE), 47)
    return _strip([open_normal, close_normal, open_lit, close_lit], BUTTON)


def close_buttons():
    """Cross grey, cross blue, bar grey, bar blue."""
    grey = (((184, 188, 196), (118, 122, 132)), (84, 88, 98))
    blue = (((150, 204, 250), (70, 142, 222)), (40, 98, 176))
    return _strip([_round_button(m, *c) for m in ("cross", "bar") for c in (grey, blue)], CLOSE)
