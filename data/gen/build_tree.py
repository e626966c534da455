#!/usr/bin/env python3
"""Builds the game's run-time data tree from the text sources beside it:
pictures drawn as SVG and rendered with rsvg-convert, sounds synthesised and
encoded with oggenc, and the hand-written configuration, levels and campaign
copied over. The same sources always give the same files."""
import argparse
import concurrent.futures
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True  # keep the source folder clean
sys.path.insert(0, HERE)

import items  # noqa: E402
import music  # noqa: E402
import pieces  # noqa: E402
import scenery  # noqa: E402
import svg  # noqa: E402
import synth  # noqa: E402
import ui  # noqa: E402
import unicorn  # noqa: E402

WOODS = "images/levels/enchanted_woods"
BACKDROPS = {"images/background": "enchanted_dusk",
             "images/backgrounds/twilight_meadow": "twilight_meadow",
             "images/backgrounds/moonlit_glade": "moonlit_glade"}
OGG_SERIAL = "20240607"  # a fixed stream serial keeps the Ogg files reproducible


def sprite_xml(sprites):
    """sprites: [(id, [image element text], ms a frame)]"""
    out = ['<?xml version="1.0" encoding="utf-8"?>', "<resources>"]
    for ident, images, speed in sprites:
        out.append(f'  <sprite name="{ident}">')
        out += [f"    {image}" for image in images]
        out.append(f'    <animation speed="{speed}" loop="yes"/>')
        out.append("  </sprite>")
    out.append("</resources>")
    return "\n".join(out) + "\n"


def write_text(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)


def picture_jobs(out):
    """Every picture of the tree as (svg text, path); XML files are written here."""
    jobs = []

    # the unicorn
    sprites = []
    for ident, frames, speed in unicorn.sprite_frames():
        images = []
        for name, text in frames:
            jobs.append((text, f"{out}/images/pony/{name}"))
            images.append(f'<image file="{name}"/>')
        sprites.append((ident, images, speed))
    write_text(f"{out}/images/pony/pony.xml", sprite_xml(sprites))
    for name, text in unicorn.outlines().items():
        jobs.append((text, f"{out}/images/{name}"))

    # darkness and backdrops
    jobs.append((scenery.black_layer_svg(), f"{out}/images/black_layer.png"))
    write_text(f"{out}/images/black_layer.xml",
               sprite_xml([("black_layer", ['<image file="black_layer.png"/>'], 1000)]))
    for base, palette in BACKDROPS.items():
        leaf = os.path.basename(base)
        jobs.append((scenery.backdrop_svg(palette), f"{out}/{base}.png"))
        write_text(f"{out}/{base}.xml",
                   sprite_xml([("background", [f'<image file="{leaf}.png"/>'], 1000)]))

    # ground pieces and items of the enchanted woods
    for piece in pieces.PIECES:
        base = f"{out}/{WOODS}/{piece.name}"
        jobs.append((pieces.piece_svg(piece), base + ".png"))
        jobs.append((pieces.outline_svg(piece), base + "_out.png"))
        write_text(base + ".xml", sprite_xml([("ground", [f'<image file="{piece.name}.png"/>'], 1000)]))
    for item in items.ITEMS:
        base = f"{out}/{WOODS}/{item.name}"
        jobs.append((item.sheet_svg(), base + ".png"))
        jobs.append((item.outline_svg(), base + "_out.png"))
        grid = (f'<image file="{item.name}.png"><grid pos="0,0" size="{item.width},{item.height}" '
                f'array="{item.frames},1"/></image>')
        write_text(base + ".xml",
                   sprite_xml([(f"levels/enchanted_woods/{item.name}", [grid], item.speed)]))

    # menu, selector and credits
    jobs.append((ui.menu_background_svg(), f"{out}/game_data/menu_background.png"))
    for i in range(21):
        jobs.append((ui.selector_frame_svg(i), f"{out}/star_selector/{i + 1:04d}.png"))
    for name, centre, role, line, icon in ui.CREDIT_CARDS:
        jobs.append((ui.credits_card_svg(centre, role, line, icon), f"{out}/game_data/{name}"))
    jobs.append((ui.closing_card_svg(), f"{out}/game_data/Special.png"))
    return jobs


SOUNDS = {
    "sounds/menu_theme.ogg": music.menu_theme,
    "sounds/game_theme.ogg": music.game_theme,
    "sounds/night_theme.ogg": music.night_theme,
    "sounds/jump.wav": music.jump_sound,
    "sounds/dash.wav": music.dash_sound,
}


def make_sound(out, name):
    path = f"{out}/{name}"
    os.makedirs(os.path.dirname(path), exist_ok=True)
    samples = SOUNDS[name]()
    if name.endswith(".wav"):
        synth.write_wav(path, samples)
        return path
    with tempfile.TemporaryDirectory() as tmp:
        wav = os.path.join(tmp, "music.wav")
        synth.write_wav(wav, samples)
        subprocess.run(["oggenc", "--quiet", "-q", "4", "-s", OGG_SERIAL, "-o", path, wav],
                       check=True)
    return path


def copy_text_tree(out):
    source = os.path.join(os.path.dirname(HERE), "tree")
    for root, _, files in os.walk(source):
        for name in sorted(files):
            rel = os.path.relpath(os.path.join(root, name), source)
            os.makedirs(os.path.dirname(os.path.join(out, rel)), exist_ok=True)
            shutil.copyfile(os.path.join(root, name), os.path.join(out, rel))


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--out", required=True, help="the data tree to fill")
    parser.add_argument("--stamp", help="file to touch when everything is built")
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 2)
    args = parser.parse_args()
    out = os.path.abspath(args.out)
    for folder in ("profiles", "high_scores", "levels", "config"):
        os.makedirs(os.path.join(out, folder), exist_ok=True)
    copy_text_tree(out)

    with concurrent.futures.ProcessPoolExecutor(max_workers=min(3, args.jobs)) as sound_pool, \
            concurrent.futures.ThreadPoolExecutor(max_workers=args.jobs) as picture_pool:
        sound_futures = [sound_pool.submit(make_sound, out, name) for name in SOUNDS]
        picture_futures = [picture_pool.submit(svg.render, text, path)
                           for text, path in picture_jobs(out)]
        for future in picture_futures + sound_futures:
            future.result()

    if args.stamp:
        write_text(args.stamp, "data tree built\n")


if __name__ == "__main__":
    main()
