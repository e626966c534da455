"""Ground pieces (grassy floating islands of earth) and items of the
enchanted woods. Each piece's solid earth is one path that is drawn in the
sprite and, alone, in the quarter-size outline picture; grass, flowers, trees
and vines are drawn only in the sprite and never collide."""
import math
import random

import svg

EARTH_TOP, EARTH_MID, EARTH_BOTTOM = "#9a6b78", "#7a4f66", "#4e3150"
GRASS_LIGHT, GRASS, GRASS_DARK = "#b9eb9a", "#7fcf86", "#4f9e6a"
FLOWERS = ["#ffb3c9", "#fff1a8", "#ffffff", "#d6b8ff", "#ffc89a"]


class Blob:
    """A slab of solid earth: flat top from x0 to x1 at row `top`, a rounded
    belly `depth` rows deep in the middle."""

    def __init__(self, x0, x1, top, depth, seed):
        self.x0, self.x1, self.top, self.depth, self.seed = x0, x1, top, depth, seed

    def path(self):
        rnd = random.Random(self.seed)
        r = 12
        width = self.x1 - self.x0
        belly = []
        steps = max(6, int(width / 45))
        for i in range(steps + 1):
            u = i / steps
            x = self.x1 - u * width
            shape = math.sin(math.pi * (0.04 + 0.92 * u)) ** 0.55
            jitter = 0 if i in (0, steps) else rnd.uniform(-0.12, 0.1) * self.depth
            belly.append((x, self.top + r + (self.depth - r) * shape + jitter))
        belly[0] = (self.x1, self.top + r)
        belly[-1] = (self.x0, self.top + r)
        curve = svg.smooth_open_path(belly)
        curve = curve.split(" ", 1)[1]  # drop its move-to: the path goes on from the corner
        return (f"M{self.x0 + r},{self.top} L{self.x1 - r},{self.top} "
                f"Q{self.x1},{self.top} {self.x1},{self.top + r} {curve} "
                f"Q{self.x0},{self.top} {self.x0 + r},{self.top} Z")


class Piece:
    def __init__(self, name, width, height, blobs, trees=(), seed=1, vines=1.0, mushrooms=2,
                 features=()):
        self.name, self.width, self.height = name, width, height
        self.blobs, self.trees, self.seed = blobs, trees, seed
        self.vines, self.mushrooms, self.features = vines, mushrooms, features


# Rows are offsets inside the picture; DESIGN.md explains the choice of each.
PIECES = [
    Piece("ground1green", 720, 360, [Blob(0, 720, 200, 72, 11)], trees=[(560, 150)], seed=1,
          features=[("rock", 250), ("fern", 380)]),
    Piece("ground2green", 700, 360, [Blob(0, 700, 200, 66, 12)], trees=[(130, 120), (610, 160)],
          seed=2, mushrooms=4, features=[("fern", 300)]),
    Piece("ground3green", 720, 540, [Blob(0, 640, 210, 56, 13), Blob(340, 700, 450, 44, 14)],
          trees=[(480, 130)], seed=3, vines=0.6, features=[("crystals", 150), ("crystals", 600)]),
    Piece("ground4green", 640, 440, [Blob(200, 640, 330, 48, 15)], trees=[(590, 110)], seed=4,
          features=[("crystals", 300), ("fern", 450)]),
    Piece("ground5green", 480, 500, [Blob(0, 480, 220, 60, 16)], trees=[(250, 110)], seed=5,
          features=[("fern", 90)]),
    Piece("ground6green", 640, 472, [Blob(80, 560, 200, 72, 17)], trees=[(170, 140)], seed=6,
          features=[("rock", 430)]),
    Piece("ground7green", 760, 420, [Blob(0, 760, 265, 70, 18)], trees=[(70, 170), (300, 120)],
          seed=7, features=[("fern", 180), ("rock", 480), ("crystals", 690)]),
    Piece("ledge", 240, 240, [Blob(0, 240, 100, 40, 19)], seed=8, mushrooms=1,
          features=[("crystals", 190)]),
]


