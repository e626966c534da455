"""Small helpers for writing SVG text and rendering it to PNG with rsvg-convert."""
import math
import os
import subprocess


def doc(width, height, body, defs="", view=None, opaque=False):
    """An SVG document. An `opaque` picture gets one corner pixel at alpha 254
    so that the renderer still writes an RGBA PNG, as every picture must be."""
    box = view or f"0 0 {width} {height}"
    if opaque:
        defs += (f'<mask id="keep_alpha"><rect width="{width}" height="{height}" fill="#fff"/>'
                 f'<rect width="1" height="1" fill="#000" fill-opacity="0.004"/></mask>')
        body = f'<g mask="url(#keep_alpha)">{body}</g>'
    return (f'<svg xmlns="http://www.w3.org/2000/svg" '
            f'xmlns:xlink="http://www.w3.org/1999/xlink" width="{width}" height="{height}" '
            f'viewBox="{box}"><defs>{defs}</defs>{body}</svg>')


def num(value):
    """Short, stable text for a coordinate (keeps the SVG text deterministic)."""
    text = f"{value:.2f}".rstrip("0").rstrip(".")
    return "0" if text in ("-0", "") else text


def pts(points):
    return " ".join(f"{num(x)},{num(y)}" for x, y in points)


def smooth_closed_path(points):
    """A closed Catmull-Rom curve through the points, as SVG path data."""
    n = len(points)
    out = [f"M{num(points[0][0])},{num(points[0][1])}"]
    for i in range(n):
        p0, p1, p2, p3 = points[i - 1], points[i], points[(i + 1) % n], points[(i + 2) % n]
        c1 = (p1[0] + (p2[0] - p0[0]) / 6, p1[1] + (p2[1] - p0[1]) / 6)
        c2 = (p2[0] - (p3[0] - p1[0]) / 6, p2[1] - (p3[1] - p1[1]) / 6)
        out.append(f"C{pts([c1, c2, p2])}")
    return " ".join(out) + " Z"


def smooth_open_path(points):
    n = len(points)
    out = [f"M{num(points[0][0])},{num(points[0][1])}"]
    for i in range(n - 1):
        p0 = points[max(i - 1, 0)]
        p1, p2 = points[i], points[i + 1]
        p3 = points[min(i + 2, n - 1)]
        c1 = (p1[0] + (p2[0] - p0[0]) / 6, p1[1] + (p2[1] - p0[1]) / 6)
        c2 = (p2[0] - (p3[0] - p1[0]) / 6, p2[1] - (p3[1] - p1[1]) / 6)
        out.append(f"C{pts([c1, c2, p2])}")
    return " ".join(out)


def linear_gradient(ident, stops, x1=0, y1=0, x2=0, y2=1, units=None):
    attr = f' gradientUnits="{units}"' if units else ""
    body = "".join(f'<stop offset="{num(o)}" stop-color="{c}" stop-opacity="{num(a)}"/>'
                   for o, c, a in _stops(stops))
    return (f'<linearGradient id="{ident}" x1="{num(x1)}" y1="{num(y1)}" x2="{num(x2)}" '
            f'y2="{num(y2)}"{attr}>{body}</linearGradient>')


def radial_gradient(ident, stops, cx=0.5, cy=0.5, r=0.5, units=None):
    attr = f' gradientUnits="{units}"' if units else ""
    body = "".join(f'<stop offset="{num(o)}" stop-color="{c}" stop-opacity="{num(a)}"/>'
                   for o, c, a in _stops(stops))
    return (f'<radialGradient id="{ident}" cx="{num(cx)}" cy="{num(cy)}" r="{num(r)}"{attr}>'
            f'{body}</radialGradient>')


def _stops(stops):
    for stop in stops:
        if len(stop) == 2:
            yield stop[0], stop[1], 1
        else:
            yield stop


def blur(ident, amount):
    return (f'<filter id="{ident}" x="-50%" y="-50%" width="200%" height="200%">'
            f'<feGaussianBlur stdDeviation="{num(amount)}"/></filter>')


def star_points(cx, cy, outer, inner, count=5, turn=0.0):
    points = []
    for i in range(count * 2):
        radius = outer if i % 2 == 0 else inner
        angle = turn + math.pi * i / count - math.pi / 2
        points.append((cx + radius * math.cos(angle), cy + radius * math.sin(angle)))
    return points


def render(svg_text, path):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    subprocess.run(["rsvg-convert", "-f", "png", "-o", path], input=svg_text.encode(),
                   check=True)


def mix(c1, c2, t):
    a = [int(c1[i:i + 2], 16) for i in (1, 3, 5)]
    b = [int(c2[i:i + 2], 16) for i in (1, 3, 5)]
    return "#" + "".join(f"{round(a[i] + (b[i] - a[i]) * t):02x}" for i in range(3))
