#!/usr/bin/python3
"""Checks fontrev against fontTools: for every .ttf and .otf file under a folder, the number fontrev prints must
be the raw 32 bits of fontTools' head.fontRevision. Usage: agrees_with_fonttools.py FONTREV FOLDER"""
import pathlib
import subprocess
import sys

from fontTools.ttLib import TTFont


def fonttools_raw_revision(path):
    revision = TTFont(path, lazy=True)["head"].fontRevision
    return round(revision * 65536) & 0xFFFFFFFF


def main():
    fontrev, folder = sys.argv[1], pathlib.Path(sys.argv[2])
    fonts = sorted(p for p in folder.rglob("*") if p.suffix.lower() in (".ttf", ".otf") and p.is_file())
    if not fonts:
        sys.exit(f"agrees_with_fonttools: no .ttf or .otf under {folder}")
    printed = subprocess.run([fontrev, *map(str, fonts)], capture_output=True, text=True).stdout.splitlines()
    mismatches = 0
    for font, line in zip(fonts, printed):
        signed, hex_bits = line.rsplit(": ", 1)[1].split()[:2]
        expected = fonttools_raw_revision(font)
        if int(hex_bits, 16) != expected or int(signed) & 0xFFFFFFFF != expected:
            print(f"MISMATCH {font}: fontrev {hex_bits}, fontTools 0x{expected:08X}")
            mismatches += 1
    if len(printed) != len(fonts):
        sys.exit(f"agrees_with_fonttools: {len(fonts)} fonts but {len(printed)} lines")
    print(f"agrees_with_fonttools: {len(fonts) - mismatches} of {len(fonts)} fonts agree")
    sys.exit(1 if mismatches else 0)


if __name__ == "__main__":
    main()
