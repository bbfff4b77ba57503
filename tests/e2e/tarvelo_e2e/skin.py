"""The standard skin as the screen must show it, worked out from form.png
itself (decoded by ImageMagick) with the skin's pixel rules, not taken from
the program."""

import functools
import tempfile
from pathlib import Path

from .wine import run

ROOT_GREY = 128  # what xcompmgr shows where no window is
CONTROLS = (56, 20, 234, 199)  # the picture controls lie inside this box of the window

# 255·a/240 for the PNG alphas where that is exactly one half: the skin's
# loader rounds the double quotient a/240, not the exact value, so these go
# whichever way that quotient leans (to even where it is exact: 120).
HALF_MASKS = {8: 8, 24: 26, 40: 42, 56: 60, 72: 76, 88: 93, 104: 111, 120: 128, 136: 144,
              152: 161, 168: 178, 184: 196, 200: 213, 216: 230, 232: 247}


# ---- the skin as the screen must show it ------------------------------------

def read_png(path):
    """(width, height, straight RGBA bytes) of a picture, decoded by ImageMagick."""
    size = run(["identify", "-format", "%w %h", str(path)])[1].split()
    with tempfile.TemporaryDirectory(prefix="tarvelo-e2e-") as folder:
        raw = Path(folder) / "skin.rgba"
        run(["convert", str(path), "-depth", "8", f"RGBA:{raw}"])
        return int(size[0]), int(size[1]), raw.read_bytes()


def skin_alpha(a):
    if a >= 240:
        return 255
    return HALF_MASKS.get(a, (17 * a + 8) // 16)


def skin_colour(c, a):
    """The stored colour byte of a channel value c with PNG alpha a."""
    over_white = 255 if a == 0 else c if a == 255 else (c * a + 255 * (255 - a) + 255) >> 8
    m = skin_alpha(a)
    return over_white if m >= 240 else (2 * over_white * m + 255) // 510


def on_screen(rgba):
    """What a skin pixel looks like over the grey root: c + grey·(255 − m)/255, rounded, saturated."""
    m = skin_alpha(rgba[3])
    under = (2 * ROOT_GREY * (255 - m) + 255) // 510
    return tuple(min(255, skin_colour(c, rgba[3]) + under) for c in rgba[:3])


class Skin:
    """A skin picture: its size and straight RGBA pixels."""

    def __init__(self, path):
        self.width, self.height, self.data = read_png(path)

    def rgba(self, x, y):
        at = (y * self.width + x) * 4
        return tuple(self.data[at:at + 4])

    def background(self):
        """Skin points that no picture control covers, so the main window is see-through there."""
        left, top, right, bottom = CONTROLS
        for y in range(self.height):
            for x in range(self.width):
                if not (left <= x < right and top <= y < bottom):
                    yield x, y

    @functools.lru_cache(maxsize=None)
    def samples(self):
        """One background point per kind of stored pixel: transparent, premultiplied
        (low and high), kept unpremultiplied (alpha 240..254) and opaque."""
        kinds = [(0, 0), (1, 120), (121, 225), (226, 239), (240, 254), (255, 255)]
        found = {}
        for x, y in self.background():
            a = self.rgba(x, y)[3]
            for kind in kinds:
                if kind[0] <= a <= kind[1] and kind not in found:
                    found[kind] = (x, y)
        return list(found.values())

    def opaque_point(self):
        """An opaque background point left of the controls, as near the middle height as there is."""
        points = [(x, y) for x, y in self.background() if x < CONTROLS[0] and self.rgba(x, y)[3] == 255]
        assert points, "form.png has no opaque skin left of the picture controls"
        return min(points, key=lambda p: abs(p[1] - self.height // 2))


@functools.lru_cache(maxsize=None)
def load(path):
    """The skin of the picture at path, decoded once."""
    return Skin(path)


def shown_at(skin, origin, shot):
    """Whether the screenshot shows the skin's samples blended over the
    background at origin (the skin window's top-left corner on the screen)."""
    return all(shot.screen_pixel(origin[0] + x, origin[1] + y) == on_screen(skin.rgba(x, y))
               for x, y in skin.samples())
