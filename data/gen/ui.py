"""Menu background, the selector sparkle and the credits cards."""
import math

import scenery
import svg
import unicorn

W, H = 640, 480
TITLE_FONT = "DejaVu Serif"
TEXT_FONT = "DejaVu Sans"


def _title_defs():
    return (svg.linear_gradient("title", [(0, "#fff6d6"), (0.5, "#ffd27a"), (1, "#f59ac0")], 0, 0, 0, 1)
            + svg.blur("title_glow", 6)
            + svg.radial_gradient("island_glow", [(0, "#fff3c4", 0.5), (1, "#fff3c4", 0)])
            + svg.linear_gradient("panel", [(0, "#1b1436", 0.15), (0.25, "#1b1436", 0.55),
                                            (1, "#120d26", 0.7)], 0, 0, 0, 1))


def menu_background_svg():
    """The dusk scene with the unicorn on its island at the lower left and a
    crescent moon in the upper right to balance it; no writing, as the game's
    name is the window's title."""
    body, defs = scenery.backdrop_body("enchanted_dusk")
    defs += (_title_defs() + unicorn._defs()
             + svg.radial_gradient("moon_glow", [(0, "#fff3c4", 0.5), (0.3, "#ffd6e8", 0.2),
                                                 (0.65, "#ffd6e8", 0.05), (1, "#ffd6e8", 0)])
             + svg.linear_gradient("moon", [(0, "#fffbea"), (1, "#ffe3a6")], 0, 0, 1, 1))
    moon_x, moon_y, moon_r = 480, 100, 38
    parts = [body,
             # a calm dark panel behind the menu entries and the small texts
             f'<rect x="178" y="200" width="450" height="292" rx="26" fill="url(#panel)"/>',
             f'<circle cx="{moon_x}" cy="{moon_y}" r="{moon_r * 3}" fill="url(#moon_glow)"/>',
             f'<path d="M{moon_x},{moon_y - moon_r} A{moon_r},{moon_r} 0 1 0 {moon_x},{moon_y + moon_r} '
             f'A{moon_r * 1.25},{moon_r * 1.25} 0 0 1 {moon_x},{moon_y - moon_r} Z" '
             f'fill="url(#moon)" stroke="#f2c98a" stroke-width="1"/>']
    for x, y, s in ((96, 70, 9), (590, 44, 7), (604, 150, 5), (60, 140, 5), (392, 58, 5),
                    (232, 44, 6), (300, 128, 7), (188, 112, 4), (380, 158, 4)):
        parts.append(f'<polygon points="{svg.pts(svg.star_points(x, y, s, s * 0.3, 4))}" fill="#fff8d8"/>')
    # the unicorn on a small island at the lower left
    parts.append('<ellipse cx="95" cy="330" rx="110" ry="70" fill="url(#island_glow)"/>')
    parts.append('<path d="M10,392 Q95,382 182,392 Q170,430 120,442 Q95,470 70,442 Q22,432 10,392 Z" '
                 'fill="#7a4f66" stroke="#3e2541" stroke-width="2"/>'
                 '<path d="M6,394 Q95,378 186,394 L182,402 Q95,390 10,402 Z" fill="#8fd88c"/>')
    parts.append(f'<g transform="translate(8,212) scale(1.75)">{unicorn.body("run", 0.15)}</g>')
    return svg.doc(W, H, "".join(parts), defs, opaque=True)


def selector_frame_svg(index, count=21):
    t = index / count
    turn = math.pi / 2 * t
    pulse = 0.5 + 0.5 * math.sin(2 * math.pi * t)
    defs = svg.radial_gradient("halo", [(0, "#fff3b0", 0.9), (0.5, "#ffc6e8", 0.35), (1, "#ffc6e8", 0)])
    parts = [f'<circle cx="20" cy="20" r="{svg.num(15 + 4 * pulse)}" fill="url(#halo)"/>',
             f'<polygon points="{svg.pts(svg.star_points(20, 20, 12 + 3 * pulse, 3.2, 4, turn))}" '
             f'fill="#fff8d6" stroke="#f2b35b" stroke-width="1"/>',
             f'<polygon points="{svg.pts(svg.star_points(20, 20, 6, 2, 4, turn + math.pi / 4))}" '
             f'fill="#ffd1ec" opacity="0.8"/>']
    for k in range(3):
        a = 2 * math.pi * (t + k / 3)
        x, y = 20 + 14 * math.cos(a), 20 + 14 * math.sin(a)
        s = 2 + 1.2 * math.sin(2 * math.pi * (t * 2 + k / 3))
        parts.append(f'<polygon points="{svg.pts(svg.star_points(x, y, s, s * 0.35, 4))}" fill="#ffffff"/>')
    return svg.doc(40, 40, "".join(parts), defs)


