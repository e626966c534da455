"""Items of the enchanted woods, each an animated sprite (frames on one sheet)
and an outline picture of the same size marking the part that is touched."""
import math

import svg


class ItemArt:
    def __init__(self, name, width, height, frames, draw, shape, speed=80):
        self.name, self.width, self.height = name, width, height
        self.frames, self.draw, self.shape, self.speed = frames, draw, shape, speed

    def sheet_svg(self):
        body = "".join(f'<g transform="translate({i * self.width},0)">{self.draw(i / self.frames)}</g>'
                       for i in range(self.frames))
        return svg.doc(self.width * self.frames, self.height, body, DEFS)

    def outline_svg(self):
        return svg.doc(self.width, self.height, f'<g fill="#ffffff">{self.shape}</g>')


DEFS = (svg.radial_gradient("halo", [(0, "#fff6b8", 0.85), (0.5, "#ffd98a", 0.35), (1, "#ffd98a", 0)])
        + svg.radial_gradient("apple", [(0, "#fff3a6"), (0.45, "#ffbf5e"), (1, "#f0657e")],
                              0.38, 0.32, 0.75)
        + svg.linear_gradient("crystal", [(0, "#f1dcff"), (0.5, "#b17cf0"), (1, "#6a3fb8")],
                              0, 0, 1, 1)
        + svg.linear_gradient("crystal_dark", [(0, "#c7a4f7"), (1, "#4f2b91")], 0, 0, 1, 1)
        + svg.radial_gradient("violet_halo", [(0, "#e2c6ff", 0.7), (1, "#b98cff", 0)])
        + svg.radial_gradient("lamp", [(0, "#fffbe0", 1), (0.35, "#ffe38a", 0.9), (1, "#ffb347", 0)])
        + svg.linear_gradient("thorn", [(0, "#6d3b5d"), (1, "#3a1f3f")], 0, 0, 0, 1))


def _sparkle(x, y, size, alpha):
    return (f'<polygon points="{svg.pts(svg.star_points(x, y, size, size * 0.3, 4))}" '
            f'fill="#ffffff" opacity="{svg.num(alpha)}"/>')


def omena(t):
    pulse = 0.5 + 0.5 * math.sin(2 * math.pi * t)
    return (f'<circle cx="20" cy="21" r="{svg.num(16 + 3 * pulse)}" fill="url(#halo)"/>'
            '<path d="M20,11 C13,7 6,12 7,21 C8,30 14,34 20,32 C26,34 32,30 33,21 '
            'C34,12 27,7 20,11 Z" fill="url(#apple)" stroke="#b8476a" stroke-width="1.2"/>'
            '<path d="M20,12 Q19,7 21,4" fill="none" stroke="#7a4b3a" stroke-width="1.8" '
            'stroke-linecap="round"/>'
            '<path d="M21,7 Q27,3 30,7 Q25,10 21,7 Z" fill="#8fdc95" stroke="#4f9e6a" '
            'stroke-width="0.8"/>'
            '<ellipse cx="14" cy="17" rx="3" ry="4.5" fill="#ffffff" opacity="0.55" '
            'transform="rotate(25 14 17)"/>'
            + _sparkle(30 - 4 * t, 30, 3 + 2 * pulse, 0.4 + 0.6 * pulse))


def fred(t):
    glint = (t * 1.4) % 1.0
    shards = [
        ("M24,6 L33,22 L30,58 L18,58 L15,22 Z", "url(#crystal)"),
        ("M11,24 L18,32 L18,58 L8,58 L6,34 Z", "url(#crystal_dark)"),
        ("M37,20 L43,32 L41,58 L31,58 L32,30 Z", "url(#crystal_dark)"),
    ]
    body = f'<ellipse cx="24" cy="34" rx="{svg.num(24 - 2 * math.sin(2 * math.pi * t))}" ry="30" fill="url(#violet_halo)"/>'
    for d, fill in shards:
        body += f'<path d="{d}" fill="{fill}" stroke="#4a2a82" stroke-width="1.3" stroke-linejoin="round"/>'
    body += ('<path d="M24,6 L24,58 M15,22 L24,30 L33,22" fill="none" stroke="#f4e8ff" '
             'stroke-width="1" opacity="0.7"/>')
    gy = 52 - 44 * glint
    body += (f'<path d="M17,{svg.num(gy + 5)} L31,{svg.num(gy - 3)}" stroke="#ffffff" stroke-width="2.5" '
             f'opacity="{svg.num(0.7 * math.sin(math.pi * glint))}"/>')
    body += _sparkle(36, 14 + 6 * math.sin(2 * math.pi * t), 4, 0.5 + 0.5 * math.cos(2 * math.pi * t))
    body += '<ellipse cx="24" cy="59" rx="19" ry="3" fill="#4a2a62" opacity="0.5"/>'
    return body


