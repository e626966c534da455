"""The player's unicorn: a white unicorn with a rainbow mane, drawn from one
parametrised source into run, jump, fall and dash frames, plus its three
collision outlines (head, body, feet)."""
import math

import svg

WIDTH, HEIGHT = 108, 102
# The outlines are scaled by 1.8 (the body by 1.44 across) and placed 12 rows
# below the sprite's top-left, so a 60x50 picture covers sprite rows 12..102.
OUTLINE_SIZE = (60, 50)
OUTLINE_TOP = 12

INK = "#6e5c96"
COAT = "#ffffff"
FAR_COAT = "#ddd4f0"
HOOF = "#a98bd0"
RAINBOW = ["#ff8fab", "#ffb56b", "#ffe27a", "#8de3a6", "#7ec8ff", "#b89cff"]

RUN_FRAMES = 8
HIP_FRONT, HIP_BACK = (66, 64), (31, 63)
UPPER_LEG, LOWER_LEG = 17.0, 18.0


def _defs():
    return (svg.linear_gradient("coat", [(0, "#ffffff"), (0.65, "#f6f2ff"), (1, "#e2d8f6")],
                                0, 0, 0, 1)
            + svg.linear_gradient("horn", [(0, "#fff4c2"), (1, "#f0b44a")], 0, 1, 1, 0)
            + svg.blur("soft", 1.2))


def _leg(hip, upper_deg, knee_deg, colour, width):
    """A leg in two segments, the thigh broader than the cannon, ending in a hoof."""
    a1 = math.radians(upper_deg)
    a2 = math.radians(upper_deg + knee_deg)
    knee = (hip[0] + UPPER_LEG * math.sin(a1), hip[1] + UPPER_LEG * math.cos(a1))
    hoof = (knee[0] + LOWER_LEG * math.sin(a2), knee[1] + LOWER_LEG * math.cos(a2))
    hoof_end = (hoof[0] + 2.5 * math.sin(a2), hoof[1] + 2.5 * math.cos(a2))
    thigh, shin = svg.pts([hip, knee]), svg.pts([knee, hoof])
    out = []
    for line, w in ((thigh, width + 2.5), (shin, width)):
        out.append(f'<polyline points="{line}" fill="none" stroke="{INK}" stroke-width="{w + 3}" '
                   f'stroke-linecap="round"/>')
    for line, w in ((thigh, width + 2.5), (shin, width)):
        out.append(f'<polyline points="{line}" fill="none" stroke="{colour}" stroke-width="{w}" '
                   f'stroke-linecap="round"/>')
    out.append(f'<line x1="{svg.num(hoof[0])}" y1="{svg.num(hoof[1])}" x2="{svg.num(hoof_end[0])}" '
               f'y2="{svg.num(hoof_end[1])}" stroke="{HOOF}" stroke-width="{width + 1.5}" '
               f'stroke-linecap="round"/>')
    return "".join(out)


def _strands(root_points, flow, wave, length, phase, width=4.2):
    """Rainbow strands growing from a line of roots and flowing by `flow`."""
    out = []
    count = len(RAINBOW)
    for i, colour in enumerate(RAINBOW):
        t = i / (count - 1)
        rx = root_points[0][0] + (root_points[1][0] - root_points[0][0]) * t
        ry = root_points[0][1] + (root_points[1][1] - root_points[0][1]) * t
        pts = []
        for k in range(5):
            s = k / 4
            sway = wave * s * math.sin(phase * 2 * math.pi + s * 3.0 + i * 0.7)
            pts.append((rx + flow[0] * s * length + sway * flow[1],
                        ry + flow[1] * s * length - sway * flow[0] + 3 * s * s))
        path = svg.smooth_open_path(pts)
        out.append(f'<path d="{path}" fill="none" stroke="{colour}" stroke-width="{width}" '
                   f'stroke-linecap="round"/>')
    return "".join(out)


