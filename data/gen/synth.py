"""A tiny synthesiser: wavetable voices, noise drums and a feedback echo,
all mixed into a circular buffer so that a piece loops without a seam.
Standard library only; every random draw comes from a fixed seed."""
import array
import functools
import itertools
import math
import random
import struct
import wave

RATE = 44100
TABLE_BITS = 12
TABLE_SIZE = 1 << TABLE_BITS
MASK = TABLE_SIZE - 1


def table(partials):
    """One cycle of a sum of harmonics [(harmonic, amplitude)], peak 1."""
    values = [sum(a * math.sin(2 * math.pi * h * i / TABLE_SIZE) for h, a in partials)
              for i in range(TABLE_SIZE)]
    peak = max(abs(v) for v in values)
    return [v / peak for v in values]


SINE = table([(1, 1)])
SOFT_SAW = table([(h, 1 / h ** 1.3) for h in range(1, 9)])
MELLOW = table([(1, 1), (2, 0.35), (3, 0.15), (4, 0.05)])
HOLLOW = table([(1, 1), (3, 0.3), (5, 0.12), (7, 0.05)])
BELL = table([(1, 1), (2, 0.45), (4, 0.2), (6, 0.08)])


def midi_freq(note):
    return 440.0 * 2 ** ((note - 69) / 12)


class Mix:
    def __init__(self, seconds):
        self.length = int(round(seconds * RATE))
        self.buf = [0.0] * self.length

    def add(self, start_seconds, samples, gain=1.0):
        """Adds samples from a start time, wrapping past the end to the start."""
        pos = int(round(start_seconds * RATE)) % self.length
        n = len(samples)
        while n > 0:
            take = min(n, self.length - pos)
            offset = len(samples) - n
            seg = samples[offset:offset + take]
            self.buf[pos:pos + take] = [a + b * gain for a, b in zip(self.buf[pos:pos + take], seg)]
            n -= take
            pos = 0

    def echo(self, delay_seconds, feedback, wet):
        """Circular feedback delay: runs twice round the loop so the echoes of
        the end fall on the start, as they will when the loop repeats."""
        d = int(delay_seconds * RATE)
        dry = self.buf
        out = list(dry)
        tail = [0.0] * d
        for _ in range(2):
            for start in range(0, self.length, d):
                seg = dry[start:start + d]
                fb = tail[:len(seg)]
                new = [x + feedback * y for x, y in zip(seg, fb)]
                out[start:start + len(seg)] = new
                tail = new + tail[len(seg):]
        self.buf = [x + wet * (y - x) for x, y in zip(dry, out)]

    def normalised(self, peak=0.88):
        top = max(1e-9, max(abs(v) for v in self.buf))
        return [v * peak / top for v in self.buf]


def envelope(n, attack, decay, sustain, release_start, release):
    """Per-sample gain: attack, decay to sustain, hold, release (in samples)."""
    a = max(1, attack)
    d = max(1, decay)
    r = max(1, release)
    env = [i / a for i in range(a)]
    env += [1 - (1 - sustain) * i / d for i in range(d)]
    env += [sustain] * max(0, n - len(env))
    env = env[:n]
    if release_start < n:
        level = env[release_start]
        env[release_start:] = [level * (1 - i / r) for i in range(min(r, n - release_start))]
        env += [0.0] * (n - len(env))
    return env


_oscillators = {}


def _oscillator(inc, wave_table, n, vibrato):
    """Raw waveform samples; notes of one pitch share one rendering."""
    key = (inc, id(wave_table), vibrato)
    have = _oscillators.get(key)
    if have is None or len(have) < n:
        if vibrato:
            onset = int(RATE * 0.15)
            lfo = 2 * math.pi * 5.5 / RATE
            steps = [inc] * min(n, onset) + [inc * (1 + vibrato * math.sin(lfo * i))
                                              for i in range(onset, n)]
            have = [wave_table[int(p) & MASK] for p in itertools.accumulate(steps)]
        else:
            have = [wave_table[int(i * inc) & MASK] for i in range(n)]
        _oscillators[key] = have
    return have[:n]


def tone(freq, seconds, wave_table=SINE, attack=0.01, decay=0.1, sustain=0.7, release=0.2,
         vibrato=0.0, glide_to=None):
    """A note of `seconds` held length plus its release."""
    hold = int(seconds * RATE)
    rel = int(release * RATE)
    n = hold + rel
    inc = freq * TABLE_SIZE / RATE
    if glide_to:
        end_inc = glide_to * TABLE_SIZE / RATE
        steps = [inc + (end_inc - inc) * min(1.0, i / max(1, hold)) for i in range(n)]
        samples = [wave_table[int(p) & MASK] for p in itertools.accumulate(steps)]
    else:
        samples = _oscillator(inc, wave_table, n, vibrato)
    env = envelope(n, int(attack * RATE), int(decay * RATE), sustain, hold, rel)
    return [s * e for s, e in zip(samples, env)]


@functools.lru_cache(maxsize=None)
def _decay(n, rate):
    step = math.exp(-rate / n)
    out, g = [], 1.0
    for _ in range(n):
        out.append(g)
        g *= step
    return out


def bell(freq, seconds=0.8, bright=1.0):
    """A struck bell: bright partials that die away faster than the body."""
    n = int(seconds * RATE)
    inc1 = freq * TABLE_SIZE / RATE
    inc2 = inc1 * 2.76
    slow, fast = _decay(n, 4.0), _decay(n, 11.0)
    shine = 0.35 * bright
    attack = int(0.004 * RATE)
    out = [SINE[int(i * inc1) & MASK] * s + SINE[int(i * inc2) & MASK] * f * shine
           for i, (s, f) in enumerate(zip(slow, fast))]
    for i in range(min(attack, n)):
        out[i] *= i / attack
    return out


def noise_burst(seconds, seed, decay=30.0, tone_cut=0.5):
    """Filtered white noise with an exponential fall (hats, snares, whooshes)."""
    rnd = random.Random(seed)
    n = int(seconds * RATE)
    out, low = [], 0.0
    for i in range(n):
        white = rnd.uniform(-1, 1)
        low += tone_cut * (white - low)
        out.append(low * math.exp(-decay * i / RATE))
    return out


def kick(seconds=0.25):
    n = int(seconds * RATE)
    phase, out = 0.0, []
    for i in range(n):
        f = 45 + 90 * math.exp(-i / (0.03 * RATE))
        phase += 2 * math.pi * f / RATE
        out.append(math.sin(phase) * math.exp(-i / (0.09 * RATE)))
    return out


def write_wav(path, samples):
    data = array.array("h", (max(-32767, min(32767, int(round(v * 32767)))) for v in samples))
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(data.tobytes() if struct.pack("=h", 1) == struct.pack("<h", 1)
                      else _swapped(data))


def _swapped(data):
    data.byteswap()
    return data.tobytes()
