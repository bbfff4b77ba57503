"""Drawing helpers shared by the pictures: supersampled coverage masks, a
pen that leaves slightly uneven strokes, and a small stroke alphabet for the
hand-lettered words (only the letters the pictures use)."""
import contextlib
import math

from PIL import Image, ImageDraw

SS = 4  # supersampling factor: masks are drawn at SS x and box-filtered down

# The scale the pictures are drawn at: every coordinate and size below is
# given as designed at 100 % and drawn this many times larger, so one
# drawing serves every scale.
SCALE = 1


@contextlib.contextmanager
def drawn_at(scale):
    """Draw the pictures of the block at `scale` (1, 1.5, 2)."""
    global SCALE
    before, SCALE = SCALE, scale
    try:
        yield
    finally:
        SCALE = before


def px(length):
    """A designed length in pixels at the drawing scale, halves rounded up,
    as the program rounds it."""
    return int(math.floor(length * SCALE + 0.5)) if SCALE != 1 else length


def sized(size):
    return tuple(px(v) for v in size)


class Coverage:
    """An 'L' mask drawn at SS times the final size; coordinates are given
    in designed pixels (pixel centres at +0.5)."""

    def __init__(self, width, height):
        self.size = sized((width, height))
        self.unit = SS * SCALE
        self.big = Image.new("L", (self.size[0] * SS, self.size[1] * SS), 0)
        self.draw = ImageDraw.Draw(self.big)

    def ellipse(self, cx, cy, rx, ry, fill=255):
        u = self.unit
        self.draw.ellipse([(cx - rx) * u, (cy - ry) * u,
                           (cx + rx) * u - 1, (cy + ry) * u - 1], fill=fill)

    def polygon(self, points, fill=255):
        self.draw.polygon([(x * self.unit, y * self.unit) for x, y in points], fill=fill)

    def rounded_rect(self, box, radius, fill=255):
        self.draw.rounded_rectangle([v * self.unit for v in box], radius * self.unit, fill=fill)

    def stroke(self, points, width, taper=0.35, fill=255):
        """A pen line along a polyline; the ends thin out by `taper`."""
        path = resample(points, 0.5 / self.unit)
        last = len(path) - 1
        for i, (x, y) in enumerate(path):
            t = i / last if last else 0.5
            ends = min(1.0, t / 0.12, (1 - t) / 0.12)
            r = width / 2 * (1 - taper + taper * ends)
            self.ellipse(x, y, r, r, fill)

    def mask(self):
        return self.big.resize(self.size, Image.BOX)


def resample(points, step):
    """Points spaced about `step` apart along the polyline."""
    out = [points[0]]
    for (x0, y0), (x1, y1) in zip(points, points[1:]):
        n = max(1, int(math.hypot(x1 - x0, y1 - y0) / step))
        out += [(x0 + (x1 - x0) * k / n, y0 + (y1 - y0) * k / n) for k in range(1, n + 1)]
    return out


def arc(cx, cy, rx, ry, a0, a1, step=6):
    """Points of an elliptic arc, angles in degrees, y axis pointing up."""
    n = max(2, int(abs(a1 - a0) / step))
    return [(cx + rx * math.cos(math.radians(a0 + (a1 - a0) * k / n)),
             cy + ry * math.sin(math.radians(a0 + (a1 - a0) * k / n))) for k in range(n + 1)]


class Wobble:
    """A smooth random offset along a path: a few low sine waves, so lines
    waver the way a hand does instead of jittering pixel by pixel."""

    def __init__(self, rng, amplitude, waves=3):
        self.terms = [(amplitude * rng.uniform(0.4, 1.0) / (k + 1),
                       rng.uniform(0.6, 1.6) * (k + 1), rng.uniform(0, 2 * math.pi))
                      for k in range(waves)]

    def __call__(self, t):
        return sum(a * math.sin(2 * math.pi * f * t + p) for a, f, p in self.terms)


def wavering(points, rng, amplitude):
    """Displace a polyline sideways by a Wobble."""
    pts = resample(points, 1.0)
    wob = Wobble(rng, amplitude)
    out = []
    for i, (x, y) in enumerate(pts):
        x0, y0 = pts[max(i - 1, 0)]
        x1, y1 = pts[min(i + 1, len(pts) - 1)]
        length = math.hypot(x1 - x0, y1 - y0) or 1.0
        d = wob(i / max(1, len(pts) - 1))
        out.append((x - (y1 - y0) / length * d, y + (x1 - x0) / length * d))
    return out


def rounded_outline(x0, y0, x1, y1, r, start=0.0, turns=1.0):
    """A rounded rectangle as one clockwise polyline (screen coordinates),
    beginning `start` of the way round and running `turns` times round."""
    corners = [(x1 - r, y0 + r, -90), (x1 - r, y1 - r, 0), (x0 + r, y1 - r, 90), (x0 + r, y0 + r, 180)]
    loop = []
    for cx, cy, a in corners:
        loop += [(cx + r * math.cos(math.radians(a + k * 10)),
                  cy + r * math.sin(math.radians(a + k * 10))) for k in range(10)]
    loop = resample(loop + [loop[0]], 1.0)
    n = len(loop) - 1
    first = int(start * n)
    return [loop[(first + k) % n] for k in range(int(turns * n) + 1)]


# Stroke alphabet. Units: x-height 1, baseline 0, y up; each letter is
# (advance, strokes), a stroke being a list of points.
def _l(*pts):
    return list(pts)


