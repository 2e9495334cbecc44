#!/usr/bin/env python3
"""Writes the frame-path fuzzer's seeds to corpus/frame-path: one file per gesture.

An input is a run of steps. A step is a time step in milliseconds (one byte, below 255), a contact
count (signed byte) and per contact an id and a state (bytes) and x, y (little-endian floats);
the byte 255 instead starts a configuration: zoom mode, gain, zoom start, pinch ratio, enabled.
"""
import math
import pathlib
import struct


def frame(ms, contacts, count=None):
    out = struct.pack("<Bb", ms, len(contacts) if count is None else count)
    for ident, state, x, y in contacts:
        out += struct.pack("<BBff", ident, state, x, y)
    return out


def config(keyboard, gain, start, ratio, enabled):
    return struct.pack("<BBdddB", 255, keyboard, gain, start, ratio, enabled)


def spread(ids, centre, radius, state):
    n = len(ids)
    return [(i, state, centre + radius * math.cos(2 * math.pi * k / n),
             0.5 + radius * math.sin(2 * math.pi * k / n)) for k, i in enumerate(ids)]


def moving(ids, radii, ms=11):
    steps = [frame(ms, spread(ids, 0.5, radii[0], 4))]
    steps += [frame(ms, spread(ids, 0.5, r, 5)) for r in radii[1:]]
    return b"".join(steps) + frame(ms, [])


seeds = {
    "tap": frame(10, [(1, 4, 0.5, 0.5)]) + frame(11, [(1, 5, 0.5, 0.5)]) + frame(60, []),
    "double-tap": (frame(10, [(1, 4, 0.5, 0.5)]) + frame(60, [])) * 2,
    "three-finger-tap": moving([1, 2, 3], [0.2, 0.2, 0.2]),
    "pinch": moving([1, 2, 3], [0.3 - 0.02 * k for k in range(12)]),
    "zoom-native": moving([1, 2], [0.1 + 0.02 * k for k in range(12)]),
    "zoom-keyboard": config(1, 1.6, 4.0, 0.84, 1) + moving([1, 2], [0.3 - 0.02 * k for k in range(12)]),
    "glitch": frame(10, [(1, 4, 0.5, 0.5)]) + frame(11, [(1, 4, math.nan, math.inf)]) + frame(11, []),
    # More contacts than a surface reports: the fuzzer reads 16 records and delivers 16.
    "crowded": frame(10, [(k % 8, 4, k / 16, 0.5) for k in range(16)], count=20) + frame(10, []),
}
folder = pathlib.Path(__file__).parent / "corpus" / "frame-path"
folder.mkdir(parents=True, exist_ok=True)
for name, data in seeds.items():
    (folder / name).write_bytes(data)
