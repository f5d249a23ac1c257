#!/usr/bin/python3
"""Makes the font fixtures of the Wine suites from a real TrueType font on this machine.

Each fixture is a copy of the font renamed to a face no system font has, carrying a chosen revision:
    OUTDIR/<revision>/tarvelon-probe.ttf   for the revisions 1.0, 2.0 and 0x80000000 (raw)
Usage: make_fixtures.py OUTDIR [SOURCE_FONT]
"""
import pathlib
import sys

from fontTools.ttLib import TTFont

FACE = "Tarvelon Probe Sans"
FILE_NAME = "tarvelon-probe.ttf"
REVISIONS = {"1.0": 0x00010000, "2.0": 0x00020000, "negative": 0x80000000}
CANDIDATES = [
    "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
]


def signed_fixed(raw):
    """The 16.16 number whose 32 bits are `raw`, as fontTools stores head.fontRevision."""
    value = raw - (1 << 32) if raw & 0x80000000 else raw
    return value / 65536.0


def renamed(source, raw_revision):
    font = TTFont(source)
    names = font["name"]
    for record in list(names.names):
        if record.nameID in (1, 16):
            record.string = FACE
        elif record.nameID == 4:
            record.string = FACE
        elif record.nameID == 6:
            record.string = FACE.replace(" ", "")
        elif record.nameID == 3:
            record.string = FACE + " fixture"
    font["head"].fontRevision = signed_fixed(raw_revision)
    return font


def main():
    out = pathlib.Path(sys.argv[1])
    source = sys.argv[2] if len(sys.argv) > 2 else next(p for p in CANDIDATES if pathlib.Path(p).exists())
    for label, raw in REVISIONS.items():
        folder = out / label
        folder.mkdir(parents=True, exist_ok=True)
        renamed(source, raw).save(folder / FILE_NAME)
        check = TTFont(folder / FILE_NAME)["head"].fontRevision
        if round(check * 65536) & 0xFFFFFFFF != raw:
            sys.exit(f"make_fixtures: {label} came out as {check}")
    print(f"make_fixtures: {len(REVISIONS)} fixtures of '{FACE}' from {source} in {out}")


if __name__ == "__main__":
    main()
