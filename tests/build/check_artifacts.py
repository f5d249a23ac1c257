#!/usr/bin/python3
"""Checks the Windows artifacts of one build without running them.

  check_artifacts.py exports DLL            the export table: exactly the seven names, ordinals 1 to 7
  check_artifacts.py stdcall-sizes IMPLIB NM
                                            i686: each export's argument byte count in the import library
  check_artifacts.py self-contained MACHINE FILE...
                                            each file is for MACHINE (i386 or amd64) and imports system DLLs only
  check_artifacts.py version-info DLL       the module's VERSIONINFO names the product and the file
"""
import subprocess
import sys

import pefile

EXPORTS = [  # (ordinal, name, argument bytes on i686)
    (1, "UpdateFont", 16),
    (2, "IsAfter", 12),
    (3, "GetActiveCP", 0),
    (4, "GetFileDescription", 4),
    (5, "ForceIconCacheRebuild", 0),
    (6, "CheckShortCutAndUpdateIfNecessary", 16),
    (7, "RuveEntry", 12),
]

# DLLs every Windows installation has; anything else would have to be shipped beside our binaries.
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll", "oleaut32.dll",
    "version.dll", "msvcrt.dll", "ntdll.dll", "dbghelp.dll", "shlwapi.dll", "comctl32.dll",
    "api-ms-win-crt-runtime-l1-1-0.dll",
}


def fail(message):
    print(f"FAIL: {message}")
    sys.exit(1)


def check_exports(dll):
    pe = pefile.PE(dll)
    found = sorted((sym.ordinal, sym.name.decode() if sym.name else None)
                   for sym in pe.DIRECTORY_ENTRY_EXPORT.symbols)
    wanted = [(ordinal, name) for ordinal, name, _ in EXPORTS]
    if found != wanted:
        fail(f"{dll}: exports {found}, expected {wanted}")
    print(f"ok: {dll} exports exactly {len(wanted)} names at ordinals 1-7")


def check_stdcall_sizes(implib, nm):
    symbols = subprocess.run([nm, implib], check=True, capture_output=True, text=True).stdout
    defined = {line.split()[-1] for line in symbols.splitlines() if " T " in line}
    for _, name, size in EXPORTS:
        if f"_{name}@{size}" not in defined:
            fail(f"{implib}: no _{name}@{size}; text symbols: {sorted(defined)}")
    print("ok: argument bytes " + ", ".join(f"{name} {size}" for _, name, size in EXPORTS))


def check_self_contained(machine, files):
    wanted = {"i386": 0x14C, "amd64": 0x8664}[machine]
    for path in files:
        pe = pefile.PE(path)
        if pe.FILE_HEADER.Machine != wanted:
            fail(f"{path}: machine {pe.FILE_HEADER.Machine:#x}, expected {wanted:#x}")
        imports = {entry.dll.decode().lower() for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])}
        foreign = sorted(imports - SYSTEM_DLLS)
        if foreign:
            fail(f"{path}: imports {foreign}, which Windows does not provide")
        print(f"ok: {path} is {machine} and imports only {sorted(imports)}")


def check_version_info(dll):
    pe = pefile.PE(dll)
    strings = {}
    for info in getattr(pe, "FileInfo", []):
        for entry in info:
            for table in getattr(entry, "StringTable", []):
                strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
    for key in ("FileDescription", "ProductName", "FileVersion", "OriginalFilename"):
        if not strings.get(key):
            fail(f"{dll}: VERSIONINFO lacks {key}; has {strings}")
    if strings["OriginalFilename"] != "setupaid.dll":
        fail(f"{dll}: OriginalFilename {strings['OriginalFilename']!r}")
    print(f"ok: {dll} describes itself as {strings['FileDescription']!r} {strings['FileVersion']}")


def main(argv):
    if len(argv) < 3:
        print(__doc__)
        return 2
    command = argv[1]
    if command == "exports":
        check_exports(argv[2])
    elif command == "stdcall-sizes":
        check_stdcall_sizes(argv[2], argv[3])
    elif command == "self-contained":
        check_self_contained(argv[2], argv[3:])
    elif command == "version-info":
        check_version_info(argv[2])
    else:
        print(__doc__)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