def _pose(kind, phase):
    """Leg angles (hip, knee) for far-back, near-back, far-front, near-front."""
    if kind == "run":
        legs = []
        for offset, front in ((0.0, False), (0.1, False), (0.48, True), (0.58, True)):
            a = 2 * math.pi * (phase + offset)
            swing = 38 * math.sin(a)
            fold = max(0.0, math.cos(a))
            knee = -70 * fold if front else 55 * fold - 20 * (1 - fold)
            legs.append((swing, knee))
        bob = -2.5 * abs(math.sin(2 * math.pi * phase))
        return legs, bob, 0
    if kind == "jump1":   # rising: forelegs tucked, hind legs pushing back
        return [(-40, 25), (-48, 30), (55, -115), (62, -110)], -2, 0
    if kind == "jump2":   # falling: legs reaching down for the ground
        return [(-10, 20), (-18, 24), (28, -8), (20, -4)], 0, 0
    # dash: stretched out like a shooting star
    return [(-68, 8), (-75, 10), (52, -30), (58, -36)], 0, 3


def body(kind="run", phase=0.0):
    legs, bob, stretch = _pose(kind, phase)
    wind = 1.6 if kind in ("dash", "jump1") else 1.0
    parts = []
    if kind == "dash":
        for i, colour in enumerate(RAINBOW):
            y = 46 + i * 4.5
            shift = 8 * ((phase * 3 + i * 0.37) % 1.0)
            parts.append(f'<line x1="{svg.num(-4 + shift)}" y1="{svg.num(y)}" x2="36" '
                         f'y2="{svg.num(y + 2)}" stroke="{colour}" stroke-width="4" '
                         f'stroke-linecap="round" opacity="0.85"/>')
        for i in range(3):
            sx = (11 + 31 * i + 40 * phase) % 40
            sy = 40 + 17 * i
            parts.append(f'<polygon points="{svg.pts(svg.star_points(sx, sy, 4, 1.5, 4))}" '
                         f'fill="#fff6c9"/>')
    g = f'<g transform="translate(0,{svg.num(bob)})">'
    parts.append(g)
    # tail
    parts.append(_strands([(25, 50), (22, 57)], (-0.8 * wind, 0.75 / wind), 4 * wind, 24,
                          phase + 0.3))
    # far legs
    parts.append(_leg(HIP_BACK, *legs[0], FAR_COAT, 6))
    parts.append(_leg(HIP_FRONT, *legs[2], FAR_COAT, 6))
    # body and neck
    rx = 29 + stretch
    parts.append(f'<ellipse cx="{svg.num(49 - stretch / 2)}" cy="56" rx="{rx}" ry="15.5" '
                 f'fill="url(#coat)" stroke="{INK}" stroke-width="1.6"/>')
    neck = "M60,47 C66,36 70,26 77,18 L88,22 C90,34 88,46 84,62 C78,68 68,66 62,60 Z"
    parts.append(f'<path d="{neck}" fill="url(#coat)" stroke="{INK}" stroke-width="1.6" '
                 f'stroke-linejoin="round"/>')
    # near legs over the body
    parts.append(_leg((HIP_BACK[0] + 5, HIP_BACK[1] + 1), *legs[1], COAT, 6.5))
    parts.append(_leg((HIP_FRONT[0] + 4, HIP_FRONT[1] + 1), *legs[3], COAT, 6.5))
    parts.append(f'<path d="M24,52 Q38,45 45,63 M60,50 Q70,52 72,64" fill="none" stroke="{INK}" '
                 f'stroke-width="1" opacity="0.35" stroke-linecap="round"/>')
    # mane down the neck
    parts.append(_strands([(79, 15), (63, 44)], (-0.85 * wind, 0.55 / wind), 3.5 * wind, 17,
                          phase, 4.6))
    # head
    parts.append(f'<ellipse cx="87" cy="27" rx="12.5" ry="8.8" transform="rotate(32 87 27)" '
                 f'fill="url(#coat)" stroke="{INK}" stroke-width="1.6"/>')
    parts.append(f'<circle cx="95.5" cy="34" r="6.2" fill="#fbf8ff" stroke="{INK}" '
                 f'stroke-width="1.4"/>')
    parts.append('<circle cx="97.5" cy="35" r="1.1" fill="#c48bb4"/>')
    parts.append('<circle cx="91.5" cy="31.5" r="2.6" fill="#ffb3c7" opacity="0.6"/>')
    # ear and horn
    parts.append(f'<polygon points="79,21 81,10 86,19" fill="{COAT}" stroke="{INK}" '
                 f'stroke-width="1.4" stroke-linejoin="round"/>')
    parts.append(f'<polygon points="84,18 89.5,16.5 99,1.5" fill="url(#horn)" stroke="#c98a2e" '
                 f'stroke-width="1" stroke-linejoin="round"/>')
    for k in range(3):
        y = 14 - 4 * k
        x = 86.5 + 2.6 * k
        parts.append(f'<line x1="{svg.num(x)}" y1="{svg.num(y + 2.2)}" x2="{svg.num(x + 3.2)}" '
                     f'y2="{svg.num(y)}" stroke="#d9973a" stroke-width="0.9"/>')
    # eye with a sparkle and lashes
    parts.append('<ellipse cx="88" cy="25.5" rx="2.3" ry="3" fill="#3b2a5a"/>')
    parts.append('<circle cx="88.8" cy="24.4" r="0.9" fill="#ffffff"/>')
    parts.append(f'<path d="M85.5,23 l-2,-1.5 M86.3,22.2 l-1.2,-2" stroke="{INK}" '
                 f'stroke-width="0.9" stroke-linecap="round"/>')
    # forelock over the brow
    parts.append(_strands([(82, 15), (80, 19)], (0.25, 0.9), 1.5, 8, phase + 0.5, 3.2))
    parts.append("</g>")
    return "".join(parts)


