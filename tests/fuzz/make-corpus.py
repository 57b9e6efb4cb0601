#!/usr/bin/env python3
"""Writes the fuzz target's seed corpus (tests/fuzz/corpus/): valid formats
and settings with a few real blocks of samples, in the step language that
LevelChainFuzz.cpp reads."""
import math
import os
import struct

RATES = [8000, 11025, 16000, 22050, 32000, 44100, 48000, 88200, 96000, 192000, 384000]
TYPES = {"u8": 0, "s16": 1, "s24": 2, "s32": 3, "f32": 4, "f64": 5}


def header(kind, channels, rate):
    return bytes([TYPES[kind], channels - 1]) + struct.pack("<H", RATES.index(rate) * 4 + 1)


def encode(kind, value):
    value = max(-1.0, min(1.0, value))
    if kind == "u8":
        return bytes([min(255, int(round(128 + value * 127)))])
    if kind == "s16":
        return struct.pack("<h", int(round(value * 32767)))
    if kind == "s24":
        return struct.pack("<i", int(round(value * 8388607)))[:3]
    if kind == "s32":
        return struct.pack("<i", int(round(value * 2147483647)))
    if kind == "f32":
        return struct.pack("<f", value)
    return struct.pack("<d", value)


def tone_block(kind, channels, rate, frames, repeat, hz=1000.0, level=0.5, specials=()):
    data = b"".join(encode(kind, level * math.sin(2 * math.pi * hz * f / rate + c))
                    for f in range(frames) for c in range(channels))
    for value in specials:  # raw float bit patterns: NaN, Inf, denormals
        data += struct.pack("<f" if kind == "f32" else "<d", value)
    return bytes([0, repeat - 1]) + struct.pack("<H", len(data)) + data


def gain(channel, db, ramp):
    return bytes([1, channel, db + 40, ramp])


def auto_gain(channel, threshold, db):
    return bytes([2, channel, -threshold, -db])


def notification(before, above, channel, threshold, duration):
    return bytes([3, before | above << 1, channel, -threshold, duration])


def spectrum_settings(bands_index, window, order):
    return bytes([4, bands_index, window, order - 10])


def spectrum(channel):
    return bytes([5, channel])


def new_format(kind, channels, rate):
    return bytes([6]) + header(kind, channels, rate)


FLUSH = bytes([7])

SEEDS = {
    "s16-stereo-48k": header("s16", 2, 48000) + spectrum_settings(3, 4, 10) + gain(0, -6, 1) +
    auto_gain(1, -10, -6) + notification(1, 1, 0, -30, 2) + tone_block("s16", 2, 48000, 256, 8) +
    spectrum(0) + spectrum(1) + FLUSH + tone_block("s16", 2, 48000, 128, 2) + spectrum(0),
    "f32-mono-44k-specials": header("f32", 1, 44100) + spectrum_settings(4, 2, 10) +
    tone_block("f32", 1, 44100, 512, 4, specials=(float("nan"), float("inf"), -float("inf"), 1e-40)) +
    spectrum(0),
    "s24-6ch-96k": header("s24", 6, 96000) + spectrum_settings(1, 0, 10) + gain(255, 12, 0) +
    tone_block("s24", 6, 96000, 100, 16, hz=3000.0, level=0.9) + spectrum(5),
    "u8-mono-8k": header("u8", 1, 8000) + notification(0, 0, 0, -50, 0) +
    tone_block("u8", 1, 8000, 400, 4, hz=200.0) + spectrum(0),
    "s16-to-f32-change": header("s16", 2, 48000) + tone_block("s16", 2, 48000, 256, 4) +
    new_format("f32", 1, 48000) + tone_block("f32", 1, 48000, 256, 8) + spectrum(0),
    "f64-stereo-192k": header("f64", 2, 192000) + spectrum_settings(2, 3, 10) + auto_gain(0, -20, -20) +
    tone_block("f64", 2, 192000, 128, 12, hz=10000.0, level=1.0) + spectrum(1) + FLUSH + spectrum(1),
    "s32-stereo-22k": header("s32", 2, 22050) + gain(1, 40, 0) +
    tone_block("s32", 2, 22050, 256, 6, hz=500.0, level=0.99) + spectrum(1),
}

if __name__ == "__main__":
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")
    os.makedirs(folder, exist_ok=True)
    for name, data in SEEDS.items():
        assert len(data) <= 4096, name
        with open(os.path.join(folder, name), "wb") as file:
            file.write(data)
