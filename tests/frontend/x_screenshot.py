#!/usr/bin/env python3
"""Saves an X window's picture as a PNG, using only libX11 and the standard
library: x_screenshot.py DISPLAY WINDOW_ID OUT.png [X Y ...]
With pixel positions after the file name, prints "r g b" for each."""
import ctypes
import ctypes.util
import struct
import sys
import zlib


class XImage(ctypes.Structure):
    _fields_ = [
        ("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
        ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_ubyte)),
        ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
        ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
        ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
        ("bits_per_pixel", ctypes.c_int), ("red_mask", ctypes.c_ulong),
        ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong),
    ]


class XWindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                ("height", ctypes.c_int), ("rest", ctypes.c_byte * 256)]


def grab(display_name, window_id):
    xlib = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XGetImage.restype = ctypes.POINTER(XImage)
    xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                               ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    xlib.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                          ctypes.POINTER(XWindowAttributes)]
    display = xlib.XOpenDisplay(display_name.encode())
    if not display:
        sys.exit("cannot open display " + display_name)
    attributes = XWindowAttributes()
    if not xlib.XGetWindowAttributes(display, window_id, ctypes.byref(attributes)):
        sys.exit("no window %d" % window_id)
    width, height = attributes.width, attributes.height
    z_pixmap, all_planes = 2, 0xFFFFFFFF
    image = xlib.XGetImage(display, window_id, 0, 0, width, height, all_planes, z_pixmap)
    if not image:
        sys.exit("cannot read window %d" % window_id)
    img = image.contents
    if img.bits_per_pixel != 32:
        sys.exit("unsupported depth %d" % img.bits_per_pixel)
    raw = ctypes.string_at(img.data, img.bytes_per_line * height)
    rows = []
    for y in range(height):
        line = raw[y * img.bytes_per_line: y * img.bytes_per_line + width * 4]
        rgb = bytearray(width * 3)
        rgb[0::3] = line[2::4]
        rgb[1::3] = line[1::4]
        rgb[2::3] = line[0::4]
        rows.append(bytes(rgb))
    return width, height, rows


def write_png(path, width, height, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    raw = b"".join(b"\x00" + row for row in rows)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(raw, 6)))
        out.write(chunk(b"IEND", b""))


def main():
    if len(sys.argv) < 4 or len(sys.argv) % 2 != 0:
        sys.exit(__doc__)
    width, height, rows = grab(sys.argv[1], int(sys.argv[2], 0))
    write_png(sys.argv[3], width, height, rows)
    coords = [int(v) for v in sys.argv[4:]]
    for x, y in zip(coords[0::2], coords[1::2]):
        row = rows[y]
        print(row[3 * x], row[3 * x + 1], row[3 * x + 2])


if __name__ == "__main__":
    main()