def _defs(piece):
    return (svg.linear_gradient("earth", [(0, EARTH_TOP), (0.35, EARTH_MID), (1, EARTH_BOTTOM)],
                                0, 0, 0, 1)
            + svg.linear_gradient("grass", [(0, GRASS_LIGHT), (1, GRASS)], 0, 0, 0, 1)
            + svg.radial_gradient("canopy", [(0, "#c9f2b0"), (0.6, "#86d08f"), (1, "#4f9e78")],
                                  0.4, 0.35, 0.7)
            + svg.radial_gradient("glow", [(0, "#fff7c2", 0.9), (1, "#fff7c2", 0)])
            + "".join(f'<clipPath id="clip{i}"><path d="{b.path()}"/></clipPath>'
                      for i, b in enumerate(piece.blobs)))


def _earth(blob, index, rnd):
    out = [f'<path d="{blob.path()}" fill="url(#earth)"/>']
    inner = [f'<g clip-path="url(#clip{index})">']
    for k in range(3):  # soft strata
        y = blob.top + 18 + k * 14
        inner.append(f'<path d="M{blob.x0},{y} ' + " ".join(
            f"L{svg.num(x)},{svg.num(y + 3 * math.sin(x / 37 + k))}"
            for x in range(blob.x0, blob.x1 + 20, 20)) +
            f'" fill="none" stroke="#5f3b58" stroke-width="2" opacity="0.35"/>')
    for _ in range(int((blob.x1 - blob.x0) / 18)):
        x = rnd.uniform(blob.x0 + 6, blob.x1 - 6)
        y = rnd.uniform(blob.top + 14, blob.top + blob.depth)
        rx = rnd.uniform(2, 6)
        inner.append(f'<ellipse cx="{svg.num(x)}" cy="{svg.num(y)}" rx="{svg.num(rx)}" '
                     f'ry="{svg.num(rx * 0.7)}" fill="#c9a1b4" opacity="0.45"/>')
    inner.append("</g>")
    out += inner
    out.append(f'<path d="{blob.path()}" fill="none" stroke="#3e2541" stroke-width="2"/>')
    return "".join(out)


def _grass(blob, rnd):
    x0, x1, top = blob.x0, blob.x1, blob.top
    band = (f'<path d="M{x0 + 2},{top + 12} Q{x0 - 2},{top - 2} {x0 + 12},{top - 3} '
            f'L{x1 - 12},{top - 3} Q{x1 + 2},{top - 2} {x1 - 2},{top + 12} ')
    x = x1 - 4
    while x > x0 + 4:
        band += f"L{svg.num(x)},{svg.num(top + 8 + rnd.uniform(0, 7))} "
        x -= rnd.uniform(7, 12)
    band += 'Z" fill="url(#grass)" stroke="#4f9e6a" stroke-width="1.2"/>'
    blades = []
    x = x0 + 6
    while x < x1 - 6:
        h = rnd.uniform(5, 11)
        lean = rnd.uniform(-3, 3)
        colour = rnd.choice([GRASS_LIGHT, GRASS, GRASS_DARK])
        blades.append(f'<polygon points="{svg.pts([(x - 2, top), (x + lean, top - h), (x + 2, top)])}" '
                      f'fill="{colour}"/>')
        x += rnd.uniform(3, 7)
    return band + "".join(blades)


def _flower(x, y, colour, size, rnd):
    stem = y + rnd.uniform(6, 12)
    petals = "".join(
        f'<circle cx="{svg.num(x + size * math.cos(a))}" cy="{svg.num(y + size * math.sin(a))}" '
        f'r="{svg.num(size * 0.75)}" fill="{colour}"/>'
        for a in (2 * math.pi * k / 5 + 0.3 for k in range(5)))
    return (f'<line x1="{svg.num(x)}" y1="{svg.num(y)}" x2="{svg.num(x)}" y2="{svg.num(stem)}" '
            f'stroke="{GRASS_DARK}" stroke-width="1.2"/>{petals}'
            f'<circle cx="{svg.num(x)}" cy="{svg.num(y)}" r="{svg.num(size * 0.55)}" fill="#ffd36b"/>')


