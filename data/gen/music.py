"""The game's music and sound effects, composed here note by note."""
import math

import synth
from synth import Mix, tone, bell, kick, noise_burst, midi_freq


def _play_melody(mix, bars, beat, bar_len, wave, gain, vibrato, legato=0.92, release=0.25,
                 attack=0.05):
    for index, bar in enumerate(bars):
        for start, note, length in bar:
            mix.add(index * bar_len + start * beat,
                    tone(midi_freq(note), length * beat * legato, wave, attack=attack, decay=0.2,
                         sustain=0.75, release=release, vibrato=vibrato), gain)


def menu_theme():
    """"Dusk Lullaby": D major, 80 beats a minute, twelve bars (36 s) of pad,
    music box, flute and bass."""
    beat = 60 / 80
    bar_len = 4 * beat
    chords = [(38, [62, 66, 69]), (35, [59, 62, 66]), (31, [59, 62, 67]), (33, [57, 61, 64]),
              (38, [62, 66, 69]), (30, [61, 66, 69]), (31, [59, 62, 67]), (33, [57, 61, 64]),
              (35, [59, 62, 66]), (31, [59, 62, 67]), (28, [59, 64, 67]), (33, [57, 61, 64])]
    melody = [
        [(0, 74, 1.5), (1.5, 76, 0.5), (2, 78, 2)],
        [(0, 78, 1), (1, 76, 1), (2, 74, 2)],
        [(0, 74, 1), (1, 71, 1), (2, 74, 1), (3, 79, 1)],
        [(0, 76, 3), (3, 73, 1)],
        [(0, 74, 1.5), (1.5, 76, 0.5), (2, 78, 1), (3, 81, 1)],
        [(0, 81, 2), (2, 78, 1), (3, 76, 1)],
        [(0, 79, 1.5), (1.5, 78, 0.5), (2, 76, 1), (3, 74, 1)],
        [(0, 76, 4)],
        [(0, 78, 1), (1, 74, 1), (2, 71, 2)],
        [(0, 79, 1), (1, 78, 1), (2, 76, 1), (3, 74, 1)],
        [(0, 71, 2), (2, 74, 1), (3, 76, 1)],
        [(0, 73, 2), (2, 76, 1), (3, 69, 1)],
    ]
    mix = Mix(bar_len * len(chords))
    for i, (root, triad) in enumerate(chords):
        t0 = i * bar_len
        for note in triad:
            for detune in (1.0, 1.005):
                mix.add(t0, tone(midi_freq(note) * detune, bar_len, synth.SOFT_SAW, attack=0.9,
                                 decay=0.5, sustain=0.8, release=1.4), 0.05)
        for b in (0, 2):
            mix.add(t0 + b * beat, tone(midi_freq(root), beat * 1.7, synth.MELLOW, attack=0.02,
                                        decay=0.4, sustain=0.6, release=0.4), 0.3)
        box = [triad[0] + 12, triad[1] + 12, triad[2] + 12, triad[0] + 24]
        for k, idx in enumerate([0, 1, 2, 3, 2, 1, 2, 3]):
            mix.add(t0 + k * beat / 2, bell(midi_freq(box[idx]), 0.9, 0.8), 0.07)
    _play_melody(mix, melody, beat, bar_len, synth.MELLOW, 0.22, 0.006, release=0.35, attack=0.07)
    mix.echo(beat * 2 / 3 * 1.0, 0.38, 0.35)
    return mix.normalised(0.8)


