#!/usr/bin/env python3
"""x_screenshot.py DISPLAY WINDOW_ID OUT.png [X Y ...]: saves an X window's
picture as a PNG (libX11 and the standard library only) and prints "r g b"
for each pixel position given."""
import ctypes, ctypes.util, struct, sys, zlib

I, P = ctypes.c_int, ctypes.c_void_p


class XImage(ctypes.Structure):  # the leading fields, up to bits_per_pixel
    _fields_ = [(n, I) for n in ("width", "height", "xoffset", "format")] + [("data", P)] + \
               [(n, I) for n in ("byte_order", "unit", "bit_order", "pad", "depth", "bytes_per_line", "bpp")]


def grab(display_name, window):
    x = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
    x.XOpenDisplay.restype = P
    x.XGetImage.restype = ctypes.POINTER(XImage)
    x.XGetImage.argtypes = [P, ctypes.c_ulong, I, I, ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, I]
    x.XGetWindowAttributes.argtypes = [P, ctypes.c_ulong, ctypes.c_char_p]
    display = x.XOpenDisplay(display_name.encode()) or sys.exit("cannot open display " + display_name)
    attributes = ctypes.create_string_buffer(512)  # XWindowAttributes starts with x, y, width, height
    x.XGetWindowAttributes(display, window, attributes) or sys.exit("no window %d" % window)
    width, height = struct.unpack_from("4i", attributes.raw)[2:]
    image = x.XGetImage(display, window, 0, 0, width, height, 0xFFFFFFFF, 2)  # ZPixmap
    if not image or image.contents.bpp != 32:
        sys.exit("cannot read window %d as 32-bit pixels" % window)
    stride = image.contents.bytes_per_line
    raw = ctypes.string_at(image.contents.data, stride * height)
    rows = []
    for y in range(height):  # BGRX to RGB
        line, rgb = raw[y * stride: y * stride + width * 4], bytearray(width * 3)
        rgb[0::3], rgb[1::3], rgb[2::3] = line[2::4], line[1::4], line[0::4]
        rows.append(bytes(rgb))
    return width, height, rows


def write_png(path, width, height, rows):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
                  chunk(b"IDAT", zlib.compress(b"".join(b"\0" + row for row in rows))) + chunk(b"IEND", b""))


if len(sys.argv) < 4 or len(sys.argv) % 2:
    sys.exit(__doc__)
width, height, rows = grab(sys.argv[1], int(sys.argv[2], 0))
write_png(sys.argv[3], width, height, rows)
for px, py in zip(*[iter(map(int, sys.argv[4:]))] * 2):
    print(*rows[py][3 * px: 3 * px + 3])
