#!/usr/bin/env python3
"""Writes a zip of every file under a folder, the same bytes for the same files.

Usage: make_zip.py OUT.zip FOLDER

Entries in sorted order of their paths, all dated 1980-01-01 00:00, with the
same attributes; .cmd and .txt files get Windows line ends (CR LF).
"""
import os
import sys
import zipfile

WINDOWS_TEXT = (".cmd", ".txt")


def files_under(folder):
    for root, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(root, name)
            yield os.path.relpath(path, folder).replace(os.sep, "/"), path


def content(name, path):
    with open(path, "rb") as f:
        data = f.read()
    if name.lower().endswith(WINDOWS_TEXT):
        data = data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
    return data


def main():
    out, folder = sys.argv[1], sys.argv[2]
    temporary = out + ".part"
    with zipfile.ZipFile(temporary, "w") as archive:
        for name, path in sorted(files_under(folder)):
            entry = zipfile.ZipInfo(name, date_time=(1980, 1, 1, 0, 0, 0))
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.create_system = 0  # MS-DOS attributes, as Windows writes them
            entry.external_attr = 0x20  # archive
            archive.writestr(entry, content(name, path), compresslevel=9)
    os.replace(temporary, out)


if __name__ == "__main__":
    main()