def _mushroom(x, top, rnd):
    h = rnd.uniform(9, 14)
    w = h * 0.9
    cap = rnd.choice(["#ff8fa6", "#f7a7ff", "#ffb36b"])
    dots = "".join(f'<circle cx="{svg.num(x + dx)}" cy="{svg.num(top - h + dy)}" r="1.4" fill="#fff"/>'
                   for dx, dy in ((-w * 0.4, 2), (w * 0.1, -1), (w * 0.45, 2.5)))
    return (f'<rect x="{svg.num(x - 2.5)}" y="{svg.num(top - h + 2)}" width="5" height="{svg.num(h)}" '
            f'rx="2" fill="#fff4e6"/>'
            f'<path d="M{svg.num(x - w)},{svg.num(top - h + 4)} Q{svg.num(x)},{svg.num(top - h * 1.9)} '
            f'{svg.num(x + w)},{svg.num(top - h + 4)} Z" fill="{cap}" stroke="#a3577e" '
            f'stroke-width="0.8"/>{dots}')


def _tree(x, top, height, rnd):
    trunk = (f'<path d="M{x - 7},{top + 2} Q{x - 3},{top - height * 0.5} {x - 4},{top - height * 0.75} '
             f'L{x + 4},{top - height * 0.75} Q{x + 3},{top - height * 0.5} {x + 8},{top + 2} Z" '
             f'fill="#8a5d6e" stroke="#5a3a50" stroke-width="1.2"/>')
    blobs = []
    radius = height * 0.28
    for k in range(7):
        a = 2 * math.pi * k / 7 + rnd.uniform(-0.3, 0.3)
        cx = x + math.cos(a) * radius * 0.9
        cy = top - height * 0.72 + math.sin(a) * radius * 0.6
        r = radius * rnd.uniform(0.55, 0.75)
        blobs.append(f'<circle cx="{svg.num(cx)}" cy="{svg.num(cy)}" r="{svg.num(r)}" '
                     f'fill="url(#canopy)" stroke="#4f8f72" stroke-width="1"/>')
    blobs.append(f'<circle cx="{x}" cy="{svg.num(top - height * 0.75)}" r="{svg.num(radius * 0.8)}" '
                 f'fill="url(#canopy)"/>')
    blossoms = "".join(
        f'<circle cx="{svg.num(x + rnd.uniform(-radius, radius))}" '
        f'cy="{svg.num(top - height * 0.72 + rnd.uniform(-radius * 0.7, radius * 0.6))}" '
        f'r="2.2" fill="{rnd.choice(FLOWERS)}"/>' for _ in range(9))
    return trunk + "".join(blobs) + blossoms


def _rock(x, top, rnd):
    w = rnd.uniform(22, 30)
    return (f'<path d="M{svg.num(x - w)},{top + 3} Q{svg.num(x - w)},{svg.num(top - w * 0.9)} '
            f'{svg.num(x)},{svg.num(top - w)} Q{svg.num(x + w * 1.1)},{svg.num(top - w * 0.8)} '
            f'{svg.num(x + w)},{top + 3} Z" fill="#a99bb8" stroke="#5e4f74" stroke-width="1.3"/>'
            f'<path d="M{svg.num(x - w * 0.6)},{svg.num(top - w * 0.55)} Q{svg.num(x)},{svg.num(top - w * 1.05)} '
            f'{svg.num(x + w * 0.5)},{svg.num(top - w * 0.75)}" fill="none" stroke="#8fdc95" '
            f'stroke-width="3.5" stroke-linecap="round"/>')


def _fern(x, top, rnd):
    out = []
    for k in range(5):
        a = math.radians(-60 + k * 30 + rnd.uniform(-8, 8))
        length = rnd.uniform(16, 26)
        tip = (x + math.sin(a) * length, top - math.cos(a) * length)
        ctrl = (x + math.sin(a) * length * 0.3, top - length * 0.9)
        out.append(f'<path d="M{x},{top} Q{svg.pts([ctrl])} {svg.pts([tip])}" fill="none" '
                   f'stroke="{GRASS_DARK if k % 2 else GRASS}" stroke-width="3" stroke-linecap="round"/>')
    return "".join(out)


