"""Byte-exact encoders for the picture files the build embeds or installs.

Written by hand rather than through PIL's savers so that the output carries
no timestamps or library-version chunks and stays identical run after run.
"""
import struct
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
    height (colour rows, then the AND mask), no PNG compression."""
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


def ico(images):
    """Square RGBA images -> .ico with one 32-bit DIB entry each."""
    payloads = [_icon_image(im) for im in images]
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


def png_rgba(image):
    """RGBA image -> PNG with only IHDR, IDAT and IEND."""
    width, height = image.size
    raw = image.tobytes()
    stride = width * 4
    filtered = b"".join(b"\0" + raw[y * stride:(y + 1) * stride] for y in range(height))
    return (b"\x89PNG\r\n\x1a\n"
            + _chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + _chunk(b"IDAT", zlib.compress(filtered, 9))
            + _chunk(b"IEND", b""))
