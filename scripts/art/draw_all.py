#!/usr/bin/env python3
"""Draws every picture the program needs.

    draw_all.py --out DIR     write the pictures into DIR
    draw_all.py --check DIR   verify DIR: same bytes as a fresh drawing, and
                              the formats and sizes the program relies on

The program carries its pictures as PNG and its icon's images
PNG-compressed. DIR/reference/ holds the same pictures as uncompressed BMP
and icon, the form Windows loads without help: the in-process tests check
that what the program decodes equals what Windows makes of those.
"""
import argparse
import io
import math
import pathlib
import struct
import sys

from PIL import Image

import controls
import formats
import installer
import marks
import pen
import skin


# The screen scales the program carries its pictures for, in per cent; it
# scales the nearest larger set down for the scales between. The skin is
# drawn once: the program scales form.png itself, since a user's own skin
# comes at one size only.
SCALES = (100, 150, 200)


def scaled_name(name, scale):
    return name if scale == 100 else f"{name}_{scale}"


def _render_pictures(files, scale):
    with pen.drawn_at(scale / 100):
        buttons, buttons_bits = controls.buttons()
        close, close_bits = controls.close_buttons()
        pictures = {"logo": marks.logo(), "emblem": marks.emblem(), "wordmark": marks.wordmark(),
                    "buttons": buttons, "close": close}
    masks = {"buttons_mask": (buttons_bits, buttons.size), "close_mask": (close_bits, close.size)}
    for name, image in pictures.items():
        name = scaled_name(name, scale)
        files[f"{name}.png"] = formats.png_rgb(image)
        files[f"reference/{name}.bmp"] = formats.bmp24(image)
    for name, (bits, size) in masks.items():
        name = scaled_name(name, scale)
        files[f"{name}.png"] = formats.png1(bits, *size)
        files[f"reference/{name}.bmp"] = formats.bmp1(bits, *size)


def render():
    """File name -> bytes, for every picture."""
    icons = marks.icons()
    files = {
        "form.png": formats.png_rgba(skin.draw()),
        "tarvelo.ico": formats.ico(icons, png_from=ICON_PNG_FROM),
        "reference/tarvelo.ico": formats.ico(icons),
        # NSIS shows its pages' pictures from BMP files.
        "installer_side.bmp": formats.bmp24(installer.side()),
    }
    for scale in SCALES:
        _render_pictures(files, scale)
    return files


# Icon images of this size and larger are stored as PNG: all of them, since
# Windows reads PNG icon images of any size from Vista on, and the small ones
# as DIBs would be a twentieth of the program.
ICON_PNG_FROM = 16
WHITE = (255, 255, 255)
DESIGNED = {  # name -> (size at 100 %, PIL mode of the decoded picture)
    "buttons": ((580, 50), "RGB"), "buttons_mask": ((580, 50), "1"),
    "close": ((80, 20), "RGB"), "close_mask": ((80, 20), "1"),
    "logo": (marks.LOGO, "RGB"), "emblem": (marks.EMBLEM, "RGB"), "wordmark": (marks.WORDMARK, "RGB"),
}


def _at(size, scale):
    """A designed size at a scale, as the program computes it: each cell of
    a strip is scaled, so the strip is a whole number of scaled cells."""
    return tuple(math.floor(v * scale / 100 + 0.5) for v in size)


def _strip_size(cells, cell, scale):
    width, height = _at(cell, scale)
    return (cells * width, height)


# name -> (size, PIL mode), for every scale; a strip is its cells side by side.
PICTURES = {}
for _scale in SCALES:
    for _name, (_size, _mode) in DESIGNED.items():
        if _name.startswith("buttons"):
            _size = _strip_size(4, controls.BUTTON, _scale)
        elif _name.startswith("close"):
            _size = _strip_size(4, controls.CLOSE, _scale)
        else:
            _size = _at(_size, _scale)
        PICTURES[scaled_name(_name, _scale)] = (_size, _mode)
CONTROLS_AREA = (52, 16, 239, 204)  # every control of the window, 4 px round it


def _picture_faults(name, files):
    """The PNG the program decodes: the size and kind of picture it expects,
    and the very pixels of the reference BMP."""
    (size, mode) = PICTURES[name]
    data, reference = files[f"{name}.png"], files[f"reference/{name}.bmp"]
    header, width, height, _, bpp = struct.unpack_from("<IiiHH", reference, 14)
    if reference[:2] != b"BM" or header != 40 or (width, height) != size or bpp != (1 if mode == "1" else 24):
        return [f"reference/{name}.bmp: want a bottom-up {size[0]}x{size[1]} BMP"]
    width, height, depth, kind = struct.unpack_from(">IIBB", data, 16)
    kinds = {(1, 0)} if mode == "1" else {(8, 2), (8, 3)}
    if data[:8] != b"\x89PNG\r\n\x1a\n" or (width, height) != size or (depth, kind) not in kinds:
        return [f"{name}.png: want a {size[0]}x{size[1]} PNG of {'1-bit grey' if mode == '1' else '8-bit colour'}"]
    decoded = Image.open(io.BytesIO(data)).convert(mode)
    if decoded.tobytes() != Image.open(io.BytesIO(reference)).convert(mode).tobytes():
        return [f"{name}.png: pixels differ from reference/{name}.bmp"]
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