GLYPHS = {
    "C": (1.12, [arc(0.62, 0.73, 0.6, 0.75, 48, 318)]),
    "H": (0.9, [_l((0, 0), (0, 1.46)), _l((0.88, 1.48), (0.86, 0)), _l((0, 0.74), (0.87, 0.77))]),
    "O": (1.22, [arc(0.61, 0.73, 0.61, 0.75, 105, 475)]),
    "T": (1.0, [_l((-0.04, 1.45), (1.02, 1.5)), _l((0.5, 1.47), (0.47, 0))]),
    "a": (0.84, [arc(0.38, 0.5, 0.38, 0.5, 15, 375), _l((0.78, 1.0), (0.77, 0.12), (0.86, 0))]),
    "b": (0.82, [_l((0, 1.62), (0, 0)), arc(0.4, 0.5, 0.4, 0.5, 205, 520)]),
    "e": (0.84, [_l((0.04, 0.5), (0.8, 0.52)) + arc(0.42, 0.5, 0.39, 0.5, 5, 318)]),
    "l": (0.4, [_l((0.02, 1.6), (0, 0.18)) + arc(0.16, 0.18, 0.16, 0.18, 180, 300)]),
    "n": (0.76, [_l((0, 1.0), (0, 0)), _l((0, 0.58)) + arc(0.36, 0.6, 0.36, 0.38, 175, 5) + _l((0.73, 0))]),
    "o": (0.86, [arc(0.43, 0.5, 0.43, 0.5, 100, 465)]),
    "p": (0.82, [_l((0, 1.0), (0, -0.58)), arc(0.41, 0.5, 0.41, 0.5, 155, -165)]),
    "r": (0.6, [_l((0, 1.0), (0, 0)), _l((0, 0.55)) + arc(0.42, 0.55, 0.42, 0.42, 175, 60)]),
    "s": (0.68, [arc(0.34, 0.76, 0.3, 0.24, 30, 270) + arc(0.34, 0.26, 0.32, 0.26, 90, -150)]),
    "t": (0.62, [_l((0.24, 1.38), (0.22, 0.18)) + arc(0.44, 0.18, 0.22, 0.18, 180, 300),
                 _l((0.0, 0.96), (0.6, 0.99))]),
    "v": (0.8, [_l((0, 1.0), (0.39, 0), (0.8, 1.02))]),
}
GAP = 0.24


def lettering(text, x, baseline, xheight, rng, slant=0.18, bounce=0.05):
    """Strokes (in pixels, screen coordinates) that hand-letter `text` with
    its baseline at `baseline`, starting at `x`. Each letter gets its own
    small tilt, size and baseline shift; the whole word leans by `slant`."""
    strokes = []
    for ch in text:
        advance, glyph = GLYPHS[ch]
        tilt = math.radians(rng.uniform(-3.5, 3.5))
        scale = xheight * rng.uniform(0.95, 1.05)
        lift = rng.uniform(-bounce, bounce)
        cx = advance / 2
        for stroke in glyph:
            pts = []
            for u, v in stroke:
                u, v = u - cx, v + lift
                u, v = u * math.cos(tilt) - v * math.sin(tilt), u * math.sin(tilt) + v * math.cos(tilt)
                u += cx + slant * v
                pts.append((x + u * scale, baseline - v * scale))
            strokes.append(pts)
        x += (advance + GAP) * xheight
    return strokes


def text_width(text, xheight):
    return (sum(GLYPHS[ch][0] for ch in text) + GAP * (len(text) - 1)) * xheight


def fill(size, colour):
    """A plain picture of `size` in pixels as drawn (not designed)."""
    return Image.new("RGB", size, colour)


def paint(base, colour, mask):
    """Lay `colour` (RGB tuple or image) onto `base` through `mask`."""
    top = colour if isinstance(colour, Image.Image) else fill(base.size, colour)
    return Image.composite(top, base, mask)


def vertical_gradient(size, top, bottom):
    """RGB image of designed `size` fading from `top` to `bottom` colour."""
    w, h = sized(size)
    strip = Image.new("RGB", (1, h))
    for y in range(h):
        t = y / max(1, h - 1)
        strip.putpixel((0, y), tuple(round(a + (b - a) * t) for a, b in zip(top, bottom)))
    return strip.resize((w, h), Image.NEAREST)


SHEEN = [(176, 186, 202), (146, 204, 226), (208, 176, 222), (234, 216, 164), (166, 192, 224)]


def cone(size, cx, cy, r, colours=SHEEN):
    """The rainbow sheen of a disc's data side: colour turning with the
    angle round (cx, cy), built from thin pie slices, which are cheap."""
    size = sized(size)
    u = SS * SCALE
    big = Image.new("RGB", (size[0] * SS, size[1] * SS), colours[0])
    draw = ImageDraw.Draw(big)
    box = [(cx - r) * u, (cy - r) * u, (cx + r) * u, (cy + r) * u]
    n = len(colours)
    for a in range(0, 360, 3):
        t = a / 360 * n
        c0, c1 = colours[int(t) % n], colours[(int(t) + 1) % n]
        f = t - int(t)
        draw.pieslice(box, a, a + 4, fill=tuple(round(p + (q - p) * f) for p, q in zip(c0, c1)))
    return big.resize(size, Image.BOX)


def layer(rgb, alpha):
    """RGB image + coverage -> RGBA layer for alpha compositing."""
    out = rgb.convert("RGBA")
    out.putalpha(alpha)
    return out


def scaled(mask, factor):
    return mask.point(lambda v: round(v * factor))