def frame_svg(kind, phase):
    return svg.doc(WIDTH, HEIGHT, body(kind, phase), _defs())


def sprite_frames():
    """(sprite id, [(file name, svg)], ms a frame)"""
    return [
        ("run", [(f"run/{i + 1:04d}.png", frame_svg("run", i / RUN_FRAMES))
                 for i in range(RUN_FRAMES)], 55),
        ("jump1", [(f"jump1/{i + 1:04d}.png", frame_svg("jump1", i / 2)) for i in range(2)], 120),
        ("jump2", [(f"jump2/{i + 1:04d}.png", frame_svg("jump2", i / 2)) for i in range(2)], 120),
        ("dash", [(f"dash/{i + 1:04d}.png", frame_svg("dash", i / 4)) for i in range(4)], 50),
    ]


# Collision shapes in sprite coordinates. The head picture also covers the neck
# and chest, so anything met in front is touched by the head or the feet; the
# body sits 30 rows above the hooves so that landing never touches it.
HEAD_SHAPE = ('<ellipse cx="87" cy="27" rx="13" ry="9.5" transform="rotate(32 87 27)"/>'
              '<circle cx="95.5" cy="34" r="6.5"/>'
              '<polygon points="74,19 88,22 90,36 86,64 72,64 64,48"/>')
BODY_SHAPE = '<ellipse cx="48" cy="57" rx="26" ry="13"/>'
# The hooves are a narrow band under the middle of the outline box: the
# outlines tilt about the box's centre (column 54, row 57) with the jump, and
# a wide band would swing its rear end into the ground on take-off.
FEET_SHAPE = '<rect x="45" y="75" width="18" height="26.5" rx="4"/>'


def outline_svg(shape, across=1.8):
    """The shape as seen by an outline picture scaled by `across` x 1.8 and
    placed OUTLINE_TOP rows down; the outline box is centred across."""
    w, h = OUTLINE_SIZE
    box_w = w * across
    left = (w * 1.8 - box_w) / 2
    view = f"{svg.num(left)} {OUTLINE_TOP} {svg.num(box_w)} {svg.num(h * 1.8)}"
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{w}" height="{h}" viewBox="{view}" '
            f'preserveAspectRatio="none"><g fill="#ffffff">{shape}</g></svg>')


def outlines():
    return {
        "unicorn_outline_upper.png": outline_svg(HEAD_SHAPE),
        "unicorn_outline_middle.png": outline_svg(BODY_SHAPE, 1.44),
        "unicorn_outline_lower.png": outline_svg(FEET_SHAPE),
    }