def thorn(t):
    sway = 1.5 * math.sin(2 * math.pi * t)
    body = '<ellipse cx="32" cy="50" rx="30" ry="5" fill="#2a1830" opacity="0.5"/>'
    stems = [("M6,52 C10,30 22,18 30,10", 0), ("M58,52 C54,32 44,20 36,8", 0),
             ("M14,52 C22,38 40,34 52,22", 1), ("M50,52 C40,40 22,34 10,26", 1),
             ("M32,54 C30,40 34,28 32,14", 0)]
    for d, k in stems:
        body += (f'<path d="{d}" transform="translate({svg.num(sway * (1 - 2 * k))},0)" fill="none" '
                 f'stroke="url(#thorn)" stroke-width="5" stroke-linecap="round"/>')
    for x, y, a in ((12, 36, -40), (24, 22, -20), (44, 20, 30), (52, 34, 50), (20, 44, 200),
                    (40, 40, 160), (30, 30, 90), (36, 16, -80), (8, 28, 120), (56, 26, 60)):
        body += (f'<polygon points="0,-3 10,0 0,3" fill="#2f1630" '
                 f'transform="translate({x + sway},{y}) rotate({a})"/>')
    for x, y in ((18, 30), (42, 28), (30, 40), (48, 44), (24, 18)):
        body += f'<circle cx="{x}" cy="{y}" r="3.2" fill="#e0506e" stroke="#8e2343" stroke-width="0.8"/>'
    return body


def star(t):
    turn = 2 * math.pi * t / 4
    pulse = 0.5 + 0.5 * math.sin(2 * math.pi * t)
    return (f'<circle cx="18" cy="18" r="{svg.num(14 + 3 * pulse)}" fill="url(#halo)"/>'
            f'<polygon points="{svg.pts(svg.star_points(18, 18, 13, 6, 5, turn * 0.2))}" '
            f'fill="#fff1a0" stroke="#e8a93a" stroke-width="1.3" stroke-linejoin="round"/>'
            f'<circle cx="15" cy="15" r="2.5" fill="#ffffff" opacity="0.8"/>'
            + _sparkle(29, 7, 2 + 2 * pulse, pulse))


def lantern(t):
    flicker = 0.85 + 0.15 * math.sin(2 * math.pi * t * 2) * math.cos(2 * math.pi * t)
    return (f'<circle cx="16" cy="28" r="{svg.num(15 * flicker + 1)}" fill="url(#lamp)"/>'
            '<path d="M16,2 L16,9" stroke="#6a4d7a" stroke-width="1.5"/>'
            '<path d="M10,10 L22,10 L24,14 L8,14 Z" fill="#8a6aa8" stroke="#4f3566" stroke-width="1"/>'
            f'<rect x="8" y="14" width="16" height="24" rx="4" fill="#fff2b3" opacity="{svg.num(0.75 + 0.25 * flicker)}" '
            'stroke="#4f3566" stroke-width="1.3"/>'
            '<path d="M12,14 L12,38 M20,14 L20,38" stroke="#8a6aa8" stroke-width="1"/>'
            f'<circle cx="16" cy="26" r="{svg.num(3.5 * flicker)}" fill="#ffffff"/>'
            '<path d="M8,38 L24,38 L21,43 L11,43 Z" fill="#8a6aa8" stroke="#4f3566" stroke-width="1"/>')


def feather(t):
    bob = 2 * math.sin(2 * math.pi * t)
    return (f'<g transform="rotate({svg.num(-35 + 8 * math.sin(2 * math.pi * t))} 16 16) translate(0,{svg.num(bob)})">'
            '<path d="M16,3 C24,9 24,22 16,29 C8,22 8,9 16,3 Z" fill="#fdf7ff" stroke="#b7a2d9" stroke-width="1"/>'
            '<path d="M16,5 L16,31" stroke="#b7a2d9" stroke-width="1"/>'
            '<path d="M16,12 L21,9 M16,17 L22,14 M16,12 L11,9 M16,17 L10,14 M16,22 L21,20 M16,22 L11,20" '
            'stroke="#d9cdf0" stroke-width="0.8"/></g>')


ITEMS = [
    ItemArt("omena", 40, 40, 8, omena, '<circle cx="20" cy="21" r="12.5"/>', speed=90),
    ItemArt("Fred", 48, 64, 8, fred, '<path d="M24,8 L33,22 L42,32 L40,57 L8,57 L7,34 L15,22 Z"/>',
            speed=100),
    ItemArt("thorn", 64, 56, 4, thorn, '<path d="M8,52 C10,30 22,14 32,10 C44,14 54,30 56,52 Z"/>',
            speed=160),
    ItemArt("star", 36, 36, 8, star, '<circle cx="18" cy="18" r="10"/>', speed=80),
    ItemArt("lantern", 32, 48, 6, lantern, '<rect x="7" y="9" width="18" height="34" rx="4"/>',
            speed=90),
    ItemArt("feather", 32, 32, 8, feather, '<circle cx="16" cy="17" r="9"/>', speed=110),
]