def game_theme():
    """"Rainbow Gallop": A major, 128 beats a minute, sixteen bars (30 s) of
    drums, bouncing bass, bell arpeggios and a lead tune."""
    beat = 60 / 128
    bar_len = 4 * beat
    A, Fm, D, E = ((45, [57, 61, 64]), (42, [57, 61, 66]), (38, [57, 62, 66]), (40, [56, 59, 64]))
    chords = [A, Fm, D, E, A, Fm, D, E, Fm, D, A, E, Fm, D, E, E]
    b1 = [(0, 76, 1), (1, 78, 0.5), (1.5, 76, 0.5), (2, 73, 1), (3, 69, 1)]
    b2 = [(0, 73, 1.5), (1.5, 76, 0.5), (2, 78, 2)]
    melody = [
        b1, b2, [(0, 81, 1), (1, 78, 1), (2, 74, 1), (3, 78, 1)], [(0, 76, 3), (3, 80, 1)],
        b1, b2, [(0, 81, 1), (1, 83, 1), (2, 85, 1), (3, 83, 1)], [(0, 81, 2), (2, 80, 2)],
        [(0, 78, 2), (2, 81, 1), (3, 78, 1)], [(0, 74, 2), (2, 78, 1), (3, 81, 1)],
        [(0, 76, 1.5), (1.5, 73, 0.5), (2, 69, 1), (3, 73, 1)], [(0, 71, 2), (2, 76, 2)],
        [(0, 78, 1), (1, 81, 1), (2, 85, 1), (3, 81, 1)], [(0, 86, 2), (2, 85, 1), (3, 83, 1)],
        [(0, 80, 2), (2, 83, 2)], [(0, 76, 2), (2, 80, 1), (3, 83, 1)],
    ]
    mix = Mix(bar_len * len(chords))
    kick_s = kick()
    snare = [a + 0.4 * b for a, b in zip(noise_burst(0.2, 5, 22.0, 0.45),
                                         tone(190, 0.05, synth.SINE, 0.001, 0.05, 0.3, 0.1))]
    hats = [noise_burst(0.06, 100 + k, 70.0, 0.92) for k in range(4)]
    for i, (root, triad) in enumerate(chords):
        t0 = i * bar_len
        for b in (0, 2):
            mix.add(t0 + b * beat, kick_s, 0.55)
        if i % 4 == 3:
            mix.add(t0 + 3.5 * beat, kick_s, 0.4)
        for b in (1, 3):
            mix.add(t0 + b * beat, snare, 0.22)
        for k in range(8):
            mix.add(t0 + k * beat / 2, hats[k % 4], 0.07 if k % 2 else 0.1)
        for k in range(8):
            note = root + (12 if k % 2 else 0)
            mix.add(t0 + k * beat / 2, tone(midi_freq(note), beat * 0.35, synth.MELLOW, 0.005,
                                            0.08, 0.5, 0.06), 0.26)
        arp = [triad[0] + 12, triad[1] + 12, triad[2] + 12, triad[1] + 24]
        for k in range(16):
            mix.add(t0 + k * beat / 4, bell(midi_freq(arp[k % 4]), 0.35, 0.6), 0.045)
        for note in triad:
            mix.add(t0, tone(midi_freq(note), bar_len, synth.SOFT_SAW, 0.3, 0.4, 0.7, 0.5), 0.03)
    _play_melody(mix, melody, beat, bar_len, synth.HOLLOW, 0.2, 0.008, release=0.18, attack=0.02)
    mix.echo(beat * 0.75, 0.3, 0.25)
    return mix.normalised(0.85)


def jump_sound():
    """A bright upward chirp with a little bell on top."""
    chirp = tone(520, 0.12, synth.HOLLOW, 0.004, 0.05, 0.8, 0.08, glide_to=1040)
    mix = Mix(0.4)
    mix.buf = [0.0] * mix.length
    mix.add(0, chirp, 0.6)
    mix.add(0.05, bell(1568, 0.3), 0.25)
    mix.add(0.09, bell(2093, 0.25), 0.15)
    out = mix.buf
    fade = int(0.02 * synth.RATE)
    for i in range(fade):  # nothing may wrap round in a one-shot sound
        out[-1 - i] *= i / fade
    top = max(abs(v) for v in out)
    return [v * 0.6 / top for v in out]