def _icon_entries(data):
    """(width, RGBA pixels, stored as PNG) of every image of an .ico."""
    _, kind, count = struct.unpack_from("<HHH", data)
    entries = []
    for i in range(count):
        width, _, _, _, _, bpp, length, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        width = width or 256
        payload = data[offset:offset + length]
        if payload[:8] == b"\x89PNG\r\n\x1a\n":
            image = Image.open(io.BytesIO(payload))
            ok = image.mode == "RGBA" and image.size == (width, width) and bpp == 32
            entries.append((width, image.tobytes() if ok else None, True))
            continue
        header, w, h, _, dib_bpp = struct.unpack_from("<IiiHH", payload)
        if bpp != 32 or header != 40 or (w, h) != (width, 2 * width) or dib_bpp != 32:
            entries.append((width, None, False))
            continue
        colour = Image.frombytes("RGBA", (width, width), payload[40:40 + 4 * width * width], "raw", "BGRA", 0, -1)
        entries.append((width, colour.tobytes(), False))
    return kind, entries


def _icon_faults(data, reference):
    kind, entries = _icon_entries(data)
    reference_kind, reference_entries = _icon_entries(reference)
    sizes = [width for width, _, _ in entries]
    faults = []
    if kind != 1 or reference_kind != 1 or sorted(sizes) != sorted(marks.ICON_SIZES):
        faults.append(f"tarvelo.ico: sizes {sizes}")
    # The notification area asks for the small icon of its scale.
    small = {16 * scale // 100 for scale in SCALES}
    if not small <= set(sizes):
        faults.append(f"tarvelo.ico: no small icon of {sorted(small - set(sizes))} px")
    for i, ((width, pixels, png), (_, want, reference_png)) in enumerate(zip(entries, reference_entries)):
        if pixels is None or want is None or reference_png:
            faults.append(f"tarvelo.ico: image {i} is neither a 32-bit DIB nor an RGBA PNG, or its reference not a DIB")
        elif png != (width >= ICON_PNG_FROM):
            faults.append(f"tarvelo.ico: image {i} ({width} px) {'is' if png else 'is not'} PNG")
        elif pixels != want:
            faults.append(f"tarvelo.ico: image {i} differs from the reference icon")
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


def _installer_faults(data):
    """A 24-bit BMP of the size the welcome and finish pages show, in the
    skin's dark panel colours, with the name and the disc drawn on it."""
    header, width, height, _, bpp = struct.unpack_from("<IiiHH", data, 14)
    if data[:2] != b"BM" or header != 40 or (width, height) != installer.SIDE or bpp != 24:
        return ["installer_side.bmp: want a bottom-up %dx%d 24-bit BMP" % installer.SIDE]
    image = Image.open(io.BytesIO(data)).convert("RGB")
    faults = []
    corners = [image.getpixel(p) for p in ((0, 0), (0, height - 1), (width // 2, 2))]
    if any(max(p) > max(skin.PANEL_TOP) + 8 for p in corners):
        faults.append("installer_side.bmp: the background is not the skin's dark panel")
    light = sum(1 for p in image.getdata() if min(p) > 150)  # the disc and the letters
    if light < 2000:
        faults.append("installer_side.bmp: too little drawn on the panel")
    return faults


def check(folder):
    fresh = render()
    faults = [f"{name}: differs from a fresh drawing" for name, data in fresh.items()
              if not (folder / name).is_file() or (folder / name).read_bytes() != data]
    if faults:
        return faults
    faults += _skin_faults(fresh["form.png"]) + _icon_faults(fresh["tarvelo.ico"], fresh["reference/tarvelo.ico"])
    faults += _installer_faults(fresh["installer_side.bmp"])
    for name in PICTURES:
        faults += _picture_faults(name, fresh)
    if faults:
        return faults
    def opened(name, mode):
        return Image.open(io.BytesIO(fresh[f"{name}.png"])).convert(mode)

    for scale in SCALES:
        def named(name):
            return scaled_name(name, scale)
        faults += _strip_faults(f"{named('buttons')}.png", opened(named("buttons"), "RGB"),
                                opened(named("buttons_mask"), "L"), _at(controls.BUTTON, scale), [(0, 2), (1, 3)])
        faults += _strip_faults(f"{named('close')}.png", opened(named("close"), "RGB"),
                                opened(named("close_mask"), "L"), _at(controls.CLOSE, scale), [(0, 1), (2, 3)])
        for name in ("logo", "emblem", "wordmark"):
            if opened(named(name), "RGB").getpixel((0, 0)) != WHITE:
                faults.append(f"{named(name)}.png: background is not white")
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
        (args.out / name).parent.mkdir(parents=True, exist_ok=True)
        (args.out / name).write_bytes(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
