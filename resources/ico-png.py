#!/usr/bin/env python3
"""Rewrites an .ico in place with every 32-bit bitmap entry stored as PNG: the same pixels and
alpha in about a third of the bytes (Windows reads PNG entries of any size since Vista)."""
import struct
import sys
import zlib


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    return a if pa <= pb and pa <= pc else b if pb <= pc else c


def filtered(kind, prev, row):
    out = bytearray([kind])
    for i, x in enumerate(row):
        a = row[i - 4] if i >= 4 else 0
        b = prev[i] if prev else 0
        c = prev[i - 4] if prev and i >= 4 else 0
        predictor = [0, a, b, (a + b) // 2, paeth(a, b, c)][kind]
        out.append((x - predictor) & 0xFF)
    return bytes(out)


def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))


def png(bitmap):
    header, width, height, _, bits = struct.unpack_from('<IiiHH', bitmap)
    assert bits == 32 and height == 2 * width, 'only 32-bit square bitmaps'
    size = width * 4
    pixels = bitmap[header:header + width * size]
    # Bottom-up BGRA rows to top-down RGBA.
    rows = []
    for y in reversed(range(width)):
        row = bytearray(pixels[y * size:(y + 1) * size])
        row[0::4], row[2::4] = row[2::4], row[0::4]
        rows.append(bytes(row))
    streams = [zlib.compress(b''.join(filtered(k, rows[y - 1] if y else None, rows[y]) for y in range(width)), 9)
               for k in range(5)]
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, width, 8, 6, 0, 0, 0)) +
            chunk(b'IDAT', min(streams, key=len)) + chunk(b'IEND', b''))


def main(path):
    data = open(path, 'rb').read()
    count = struct.unpack_from('<HHH', data)[2]
    entries = []
    for i in range(count):
        fields = struct.unpack_from('<BBBBHHII', data, 6 + 16 * i)
        image = data[fields[7]:fields[7] + fields[6]]
        entries.append((fields[:6], image if image.startswith(b'\x89PNG') else png(image)))
    out, body = struct.pack('<HHH', 0, 1, count), b''
    for fields, image in entries:
        out += struct.pack('<BBBBHHII', *fields, len(image), 6 + 16 * count + len(body))
        body += image
    open(path, 'wb').write(out + body)


main(sys.argv[1])
