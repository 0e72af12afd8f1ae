#!/usr/bin/env python3
"""Generates resources/clip.wav: the confirmation tone, a soft two-partial chime.

RIFF/WAVE image of 1392 bytes: PCM, mono, 8 bit, 22255 samples per second, a fact chunk,
1335 samples (about 60 ms)."""
import math
import struct
import sys

RATE = 22255
SAMPLES = 1335


def tone():
    out = bytearray()
    for i in range(SAMPLES):
        t = i / RATE
        attack = min(1.0, i / 40.0)                 # no click at the start
        decay = math.exp(-t * 55.0)                 # a struck, fading bell
        release = min(1.0, (SAMPLES - i) / 60.0)    # no click at the end
        v = (0.62 * math.sin(2 * math.pi * 1318.5 * t) +
             0.28 * math.sin(2 * math.pi * 1975.5 * t) +
             0.10 * math.sin(2 * math.pi * 2637.0 * t))
        s = 128 + round(118 * v * attack * decay * release)
        out.append(max(0, min(255, s)))
    return bytes(out)


def wave(data):
    fmt = struct.pack('<HHIIHH', 1, 1, RATE, RATE, 1, 8)
    body = b'WAVE'
    body += b'fmt ' + struct.pack('<I', len(fmt)) + fmt
    body += b'fact' + struct.pack('<I', 4) + struct.pack('<I', SAMPLES)
    body += b'data' + struct.pack('<I', len(data)) + data
    if len(data) % 2:
        body += b'\x80'                             # chunks are word-aligned
    return b'RIFF' + struct.pack('<I', len(body)) + body


if __name__ == '__main__':
    image = wave(tone())
    assert len(image) == 1392, len(image)
    path = sys.argv[1] if len(sys.argv) > 1 else 'resources/clip.wav'
    with open(path, 'wb') as f:
        f.write(image)
