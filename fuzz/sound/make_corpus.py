#!/usr/bin/env python3
"""Writes the seed corpus of the sound fuzzer: small normal sounds, and the
sounds that once decoded without bound, made as small as they can be.
Needs oggenc and sox. Run from anywhere: python3 fuzz/sound/make_corpus.py"""
import math
import os
import struct
import subprocess
import tempfile

CORPUS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


def wave(rate, bits, channels, data, data_length=None):
    fmt = struct.pack("<HHIIHH", 1, channels, rate, rate * channels * bits // 8, channels * bits // 8, bits)
    length = len(data) if data_length is None else data_length
    body = b"WAVE" + b"fmt " + struct.pack("<I", 16) + fmt + b"data" + struct.pack("<I", length) + data
    return b"RIFF" + struct.pack("<I", len(body)) + body


def _crc_table():
    table = []
    for i in range(256):
        r = i << 24
        for _ in range(8):
            r = (r << 1) ^ 0x04C11DB7 if r & 0x80000000 else r << 1
        table.append(r & 0xFFFFFFFF)
    return table


CRC_TABLE = _crc_table()


def page(packets, granule, sequence, first=False, last=False):
    lacing = b""
    for p in packets:
        lacing += b"\xff" * (len(p) // 255) + bytes([len(p) % 255])
    header = struct.pack("<4sBBqIII", b"OggS", 0, (2 if first else 0) | (4 if last else 0), granule, 1, sequence, 0)
    data = bytearray(header + bytes([len(lacing)]) + lacing + b"".join(packets))
    crc = 0
    for byte in data:
        crc = ((crc << 8) & 0xFFFFFFFF) ^ CRC_TABLE[(crc >> 24) ^ byte]
    data[22:26] = struct.pack("<I", crc)
    return bytes(data)


def packets_of(ogg):
    packets, current, at = [], b"", 0
    while at < len(ogg):
        count = ogg[at + 26]
        lacing = ogg[at + 27:at + 27 + count]
        at += 27 + count
        for value in lacing:
            current += ogg[at:at + value]
            at += value
            if value < 255:
                packets.append(current)
                current = b""
    return packets


def encoded_silence():
    """The three headers and one long block of silence, from oggenc at 8 kHz."""
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "silence.ogg")
        subprocess.run(["oggenc", "-Q", "-r", "-R", "8000", "-C", "1", "-B", "16", "-q", "0", "-s", "1",
                        "-o", path, "-"], input=bytes(2 * 8000 * 2), check=True)
        packets = packets_of(open(path, "rb").read())
    long_block = 1 << (packets[0][28] >> 4)
    return packets[:3], packets[len(packets) // 2], long_block


def silent_ogg(rate, samples, claimed):
    """Silence at `rate` Hz, `samples` long in truth; the last page claims
    `claimed` samples. The rate is written into the headers, so that long
    durations need few packets."""
    headers, silence, long_block = encoded_silence()
    identification = headers[0][:12] + struct.pack("<I", rate) + headers[0][16:]
    count = 1 + -(-samples // (long_block // 2))
    out = page([identification], 0, 0, first=True) + page(headers[1:], 0, 1)
    per_page = min(255, -(-count // 2))  # two pages at least, so the last can claim
    for n, start in enumerate(range(0, count, per_page)):
        end = min(start + per_page, count)
        last = end == count
        granule = claimed if last else (end - 1) * (long_block // 2)
        out += page([silence] * (end - start), granule, 2 + n, last=last)
    return out


def sox(file_options, effects, ogg=False):
    """A sound synthesised by sox, as a WAVE file or encoded to Ogg Vorbis."""
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "sound.wav")
        subprocess.run(["sox", "-n", *file_options, path, *effects], check=True, stderr=subprocess.DEVNULL)
        if ogg:
            subprocess.run(["oggenc", "-Q", "-q", "0", "-s", "1", "-o", path + ".ogg", path], check=True)
            path += ".ogg"
        return open(path, "rb").read()


def main():
    os.makedirs(CORPUS, exist_ok=True)
    blip = b"".join(struct.pack("<h", int(12000 * math.sin(i / 3) * math.exp(-i / 200))) for i in range(800))
    files = {
        # Six hours of 8 kHz silence by its length, short in truth.
        "six_hours_8khz.ogg": silent_ogg(8000, 8000, 6 * 3600 * 8000),
        # Six hours of silence in truth, at 10 Hz.
        "six_hours_10hz.ogg": silent_ogg(10, 6 * 3600 * 10, 6 * 3600 * 10),
        # Eleven minutes of silence claiming one second.
        "eleven_minutes_claims_a_second.ogg": silent_ogg(100, 11 * 60 * 100, 100),
        "tone_22khz_stereo.ogg": sox(["-r", "22050", "-c", "2", "-b", "16"], ["synth", "0.2", "sine", "440", "sine", "660"], ogg=True),
        # 1 Hz 8-bit mono: three thousand samples become 35 hours at 44.1 kHz.
        "one_hz_8bit_mono.wav": wave(1, 8, 1, b"\x80" * 3000),
        # A short jump-like blip whose rate is 1 Hz.
        "blip_at_1_hz.wav": wave(1, 16, 1, blip),
        "blip.wav": wave(44100, 16, 1, blip),
        # The data length claims 4 GB.
        "lying_data_length.wav": wave(44100, 16, 2, bytes(40), 0xFFFFFFFF),
        "adpcm_11khz_stereo.wav": sox(["-r", "11025", "-c", "2", "-e", "ima-adpcm"], ["synth", "0.1", "sine", "500"]),
    }
    for name, data in files.items():
        with open(os.path.join(CORPUS, name), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main()
