#!/usr/bin/env python3
"""Writes a pink-noise WAV file, the same bytes on every run.

Usage: make_pink_noise.py FILE SECONDS

Stereo, 48 kHz, 16-bit. White noise from a seeded generator, shaped to a
3 dB-per-octave fall by a sum of three one-pole low-passes (Paul Kellet's
economy filter); peaks at 0.3 of full scale.
"""
import array
import random
import sys
import wave

RATE = 48000
CHANNELS = 2
PEAK = 0.3
POLES = ((0.99765, 0.0990460), (0.96300, 0.2965164), (0.57000, 1.0526913))
DIRECT = 0.1848


def pink(generator, count):
    state = [0.0] * len(POLES)
    for _ in range(count):
        white = generator.uniform(-1.0, 1.0)
        for i, (pole, weight) in enumerate(POLES):
            state[i] = pole * state[i] + weight * white
        yield sum(state) + DIRECT * white


def main():
    path, seconds = sys.argv[1], float(sys.argv[2])
    frames = int(RATE * seconds)
    generator = random.Random(1)
    channels = [list(pink(generator, frames)) for _ in range(CHANNELS)]
    scale = PEAK * 32767 / max(abs(x) for channel in channels for x in channel)
    samples = array.array("h", (round(channel[i] * scale) for i in range(frames) for channel in channels))
    if sys.byteorder == "big":
        samples.byteswap()
    with wave.open(path, "wb") as out:
        out.setnchannels(CHANNELS)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(samples.tobytes())


if __name__ == "__main__":
    main()