def _icon(kind):
    if kind == "code":
        return ('<text x="0" y="0" text-anchor="middle" font-family="DejaVu Sans Mono" font-size="54" '
                'font-weight="bold" fill="#8f6ad0">{ }</text>')
    if kind == "art":
        return ('<ellipse cx="0" cy="-18" rx="34" ry="24" fill="#f7e7d4" stroke="#8f6ad0" stroke-width="3"/>'
                + "".join(f'<circle cx="{x}" cy="{y}" r="6" fill="{c}"/>' for x, y, c in
                          ((-18, -24, "#ff8fab"), (-4, -32, "#ffe27a"), (12, -28, "#8de3a6"),
                           (20, -14, "#7ec8ff")))
                + '<circle cx="-12" cy="-8" r="5" fill="#ffffff" stroke="#8f6ad0" stroke-width="2"/>')
    if kind == "music":
        return ('<path d="M-14,-4 L-14,-46 L22,-54 L22,-12" fill="none" stroke="#8f6ad0" stroke-width="5"/>'
                '<ellipse cx="-20" cy="-4" rx="9" ry="7" fill="#8f6ad0"/>'
                '<ellipse cx="16" cy="-12" rx="9" ry="7" fill="#8f6ad0"/>')
    return ('<path d="M-40,-10 L40,-10 Q34,6 0,10 Q-34,6 -40,-10 Z" fill="#9a6b78"/>'
            '<path d="M-42,-12 L42,-12 L40,-6 L-40,-6 Z" fill="#7fcf86"/>'
            '<polygon points="14,-54 8,-66 20,-66" fill="#ffe27a"/>'
            '<rect x="-2" y="-40" width="4" height="28" fill="#8a5d6e"/>'
            '<circle cx="0" cy="-44" r="13" fill="#86d08f"/>')


def credits_card_svg(centre_x, role, line, icon):
    """A 640x480 card, clear but for one panel centred where the credits
    slide it slowest."""
    left = centre_x - 170
    defs = (svg.linear_gradient("card", [(0, "#fffaf0"), (1, "#f1e4ff")], 0, 0, 0, 1)
            + svg.blur("shadow", 6))
    parts = [f'<rect x="{left + 6}" y="118" width="340" height="260" rx="22" fill="#000" opacity="0.35" '
             f'filter="url(#shadow)"/>',
             f'<rect x="{left}" y="110" width="340" height="260" rx="22" fill="url(#card)" '
             f'stroke="#b79cff" stroke-width="4"/>',
             f'<rect x="{left + 10}" y="120" width="320" height="240" rx="16" fill="none" '
             f'stroke="#ffd27a" stroke-width="1.5" stroke-dasharray="6 5"/>',
             f'<g transform="translate({centre_x},212)">{_icon(icon)}</g>',
             f'<text x="{centre_x}" y="270" text-anchor="middle" font-family="{TITLE_FONT}" '
             f'font-weight="bold" font-size="32" fill="#5b3f8c">{role}</text>',
             f'<text x="{centre_x}" y="310" text-anchor="middle" font-family="{TEXT_FONT}" '
             f'font-size="17" fill="#7a5d9e">{line}</text>']
    for k, colour in enumerate(unicorn.RAINBOW):
        parts.append(f'<rect x="{left + 60 + k * 37}" y="334" width="30" height="5" rx="2.5" fill="{colour}"/>')
    return svg.doc(W, H, "".join(parts), defs)


# The four sliding cards, each centred where its phase of the credits moves
# one pixel a frame (the first rests about x -50, the second about 50, the
# third and fourth about -150).
CREDIT_CARDS = [
    ("CSarvel.png", 370, "Programming", "by the Morvane team", "code"),
    ("COrvik.png", 270, "Art", "drawn for Morvane, by hand in SVG", "art"),
    ("CTolvar.png", 470, "Music &amp; Sound", "synthesised for Morvane", "music"),
    ("Drumvelt.png", 470, "Level Design", "islands placed with care", "levels"),
]


def closing_card_svg():
    body, defs = scenery.backdrop_body("moonlit_glade")
    defs += _title_defs() + unicorn._defs()
    parts = [body,
             f'<text x="320" y="150" text-anchor="middle" font-family="{TITLE_FONT}" font-weight="bold" '
             f'font-size="50" fill="#ff9ad0" opacity="0.7" filter="url(#title_glow)">Thanks for playing!</text>',
             f'<text x="320" y="150" text-anchor="middle" font-family="{TITLE_FONT}" font-weight="bold" '
             f'font-size="50" fill="url(#title)" stroke="#4b2f7a" stroke-width="1.5">Thanks for playing!</text>',
             f'<text x="320" y="196" text-anchor="middle" font-family="{TEXT_FONT}" font-size="20" '
             f'fill="#e8f4ff">Morvane, made with love by the Morvane team</text>',
             '<ellipse cx="320" cy="330" rx="120" ry="60" fill="url(#island_glow)"/>',
             f'<g transform="translate(226,236) scale(1.75)">{unicorn.body("jump1", 0.3)}</g>']
    return svg.doc(W, H, "".join(parts), defs, opaque=True)
