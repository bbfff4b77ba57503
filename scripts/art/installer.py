"""The installer's side picture (welcome and finish pages, 164 x 314): the
skin's graphite panel standing upright, a disc sliding out of its slot, the
blue glow and the hand-lettered name, so that the installer looks like the
window it installs."""
import random

from PIL import Image, ImageChops, ImageFilter

import marks
import pen
import skin

SIDE = (164, 314)
SLOT = (30, 132, 134, 138)       # the slot across the panel, the disc below it
DISC_CENTRE, DISC_RADIUS = (82, 168), 44
NAME_BASELINE, NAME_XHEIGHT = 270, 17
VENTS_Y = range(40, 96, 8)


def side():
    rng = random.Random(31415)
    width, height = SIDE
    picture = pen.vertical_gradient(SIDE, skin.PANEL_TOP, skin.PANEL_BOTTOM)
    streaks = Image.new("L", (width // 12 + 2, height))
    streaks.putdata([128 + rng.randint(-3, 3) for _ in range(streaks.width * height)])
    streaks = streaks.resize(SIDE, Image.BILINEAR)
    picture = ImageChops.add(picture, Image.merge("RGB", [streaks] * 3), 1, -128)

    # The panel's lit rim on the right, where the page's text begins.
    rim = pen.Coverage(*SIDE)
    rim.rounded_rect((width - 3, -2, width + 2, height + 2), 1)
    picture = pen.paint(picture, (122, 130, 144), rim.mask())

    dark, light = pen.Coverage(*SIDE), pen.Coverage(*SIDE)
    for y in VENTS_Y:
        dark.stroke([(30, y), (134, y)], 2.2, taper=0.8)
        light.stroke([(30, y + 1.2), (134, y + 1.2)], 0.9, taper=0.8)
    picture = pen.paint(picture, (16, 18, 22), dark.mask())
    picture = pen.paint(picture, (84, 90, 102), pen.scaled(light.mask(), 0.8))

    # The disc comes out below the slot, darkened where the slot's lip
    # shades it, in the skin's blue glow.
    cx, cy = DISC_CENTRE
    disc_rgb, disc_alpha = marks._disc_layers(SIDE, cx, cy, DISC_RADIUS, pen.SHEEN, 1.4)
    below = pen.Coverage(*SIDE)
    below.polygon([(0, SLOT[3] - 1), (width, SLOT[3] - 1), (width, height), (0, height)])
    disc_alpha = ImageChops.multiply(disc_alpha, below.mask())
    glow = disc_alpha.filter(ImageFilter.GaussianBlur(4))
    picture = pen.paint(picture, skin.GLOW, pen.scaled(glow, 0.62))
    lip = pen.Coverage(*SIDE)
    lip.rounded_rect((SLOT[0], SLOT[3] - 2, SLOT[2], SLOT[3] + 8), 3)
    shaded = Image.composite(disc_rgb.point(lambda v: v * 45 // 100), disc_rgb,
                             pen.scaled(lip.mask().filter(ImageFilter.GaussianBlur(3)), 0.8))
    picture = pen.paint(picture, shaded, disc_alpha)
    slot = pen.Coverage(*SIDE)
    slot.rounded_rect(SLOT, 2.5)
    picture = pen.paint(picture, (10, 11, 14), slot.mask())

    # The name as the logo letters it, a blue swoosh under it, the LED.
    ink, shade, swoosh = pen.Coverage(*SIDE), pen.Coverage(*SIDE), pen.Coverage(*SIDE)
    x = (width - pen.text_width("Tarvelo", NAME_XHEIGHT)) / 2
    for stroke in pen.lettering("Tarvelo", x, NAME_BASELINE, NAME_XHEIGHT, rng, slant=0.16):
        ink.stroke(stroke, 3.3)
        shade.stroke([(px + 1.0, py + 1.4) for px, py in stroke], 3.3)
    end = x + pen.text_width("Tarvelo", NAME_XHEIGHT)
    swoosh.stroke(pen.wavering([(x + 2, NAME_BASELINE + 9), ((x + end) / 2, NAME_BASELINE + 6.5),
                                (end + 2, NAME_BASELINE + 4)], rng, 0.6), 2.6, taper=0.8)
    picture = pen.paint(picture, (10, 12, 16), shade.mask().point(lambda v: v * 7 // 10))
    picture = pen.paint(picture, pen.vertical_gradient(SIDE, (240, 244, 250), (168, 182, 202)), ink.mask())
    picture = pen.paint(picture, (70, 156, 246), swoosh.mask())
    led_glow, led = pen.Coverage(*SIDE), pen.Coverage(*SIDE)
    led_glow.ellipse(140, 300, 4.5, 4.5)
    led.ellipse(140, 300, 1.8, 1.8)
    picture = pen.paint(picture, (70, 150, 240), pen.scaled(led_glow.mask().filter(ImageFilter.GaussianBlur(1.5)), 0.6))
    return pen.paint(picture, (170, 220, 252), led.mask())
