"""The window skin: a dark graphite panel with a disc sliding out of a slot
on its left side, framed by a soft blue glow."""
import random

from PIL import Image, ImageChops, ImageFilter

import pen

SIZE = (251, 215)
PANEL = (40, 6, 245, 209)        # left, top, right, bottom; holds every control
PANEL_RADIUS = 18
PANEL_TOP, PANEL_BOTTOM = (60, 65, 75), (32, 35, 42)
DISC_CENTRE, DISC_RADIUS = (47, 107), 38
SLOT = (39, 63, 45, 151)
GLOW = (96, 150, 220)
VENTS_X, VENTS_Y = (217, 231), range(62, 196, 7)
DIVIDER_Y, DIVIDER_X = 88, (62, 196)
LED = (224, 202)


def panel_rgb(y):
    """The plain panel colour on row y: the controls blend their edges into it."""
    t = min(1.0, max(0.0, (y - PANEL[1]) / (PANEL[3] - PANEL[1])))
    return tuple(round(a + (b - a) * t) for a, b in zip(PANEL_TOP, PANEL_BOTTOM))


def _brushed(size, rng):
    """Faint horizontal streaks, centred on 128, for the metal texture."""
    w, h = size
    coarse = Image.new("L", (w // 12 + 2, h))
    coarse.putdata([128 + rng.randint(-3, 3) for _ in range(coarse.width * h)])
    return coarse.resize(size, Image.BILINEAR)


def _disc():
    """The disc: silver data side with a rainbow sheen and a clear hub."""
    cx, cy = DISC_CENTRE
    r = DISC_RADIUS
    body, rim, hub, tracks = (pen.Coverage(*SIZE) for _ in range(4))
    body.ellipse(cx, cy, r, r)
    rim.ellipse(cx, cy, r, r)
    rim.ellipse(cx, cy, r - 1.2, r - 1.2, 0)
    hub.ellipse(cx, cy, 15, 15)
    for radius in (22, 29, 34):
        tracks.stroke(pen.arc(cx, cy, radius, radius, 95, 265), 0.8, taper=0)
    rgb = pen.paint(pen.cone(SIZE, cx, cy, r), (226, 230, 236), pen.scaled(hub.mask(), 0.7))
    rgb = pen.paint(rgb, (250, 250, 252), pen.scaled(tracks.mask(), 0.25))
    rgb = pen.paint(rgb, (120, 128, 140), rim.mask())
    return pen.layer(rgb, body.mask())


def _shade_under_panel(disc):
    """The panel's edge darkens the disc where it disappears into the slot."""
    shade = pen.Coverage(*SIZE)
    shade.rounded_rect((SLOT[0] - 2, SLOT[1], SIZE[0], SLOT[3]), 3)
    soft = shade.mask().filter(ImageFilter.GaussianBlur(3))
    r, g, b, a = disc.split()
    dark = Image.merge("RGB", (r, g, b)).point(lambda v: v * 45 // 100)
    return pen.layer(Image.composite(dark, Image.merge("RGB", (r, g, b)), pen.scaled(soft, 0.8)), a)


def _groove(cov_dark, cov_light, x0, x1, y, depth=1.3):
    cov_dark.stroke([(x0, y), (x1, y)], depth, taper=0.8)
    cov_light.stroke([(x0, y + 1.2), (x1, y + 1.2)], 0.9, taper=0.8)


def draw():
    rng = random.Random(20240611)
    x0, y0, x1, y1 = PANEL

    shape = pen.Coverage(*SIZE)
    shape.rounded_rect(PANEL, PANEL_RADIUS)
    panel_mask = shape.mask()
    disc = _disc()

    glow_src = ImageChops.lighter(panel_mask, disc.getchannel("A"))
    glow = pen.layer(pen.fill(SIZE, GLOW), pen.scaled(glow_src.filter(ImageFilter.GaussianBlur(3.2)), 0.62))

    # Panel body: vertical gradient, brushed streaks, bevelled rim.
    body = pen.vertical_gradient((SIZE[0], y1 - y0), PANEL_TOP, PANEL_BOTTOM)
    base = Image.new("RGB", SIZE, PANEL_TOP)
    base.paste(body, (0, y0))
    streaks = _brushed(SIZE, rng)
    base = ImageChops.add(base, Image.merge("RGB", [streaks] * 3), 1, -128)
    inner = pen.Coverage(*SIZE)
    inner.rounded_rect((x0 + 1.2, y0 + 1.2, x1 - 1.2, y1 - 1.2), PANEL_RADIUS - 1)
    lit = pen.Coverage(*SIZE)
    lit.rounded_rect((x0 + 1.2, y0 + 1.2, x1 - 1.2, y1 - 1.2), PANEL_RADIUS - 1)
    lit.rounded_rect((x0 + 1.2, y0 + 2.4, x1 - 1.2, y1 - 1.2), PANEL_RADIUS - 1, 0)
    base = pen.paint(base, (20, 22, 27), ImageChops.subtract(panel_mask, inner.mask()))
    base = pen.paint(base, (122, 130, 144), lit.mask())

    # Slot the disc comes out of, grooves and vents cut into the metal.
    slot = pen.Coverage(*SIZE)
    slot.rounded_rect(SLOT, 2.5)
    base = pen.paint(base, (10, 11, 14), slot.mask())
    dark, light = pen.Coverage(*SIZE), pen.Coverage(*SIZE)
    _groove(dark, light, DIVIDER_X[0], DIVIDER_X[1], DIVIDER_Y)
    for y in VENTS_Y:
        _groove(dark, light, VENTS_X[0], VENTS_X[1], y, depth=2.2)
    base = pen.paint(base, (16, 18, 22), dark.mask())
    base = pen.paint(base, (84, 90, 102), pen.scaled(light.mask(), 0.8))

    led_glow = pen.Coverage(*SIZE)
    led_glow.ellipse(*LED, 4.5, 4.5)
    led = pen.Coverage(*SIZE)
    led.ellipse(*LED, 1.8, 1.8)
    base = pen.paint(base, (70, 150, 240), pen.scaled(led_glow.mask().filter(ImageFilter.GaussianBlur(1.5)), 0.6))
    base = pen.paint(base, (170, 220, 252), led.mask())

    # The disc shows only left of the slot's lip.
    visible = pen.Coverage(*SIZE)
    visible.polygon([(0, 0), (SLOT[0] + 3, 0), (SLOT[0] + 3, SIZE[1]), (0, SIZE[1])])
    disc = _shade_under_panel(disc)
    disc.putalpha(ImageChops.multiply(disc.getchannel("A"), visible.mask()))

    out = Image.new("RGBA", SIZE, (0, 0, 0, 0))
    out = Image.alpha_composite(out, glow)
    out = Image.alpha_composite(out, pen.layer(base, panel_mask))
    return Image.alpha_composite(out, disc)
