#!/usr/bin/env python3
"""x_screenshot.py DISPLAY WINDOW_ID OUT.png X Y: saves an X window's picture as a PNG (libX11 and the
standard library only) and prints "r g b" of the pixel at X, Y."""
import ctypes, ctypes.util, struct, sys, zlib

I, P, UL = ctypes.c_int, ctypes.c_void_p, ctypes.c_ulong


class XImage(ctypes.Structure):  # the leading fields, up to bits_per_pixel
    _fields_ = [(n, I) for n in ("width", "height", "xoffset", "format")] + [("data", P)] + \
               [(n, I) for n in ("byte_order", "unit", "bit_order", "pad", "depth", "stride", "bpp")]


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


len(sys.argv) == 6 or sys.exit(__doc__)
x = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
x.XOpenDisplay.restype, x.XGetImage.restype = P, ctypes.POINTER(XImage)
x.XGetImage.argtypes = [P, UL, I, I, ctypes.c_uint, ctypes.c_uint, UL, I]
x.XGetWindowAttributes.argtypes = [P, UL, ctypes.c_char_p]
display, window = x.XOpenDisplay(sys.argv[1].encode()), int(sys.argv[2], 0)
attributes = ctypes.create_string_buffer(512)  # XWindowAttributes starts with x, y, width, height
display and x.XGetWindowAttributes(display, window, attributes) or sys.exit("no window %d" % window)
width, height = struct.unpack_from("4i", attributes.raw)[2:]
image = x.XGetImage(display, window, 0, 0, width, height, 0xFFFFFFFF, 2)  # ZPixmap
image and image.contents.bpp == 32 or sys.exit("cannot read window %d as 32-bit pixels" % window)
stride = image.contents.stride
raw, rows = ctypes.string_at(image.contents.data, stride * height), []
for y in range(height):  # BGRX to a PNG row of RGB
    line, rgb = raw[y * stride: y * stride + width * 4], bytearray(1 + width * 3)
    rgb[1::3], rgb[2::3], rgb[3::3] = line[2::4], line[1::4], line[0::4]
    rows.append(bytes(rgb))
with open(sys.argv[3], "wb") as out:
    out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
              chunk(b"IDAT", zlib.compress(b"".join(rows))) + chunk(b"IEND", b""))
px, py = int(sys.argv[4]), int(sys.argv[5])
print(*rows[py][1 + 3 * px: 4 + 3 * px])
