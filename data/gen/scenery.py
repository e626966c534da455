"""Backdrops: 640x480 dusk landscapes of layered hills and tree silhouettes
that join seamlessly when laid edge to edge, and the darkness layer."""
import math
import random

import svg

W, H = 640, 480

PALETTES = {
    # name: sky stops, glow colour, far, mid, near, tree colour, firefly colour
    "enchanted_dusk": dict(sky=["#251f55", "#5b3f8c", "#b06aa8", "#f7b2b8"], glow="#ffd6c2",
                           layers=["#8a74b8", "#5f4f95", "#3d3470", "#29244f"],
                           flies="#fff3a8", seed=3),
    "twilight_meadow": dict(sky=["#2e2360", "#7a4a96", "#e58aa6", "#ffd3a3"], glow="#ffe3b8",
                            layers=["#b27fb0", "#845f9c", "#5b4680", "#3b2f5c"],
                            flies="#ffe8b0", seed=7),
    "moonlit_glade": dict(sky=["#0f1433", "#1f2f5e", "#3f6a94", "#9fc7d6"], glow="#d8f0ff",
                          layers=["#4f6f9f", "#35507d", "#24395d", "#172840"],
                          flies="#c8ffe8", seed=11),
}


def _ridge(base, amps, seed, step=8):
    rnd = random.Random(seed)
    waves = [(a, k, rnd.uniform(0, 2 * math.pi)) for k, a in amps]
    points = []
    for x in range(0, W + step, step):
        y = base + sum(a * math.sin(2 * math.pi * k * x / W + p) for a, k, p in waves)
        points.append((x, y))
    return points


def _ridge_y(points, x):
    x %= W
    i = int(x // 8)
    (x0, y0), (x1, y1) = points[i], points[min(i + 1, len(points) - 1)]
    return y0 + (y1 - y0) * (x - x0) / 8


def _fill_below(points, colour, opacity=1.0):
    return (f'<path d="M0,{H} L{svg.pts(points)} L{W},{H} Z" fill="{colour}" '
            f'opacity="{svg.num(opacity)}"/>')


def _wrapped(x, width, draw):
    """Draws a thing near an edge twice so the tile joins with its neighbours."""
    out = draw(x)
    if x - width < 0:
        out += draw(x + W)
    if x + width > W:
        out += draw(x - W)
    return out


def _pine(x, ground, height, colour):
    w = height * 0.32
    tiers = "".join(
        f'<polygon points="{svg.pts([(x - w * (1 - k * 0.22), ground - height * (0.18 + k * 0.24)), (x, ground - height * (0.55 + k * 0.22)), (x + w * (1 - k * 0.22), ground - height * (0.18 + k * 0.24))])}" fill="{colour}"/>'
        for k in range(3))
    return (f'<rect x="{svg.num(x - 2)}" y="{svg.num(ground - height * 0.25)}" width="4" '
            f'height="{svg.num(height * 0.3)}" fill="{colour}"/>' + tiers)


def _round_tree(x, ground, height, colour):
    r = height * 0.26
    return (f'<rect x="{svg.num(x - 2.5)}" y="{svg.num(ground - height * 0.6)}" width="5" '
            f'height="{svg.num(height * 0.62)}" fill="{colour}"/>'
            f'<circle cx="{svg.num(x)}" cy="{svg.num(ground - height * 0.68)}" r="{svg.num(r)}" fill="{colour}"/>'
            f'<circle cx="{svg.num(x - r * 0.7)}" cy="{svg.num(ground - height * 0.55)}" r="{svg.num(r * 0.75)}" fill="{colour}"/>'
            f'<circle cx="{svg.num(x + r * 0.7)}" cy="{svg.num(ground - height * 0.56)}" r="{svg.num(r * 0.78)}" fill="{colour}"/>')


def backdrop_body(palette_name):
    pal = PALETTES[palette_name]
    rnd = random.Random(pal["seed"])
    sky = pal["sky"]
    defs = (svg.linear_gradient("sky", [(0, sky[0]), (0.35, sky[1]), (0.62, sky[2]), (0.8, sky[3])],
                                0, 0, 0, 1)
            + svg.radial_gradient("firefly", [(0, pal["flies"], 1), (0.3, pal["flies"], 0.5),
                                              (1, pal["flies"], 0)])
            + svg.linear_gradient("mist", [(0, "#ffffff", 0), (0.5, pal["glow"], 0.28),
                                           (1, "#ffffff", 0)], 0, 0, 0, 1))
    out = [f'<rect width="{W}" height="{H}" fill="url(#sky)"/>']
    for _ in range(70):  # stars in the upper sky
        x, y = rnd.uniform(0, W), rnd.uniform(4, 200) ** 1.0
        r = rnd.choice([0.6, 0.8, 1.0, 1.3])
        a = max(0.15, 1 - y / 220) * rnd.uniform(0.5, 1)
        out.append(_wrapped(x, 2, lambda xx, y=y, r=r, a=a:
                            f'<circle cx="{svg.num(xx)}" cy="{svg.num(y)}" r="{r}" fill="#fffbe8" '
                            f'opacity="{svg.num(a)}"/>'))
    out.append(f'<rect y="250" width="{W}" height="120" fill="url(#mist)"/>')
    layers = pal["layers"]
    far = _ridge(265, [(1, 22), (2, 12), (3, 9), (7, 5)], pal["seed"] + 1)
    out.append(_fill_below(far, layers[0]))
    out.append(f'<rect y="300" width="{W}" height="60" fill="url(#mist)"/>')
    mid = _ridge(320, [(1, 14), (2, 10), (4, 6), (9, 3)], pal["seed"] + 2)
    out.append(_fill_below(mid, layers[1]))
    for _ in range(26):
        x = rnd.uniform(0, W)
        h = rnd.uniform(26, 48)
        g = _ridge_y(mid, x) + 6
        out.append(_wrapped(x, 20, lambda xx, g=g, h=h: _pine(xx, g, h, layers[1])))
    near = _ridge(395, [(1, 16), (3, 8), (5, 5), (11, 2)], pal["seed"] + 3)
    out.append(_fill_below(near, layers[2]))
    for _ in range(16):
        x = rnd.uniform(0, W)
        h = rnd.uniform(60, 110)
        g = _ridge_y(near, x) + 8
        draw = _pine if rnd.random() < 0.5 else _round_tree
        out.append(_wrapped(x, 40, lambda xx, g=g, h=h, draw=draw: draw(xx, g, h, layers[3])))
    front = _ridge(452, [(2, 8), (5, 4), (13, 2)], pal["seed"] + 4)
    out.append(_fill_below(front, layers[3]))
    for _ in range(22):
        x, y = rnd.uniform(0, W), rnd.uniform(240, 470)
        r = rnd.uniform(5, 9)
        out.append(_wrapped(x, r, lambda xx, y=y, r=r:
                            f'<circle cx="{svg.num(xx)}" cy="{svg.num(y)}" r="{svg.num(r)}" '
                            f'fill="url(#firefly)"/>'))
    return "".join(out), defs


def backdrop_svg(palette_name):
    body, defs = backdrop_body(palette_name)
    return svg.doc(W, H, body, defs, opaque=True)


def black_layer_svg():
    """Near-black night, a shade thinner around the unicorn so that even at
    full darkness its outline can just be made out."""
    defs = svg.radial_gradient("night", [(0, "#0a0716", 0.8), (0.45, "#0a0716", 0.93),
                                         (1, "#05030c", 1)], 0.18, 0.62, 0.75)
    return svg.doc(W, H, f'<rect width="{W}" height="{H}" fill="url(#night)"/>', defs,
                   opaque=True)
