"""What the Wine suites' Python drivers share: Windows paths for files on the Linux side, and a minidump's
exception as winedump (Debian wine64-tools, an independent reader) reports it."""
import os
import re
import subprocess

_EXCEPTION = re.compile(r"^Stream \[\d+\]: Exception:\s*\n\s*ThreadId: (0x[0-9a-fA-F]+).*?ExceptionCode: "
                        r"(0x[0-9a-fA-F]+)", re.M | re.S)


def windows_path(path):
    """The path Wine programs see for a Linux path (the Linux root is drive Z:)."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def winedump(path):
    """winedump's listing of a minidump, and whether it could read it."""
    result = subprocess.run(["winedump", "dump", path], capture_output=True, text=True, timeout=120)
    return result.stdout, result.returncode == 0 and "Stream" in result.stdout


def dump_exception(listing):
    """(thread id, exception code) of the exception stream in winedump's listing, or None when it has none."""
    found = _EXCEPTION.search(listing)
    return found and (int(found.group(1), 16), int(found.group(2), 16))