def _crystals(x, top, rnd):
    out = [f'<ellipse cx="{x}" cy="{top - 14}" rx="28" ry="22" fill="url(#glow)" opacity="0.7"/>']
    for dx, h, lean in ((-9, 21, -14), (0, 33, 0), (9, 18, 16)):
        shape = [(x + dx - 5, top + 2), (x + dx - 4.5, top - h * 0.75), (x + dx, top - h),
                 (x + dx + 4.5, top - h * 0.75), (x + dx + 5, top + 2)]
        out.append(f'<polygon points="{svg.pts(shape)}" transform="rotate({lean} {x + dx} {top})" '
                   f'fill="#c9a6ff" stroke="#6a3fb8" stroke-width="1"/>')
    return "".join(out)


FEATURES = {"rock": _rock, "fern": _fern, "crystals": _crystals}


def _vines(blob, rnd, amount):
    out = []
    x = blob.x0 + rnd.uniform(20, 50)
    while x < blob.x1 - 20:
        start = blob.top + blob.depth * 0.55
        length = rnd.uniform(25, 80) * amount
        if rnd.random() < 0.45:   # root
            out.append(f'<path d="M{svg.num(x)},{svg.num(start)} q{svg.num(rnd.uniform(-8, 8))},'
                       f'{svg.num(length * 0.5)} {svg.num(rnd.uniform(-6, 6))},{svg.num(length * 0.7)}" '
                       f'fill="none" stroke="#6b4560" stroke-width="2" stroke-linecap="round"/>')
        else:                     # vine with leaves
            sway = rnd.uniform(-10, 10)
            out.append(f'<path d="M{svg.num(x)},{svg.num(start)} q{svg.num(sway)},{svg.num(length * 0.5)} '
                       f'0,{svg.num(length)}" fill="none" stroke="#5fae7a" stroke-width="1.8"/>')
            for k in range(int(length / 12)):
                ly = start + 8 + k * 12
                side = 1 if k % 2 else -1
                out.append(f'<ellipse cx="{svg.num(x + sway * 0.4 + side * 3)}" cy="{svg.num(ly)}" '
                           f'rx="3.5" ry="2" transform="rotate({side * 30} {svg.num(x)} {svg.num(ly)})" '
                           f'fill="#8fdc95"/>')
            if rnd.random() < 0.5:
                out.append(f'<circle cx="{svg.num(x)}" cy="{svg.num(start + length)}" r="3" '
                           f'fill="#fff3b0"/><circle cx="{svg.num(x)}" cy="{svg.num(start + length)}" '
                           f'r="8" fill="url(#glow)"/>')
        x += rnd.uniform(25, 60)
    return "".join(out)


def piece_svg(piece):
    rnd = random.Random(piece.seed * 101)
    back, front = [], []
    trees = list(piece.trees)
    for i, blob in enumerate(piece.blobs):
        back.append(_vines(blob, rnd, piece.vines))
        back.append(_earth(blob, i, rnd))
        for tree in [t for t in trees if blob.x0 + 20 <= t[0] <= blob.x1 - 20 and blob.top >= t[1]]:
            back.append(_tree(tree[0], blob.top, tree[1], rnd))
            trees.remove(tree)
        for kind, fx in piece.features:
            if blob.x0 + 20 <= fx <= blob.x1 - 20:
                back.append(FEATURES[kind](fx, blob.top, rnd))
        front.append(_grass(blob, rnd))
        for _ in range(int((blob.x1 - blob.x0) / 40)):
            front.append(_flower(rnd.uniform(blob.x0 + 10, blob.x1 - 10), blob.top - rnd.uniform(7, 14),
                                 rnd.choice(FLOWERS), rnd.uniform(2, 3.2), rnd))
        for _ in range(piece.mushrooms):
            front.append(_mushroom(rnd.uniform(blob.x0 + 20, blob.x1 - 20), blob.top, rnd))
    return svg.doc(piece.width, piece.height, "".join(back + front), _defs(piece))


def outline_svg(piece):
    """Only the solid earth, at a quarter of the sprite's width and height."""
    body = "".join(f'<path d="{b.path()}" fill="#ffffff"/>' for b in piece.blobs)
    return svg.doc(piece.width // 4, piece.height // 4, body,
                   view=f"0 0 {piece.width} {piece.height}")