def dash_sound():
    """A rushing whoosh with a quick sparkling run of bells."""
    n = int(0.5 * synth.RATE)
    rnd_noise = noise_burst(0.5, 77, 0.0, 1.0)
    out, low = [], 0.0
    for i in range(n):
        u = i / n
        cut = 0.04 + 0.5 * math.sin(math.pi * min(1.0, u * 1.3)) ** 2
        low += cut * (rnd_noise[i] - low)
        amp = math.sin(math.pi * u) ** 1.5
        out.append(low * amp)
    mix = Mix(0.55)
    mix.add(0, out, 1.4)
    for k, note in enumerate([81, 85, 88, 93]):
        mix.add(0.03 + 0.045 * k, bell(midi_freq(note), 0.3), 0.18)
    res = mix.buf
    fade = int(0.02 * synth.RATE)
    for i in range(fade):
        res[-1 - i] *= i / fade
    top = max(abs(v) for v in res)
    return [v * 0.8 / top for v in res]


def night_theme():
    """"Moonlit Glade": A minor, 96 beats a minute, twelve bars (30 s) of a
    hushed pad, plucked bass, a soft shaker and a celesta tune."""
    beat = 60 / 96
    bar_len = 4 * beat
    Am, F, C, G, Dm, E = ((45, [57, 60, 64]), (41, [57, 60, 65]), (48, [55, 60, 64]),
                          (43, [55, 59, 62]), (38, [57, 62, 65]), (40, [56, 59, 64]))
    chords = [Am, F, C, G, Am, F, Dm, E, F, G, Am, E]
    melody = [
        [(0, 76, 1.5), (1.5, 74, 0.5), (2, 72, 1), (3, 71, 1)],
        [(0, 72, 3), (3, 69, 1)],
        [(0, 67, 1), (1, 72, 1), (2, 76, 2)],
        [(0, 74, 2), (2, 71, 1), (3, 67, 1)],
        [(0, 69, 1), (1, 72, 1), (2, 76, 1), (3, 81, 1)],
        [(0, 79, 2), (2, 77, 1), (3, 76, 1)],
        [(0, 74, 1.5), (1.5, 76, 0.5), (2, 77, 1), (3, 74, 1)],
        [(0, 76, 3), (3, 68, 1)],
        [(0, 69, 1), (1, 72, 1), (2, 77, 2)],
        [(0, 74, 1), (1, 79, 1), (2, 78, 1), (3, 79, 1)],
        [(0, 81, 2), (2, 76, 1), (3, 72, 1)],
        [(0, 71, 2), (2, 68, 1), (3, 71, 1)],
    ]
    mix = Mix(bar_len * len(chords))
    shaker = [noise_burst(0.08, 300 + k, 45.0, 0.85) for k in range(4)]
    for i, (root, triad) in enumerate(chords):
        t0 = i * bar_len
        for note in triad:
            for detune in (1.0, 1.006):
                mix.add(t0, tone(midi_freq(note) * detune, bar_len, synth.MELLOW, attack=0.7,
                                 decay=0.6, sustain=0.85, release=1.2), 0.055)
        for b, note in ((0, root), (1.5, root + 7), (2, root + 12), (3, root + 7)):
            mix.add(t0 + b * beat, tone(midi_freq(note), beat * 0.6, synth.MELLOW, attack=0.004,
                                        decay=0.25, sustain=0.3, release=0.3), 0.28)
        for k in range(8):
            mix.add(t0 + k * beat / 2, shaker[k % 4], 0.05 if k % 2 else 0.035)
        for k, note in enumerate([triad[0] + 24, triad[2] + 12, triad[1] + 12, triad[2] + 12]):
            mix.add(t0 + k * beat, bell(midi_freq(note), 0.7, 0.5), 0.05)
    for index, bar in enumerate(melody):
        for start, note, length in bar:
            mix.add(index * bar_len + start * beat, bell(midi_freq(note), length * beat + 0.8, 1.2), 0.2)
            mix.add(index * bar_len + start * beat,
                    tone(midi_freq(note + 12), length * beat * 0.9, synth.SINE, 0.02, 0.3, 0.25, 0.4),
                    0.05)
    mix.echo(beat * 0.75, 0.42, 0.4)
    return mix.normalised(0.8)
