#!/usr/bin/env python3
"""Draws every picture the program needs.

    draw_all.py --out DIR     write the pictures into DIR
    draw_all.py --check DIR   verify DIR: same bytes as a fresh drawing, and
                              the formats and sizes the program relies on
"""
import argparse
import io
import pathlib
import struct
import sys

from PIL import Image

import controls
import formats
import marks
import skin


def render():
    """File name -> bytes, for every picture."""
    buttons, buttons_bits = controls.buttons()
    close, close_bits = controls.close_buttons()
    return {
        "form.png": formats.png_rgba(skin.draw()),
        "tarvelo.ico": formats.ico(marks.icons()),
        "buttons.bmp": formats.bmp24(buttons),
        "buttons_mask.bmp": formats.bmp1(buttons_bits, *buttons.size),
        "close.bmp": formats.bmp24(close),
        "close_mask.bmp": formats.bmp1(close_bits, *close.size),
        "logo.bmp": formats.bmp24(marks.logo()),
        "emblem.bmp": formats.bmp24(marks.emblem()),
        "wordmark.bmp": formats.bmp24(marks.wordmark()),
    }


WHITE = (255, 255, 255)
BITMAPS = {  # name -> (size, bits per pixel)
    "buttons.bmp": ((580, 50), 24), "buttons_mask.bmp": ((580, 50), 1),
    "close.bmp": ((80, 20), 24), "close_mask.bmp": ((80, 20), 1),
    "logo.bmp": (marks.LOGO, 24), "emblem.bmp": (marks.EMBLEM, 24), "wordmark.bmp": (marks.WORDMARK, 24),
}
CONTROLS_AREA = (52, 16, 239, 204)  # every control of the window, 4 px round it


def _bitmap_faults(name, data):
    (size, bits) = BITMAPS[name]
    header, width, height, _, bpp = struct.unpack_from("<IiiHH", data, 14)
    if data[:2] != b"BM" or header != 40 or (width, height) != size or bpp != bits:
        return [f"{name}: want a bottom-up {bits}-bit {size[0]}x{size[1]} BMP"]
    return []


def _strip_faults(name, picture, mask, cell, pairs):
    faults = []
    cells = [(i * cell[0], 0, (i + 1) * cell[0], cell[1]) for i in range(picture.width // cell[0])]
    masks = [list(mask.crop(box).getdata()) for box in cells]
    for i, box in enumerate(cells):
        pixels = list(zip(picture.crop(box).getdata(), masks[i]))
        if not any(m for _, m in pixels):
            faults.append(f"{name}: image {i} has no masked pixel")
        if any(p == WHITE for p, m in pixels if not m):
            faults.append(f"{name}: image {i} shows pure white")
        if any(p != (0, 0, 0) for p, m in pixels if m):
            faults.append(f"{name}: image {i} is not black under its mask")
    faults += [f"{name}: images {a} and {b} have different masks" for a, b in pairs if masks[a] != masks[b]]
    return faults


def _icon_faults(data):
    _, kind, count = struct.unpack_from("<HHH", data)
    sizes, faults = [], []
    for i in range(count):
        width, _, _, _, _, bpp, length, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        header, w, h, _, dib_bpp = struct.unpack_from("<IiiHH", data, offset)
        sizes.append(width or 256)
        if bpp != 32 or header != 40 or (w, h) != (width, 2 * width) or dib_bpp != 32:
            faults.append(f"tarvelo.ico: image {i} is not a 32-bit DIB")
    if kind != 1 or sorted(sizes) != sorted(marks.ICON_SIZES):
        faults.append(f"tarvelo.ico: sizes {sizes}")
    return faults


def _skin_faults(data):
    image = Image.open(io.BytesIO(data))
    if image.format != "PNG" or image.mode != "RGBA" or image.size != skin.SIZE:
        return ["form.png: want an RGBA PNG of %dx%d" % skin.SIZE]
    alpha = image.getchannel("A")
    faults = []
    if sum(alpha.histogram()[1:255]) < 500:
        faults.append("form.png: too few soft-edged pixels")
    if alpha.crop(CONTROLS_AREA).getextrema() != (255, 255):
        faults.append("form.png: the panel does not cover the controls")
    if any(p[:3] == WHITE and p[3] for p in image.getdata()):
        faults.append("form.png: pure white on the panel")
    return faults


def check(folder):
    fresh = render()
    faults = [f"{name}: differs from a fresh drawing" for name, data in fresh.items()
              if not (folder / name).is_file() or (folder / name).read_bytes() != data]
    if faults:
        return faults
    faults += _skin_faults(fresh["form.png"]) + _icon_faults(fresh["tarvelo.ico"])
    for name in BITMAPS:
        faults += _bitmap_faults(name, fresh[name])
    def opened(name, mode):
        return Image.open(io.BytesIO(fresh[name])).convert(mode)

    faults += _strip_faults("buttons.bmp", opened("buttons.bmp", "RGB"), opened("buttons_mask.bmp", "L"),
                            controls.BUTTON, [(0, 2), (1, 3)])
    faults += _strip_faults("close.bmp", opened("close.bmp", "RGB"), opened("close_mask.bmp", "L"),
                            controls.CLOSE, [(0, 1), (2, 3)])
    for name in ("logo.bmp", "emblem.bmp", "wordmark.bmp"):
        if opened(name, "RGB").getpixel((0, 0)) != WHITE:
            faults.append(f"{name}: background is not white")
    return faults


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    mode = parser.add_mutually_exclusive_group(required=True)
    mode.add_argument("--out", type=pathlib.Path)
    mode.add_argument("--check", type=pathlib.Path)
    args = parser.parse_args()
    if args.check:
        faults = check(args.check)
        print("\n".join(faults) or "art: all pictures check out")
        return 1 if faults else 0
    args.out.mkdir(parents=True, exist_ok=True)
    for name, data in render().items():
        (args.out / name).write_bytes(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
