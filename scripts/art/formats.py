"""Byte-exact encoders for the picture files the build embeds or installs.

Written by hand rather than through PIL's savers so that the output carries
no timestamps or library-version chunks and stays identical run after run.
The pictures the program carries are PNG: a fraction of a BMP's bytes, and
decoded with the libpng the program has anyway. BMP and the uncompressed
icon remain as the reference that the decoded pictures are compared with.
"""
import pathlib
import shutil
import struct
import subprocess
import tempfile
import zlib

_BMP_INFO = struct.Struct("<IiiHHIIiiII")  # BITMAPINFOHEADER, 40 bytes
_PELS_PER_METRE = 2835                     # 72 dpi


def _row_padding(row_bytes):
    return -row_bytes % 4


def _info_header(width, height, bits, image_size, colours=0):
    return _BMP_INFO.pack(_BMP_INFO.size, width, height, 1, bits, 0, image_size,
                          _PELS_PER_METRE, _PELS_PER_METRE, colours, colours)


def _bmp_file(info, palette, pixels):
    offset = 14 + len(info) + len(palette)
    return (struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
            + info + palette + pixels)


def bmp24(image):
    """RGB image -> bottom-up 24-bit BMP."""
    width, height = image.size
    raw = image.convert("RGB").tobytes()
    pad = b"\0" * _row_padding(width * 3)
    rows = []
    for y in reversed(range(height)):
        line = bytearray(raw[y * width * 3:(y + 1) * width * 3])
        line[0::3], line[2::3] = line[2::3], line[0::3]  # RGB -> BGR
        rows.append(bytes(line) + pad)
    pixels = b"".join(rows)
    return _bmp_file(_info_header(width, height, 24, len(pixels)), b"", pixels)


def _pack_bits(row_bits):
    """Sequence of 0/1 -> bytes, most significant bit first, 32-bit padded."""
    out = bytearray((len(row_bits) + 7) // 8)
    for x, bit in enumerate(row_bits):
        if bit:
            out[x >> 3] |= 0x80 >> (x & 7)
    return bytes(out) + b"\0" * _row_padding(len(out))


def bmp1(bits, width, height):
    """Rows of 0/1 values (top row first) -> bottom-up 1-bit BMP whose
    palette maps 0 to black and 1 to white."""
    pixels = b"".join(_pack_bits(bits[y]) for y in reversed(range(height)))
    palette = b"\0\0\0\0" + b"\xff\xff\xff\0"
    return _bmp_file(_info_header(width, height, 1, len(pixels), 2), palette, pixels)


def _icon_image(image):
    """RGBA image -> icon directory entry payload: a 32-bit DIB of double
    height (colour rows, then the AND mask)."""
    size = image.width
    raw = image.tobytes()
    colour = bytearray()
    mask = []
    for y in reversed(range(size)):
        line = bytearray(raw[y * size * 4:(y + 1) * size * 4])
        line[0::4], line[2::4] = line[2::4], line[0::4]  # RGBA -> BGRA
        colour += line
        mask.append(_pack_bits([a == 0 for a in line[3::4]]))
    body = bytes(colour) + b"".join(mask)
    return _info_header(size, size * 2, 32, len(body)) + body


def ico(images, png_from=None):
    """Square RGBA images -> .ico: a 32-bit DIB entry each, or a PNG entry
    (the form Windows reads since Vista) for those of `png_from` pixels and
    more."""
    payloads = [_png_rgba_small(im) if png_from and im.width >= png_from else _icon_image(im) for im in images]
    head = struct.pack("<HHH", 0, 1, len(images))
    offset = len(head) + 16 * len(images)
    entries = b""
    for im, data in zip(images, payloads):
        entries += struct.pack("<BBBBHHII", im.width % 256, im.height % 256, 0, 0,
                               1, 32, len(data), offset)
        offset += len(data)
    return head + entries + b"".join(payloads)


def _chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data
            + struct.pack(">I", zlib.crc32(kind + data)))


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def _filter_row(kind, row, prior, bpp):
    """One scanline under PNG filter `kind`; `bpp` is the bytes of a whole
    pixel, at least 1."""
    if kind == 0:
        return bytes(row)
    out = bytearray(len(row))
    for i, x in enumerate(row):
        a = row[i - bpp] if i >= bpp else 0
        b = prior[i]
        c = prior[i - bpp] if i >= bpp else 0
        predictor = (0, a, b, (a + b) >> 1, _paeth(a, b, c))[kind]
        out[i] = (x - predictor) & 0xFF
    return bytes(out)


