#!/usr/bin/env python3
"""Writes menu.wav, the background sound of menu mode: a soft pad of a few sine partials under a
slow swell, 16-bit stereo at 22,050 Hz. Every partial makes whole cycles over the loop and the
swell returns to where it began, so the sound loops without a click.

usage: res/make_menu_wav.py [OUT]   (default: menu.wav beside this script)
"""
import math
import os
import struct
import sys

RATE = 22050
SECONDS = 8
FRAMES = RATE * SECONDS
# A major-seventh chord on F (Hz), each with its level and stereo place (-1 left .. 1 right).
PARTIALS = [(174.61, 0.30, -0.3), (220.00, 0.22, 0.3), (261.63, 0.18, -0.1),
            (329.63, 0.12, 0.2), (349.23, 0.08, 0.0)]
LEVEL = 0.22  # soft: the voice speaks over it


def whole_cycles(freq):
    """The frequency nearest FREQ that fits a whole number of cycles into the loop."""
    return round(freq * SECONDS) / SECONDS


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__),
                                                             "menu.wav")
    partials = [(whole_cycles(f), a, p) for f, a, p in PARTIALS]
    data = bytearray()
    for n in range(FRAMES):
        t = n / RATE
        # Two swells per loop, a slow shimmer on the upper partials.
        swell = 0.75 + 0.25 * math.sin(2 * math.pi * 2 * t / SECONDS)
        left = right = 0.0
        for i, (f, a, p) in enumerate(partials):
            shimmer = 1.0 + 0.15 * math.sin(2 * math.pi * (i + 1) * t / SECONDS)
            v = a * shimmer * math.sin(2 * math.pi * f * t)
            left += v * (1 - p) / 2
            right += v * (1 + p) / 2
        for v in (left, right):
            s = max(-1.0, min(1.0, v * swell * LEVEL * 2))
            data += struct.pack("<h", int(round(s * 32767)))
    header = b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVE"
    header += b"fmt " + struct.pack("<IHHIIHH", 16, 1, 2, RATE, RATE * 4, 4, 16)
    header += b"data" + struct.pack("<I", len(data))
    with open(out, "wb") as f:
        f.write(header + bytes(data))


if __name__ == "__main__":
    main()
