#!/usr/bin/env python3
"""Sets the creation and modification times of an MP4 file to zero.

Usage: fix_mp4_times.py FILE

The muxer writes the current time into the movie, track and media headers
(mvhd, tkhd, mdhd); with them at zero the same pipeline gives the same bytes
on every run.
"""
import struct
import sys

CONTAINERS = {b"moov", b"trak", b"mdia"}
TIMED = {b"mvhd", b"tkhd", b"mdhd"}


def boxes(data, start, end):
    """(type, offset of the body, end) of each box between start and end."""
    while start + 8 <= end:
        size, kind = struct.unpack_from(">I4s", data, start)
        body = start + 8
        if size == 1:
            size = struct.unpack_from(">Q", data, body)[0]
            body += 8
        elif size == 0:
            size = end - start
        if size < body - start or start + size > end:
            raise ValueError("bad box %r at %d" % (kind, start))
        yield kind, body, start + size
        start += size


def clear_times(data, start, end):
    count = 0
    for kind, body, box_end in boxes(data, start, end):
        if kind in CONTAINERS:
            count += clear_times(data, body, box_end)
        elif kind in TIMED:
            width = 8 if data[body] == 1 else 4  # version 1: 64-bit times
            data[body + 4:body + 4 + 2 * width] = bytes(2 * width)
            count += 1
    return count


def main():
    path = sys.argv[1]
    with open(path, "rb") as f:
        data = bytearray(f.read())
    if clear_times(data, 0, len(data)) == 0:
        sys.exit("%s: no movie header found" % path)
    with open(path, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