def _idat(rows, bpp):
    """The zlib stream of the scanlines: the smallest of one filter for every
    row, each of the five, and the usual per-row choice (the filter whose
    output, read as signed bytes, sums smallest)."""
    prior = bytes(len(rows[0]))
    choices = []  # per row: the five filtered versions
    for row in rows:
        choices.append([_filter_row(k, row, prior, bpp) for k in range(5)])
        prior = row
    def cost(data):
        return sum(v if v < 128 else 256 - v for v in data)
    plans = [[k] * len(rows) for k in range(5)]
    plans.append([min(range(5), key=lambda k: cost(versions[k])) for versions in choices])
    streams = []
    for plan in plans:
        raw = b"".join(bytes([k]) + versions[k] for k, versions in zip(plan, choices))
        for strategy in (zlib.Z_DEFAULT_STRATEGY, zlib.Z_FILTERED):
            packer = zlib.compressobj(9, zlib.DEFLATED, 15, 9, strategy)
            streams.append((packer.compress(raw) + packer.flush(), raw))
    best, raw = min(streams, key=lambda s: len(s[0]))
    packed = _zopfli(raw)
    return packed if packed is not None and len(packed) < len(best) else best


def _zopfli(raw):
    """The zlib stream zopfli makes of `raw`, about 5 % smaller than zlib's
    best, or None where zopfli is not installed."""
    if not shutil.which("zopfli"):
        return None
    with tempfile.TemporaryDirectory() as folder:
        path = pathlib.Path(folder) / "rows"
        path.write_bytes(raw)
        return subprocess.run(["zopfli", "--zlib", "-c", path], check=True, stdout=subprocess.PIPE).stdout


def _png(width, height, bit_depth, colour_type, rows, bpp, palette=b""):
    return (b"\x89PNG\r\n\x1a\n"
            + _chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, bit_depth, colour_type, 0, 0, 0))
            + (_chunk(b"PLTE", palette) if palette else b"")
            + _chunk(b"IDAT", _idat(rows, bpp))
            + _chunk(b"IEND", b""))


def png_rgba(image):
    """RGBA image -> PNG with only IHDR, IDAT and IEND, rows unfiltered."""
    width, height = image.size
    raw = image.tobytes()
    stride = width * 4
    filtered = b"".join(b"\0" + raw[y * stride:(y + 1) * stride] for y in range(height))
    return (b"\x89PNG\r\n\x1a\n"
            + _chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + _chunk(b"IDAT", zlib.compress(filtered, 9))
            + _chunk(b"IEND", b""))


def _png_rgba_small(image):
    """RGBA image -> PNG, filtered and packed as tightly as _idat can."""
    width, height = image.size
    raw = image.tobytes()
    stride = width * 4
    return _png(width, height, 8, 6, [raw[y * stride:(y + 1) * stride] for y in range(height)], 4)


def png_rgb(image):
    """RGB image -> PNG: 8-bit colour, or an 8-bit palette where the picture
    has 256 colours or fewer and that is smaller."""
    width, height = image.size
    raw = image.convert("RGB").tobytes()
    stride = width * 3
    rows = [raw[y * stride:(y + 1) * stride] for y in range(height)]
    best = _png(width, height, 8, 2, rows, 3)
    pixels = [raw[i:i + 3] for i in range(0, len(raw), 3)]
    colours = sorted(set(pixels))
    if len(colours) <= 256:
        index = {colour: i for i, colour in enumerate(colours)}
        indices = bytes(index[p] for p in pixels)
        paletted = _png(width, height, 8, 3, [indices[y * width:(y + 1) * width] for y in range(height)], 1,
                        b"".join(colours))
        best = min(best, paletted, key=len)
    return best


def png1(bits, width, height):
    """Rows of 0/1 values (top row first) -> 1-bit greyscale PNG: 0 black,
    1 white, as in the 1-bit BMP."""
    rows = [_pack_bits(bits[y])[:(width + 7) // 8] for y in range(height)]
    return _png(width, height, 1, 0, rows, 1)
