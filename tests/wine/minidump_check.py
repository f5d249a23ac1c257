#!/usr/bin/python3
"""Minidumps of a real fault under Wine, read back with winedump (an independent reader).

Usage: minidump_check.py SCENARIO BIN_DIR WORK_DIR
  module_writes     no Report.exe beside the host: the module writes the dump itself
  reporter_writes   the real Report.exe beside the host: the reporter writes it, the module writes nothing
  reporter_refuses  a Report.exe that answers 0: the module writes the dump itself
In every scenario the host runs with a current directory that holds a planted Report.exe and DBGHELP.DLL, which
leave marker files if they are ever started or loaded.
Environment: SETUPAID_WINE_RUN (cmake/wine-run.sh) and SETUPAID_WINEPREFIX.
"""
import os
import re
import shutil
import subprocess
import sys

from wine_checks import dump_exception, windows_path, winedump

ACCESS_VIOLATION = 0xC0000005


def fail(message):
    print(f"FAIL: {message}")
    sys.exit(1)


def prepare(scenario, bin_dir, work):
    shutil.rmtree(work, ignore_errors=True)
    app, cwd, out = (os.path.join(work, name) for name in ("app", "cwd", "out"))
    for folder in (app, cwd, out):
        os.makedirs(folder)
    shutil.copy(os.path.join(bin_dir, "dump_host.exe"), app)
    if scenario == "reporter_writes":
        shutil.copy(os.path.join(bin_dir, "Report.exe"), os.path.join(app, "Report.exe"))
    elif scenario == "reporter_refuses":
        shutil.copy(os.path.join(bin_dir, "refusing_reporter.exe"), os.path.join(app, "Report.exe"))
    shutil.copy(os.path.join(bin_dir, "planted_report.exe"), os.path.join(cwd, "Report.exe"))
    shutil.copy(os.path.join(bin_dir, "planted_dbghelp.dll"), os.path.join(cwd, "DBGHELP.DLL"))
    return app, cwd, out


def run_host(app, cwd, out):
    run = os.environ["SETUPAID_WINE_RUN"]
    command = [run, windows_path(os.path.join(app, "dump_host.exe")), windows_path(out) + "\\"]
    done = subprocess.run(command, cwd=cwd, capture_output=True, text=True, timeout=240)
    facts = {}
    for line in done.stdout.replace("\r", "").splitlines():
        key, _, value = line.partition(" ")
        facts[key] = value
    print(done.stdout.replace("\r", ""))
    if done.returncode != 0 or facts.get("result") != "1":
        fail(f"the host reported no dump (exit {done.returncode}): {done.stdout!r} {done.stderr[-500:]!r}")
    return facts


def read_dump(path):
    text, _ = winedump(path)
    threads = [int(m) for m in re.findall(r"^Thread: #\d+\s*\n\s*ThreadId: (\d+)", text, re.M)]
    if not threads:
        fail(f"winedump found no thread list in {path}")
    return threads, dump_exception(text)


def main(argv):
    if len(argv) != 4:
        print(__doc__)
        return 2
    scenario, bin_dir, work = argv[1:]
    app, cwd, out = prepare(scenario, bin_dir, work)
    facts = run_host(app, cwd, out)

    dumps = [name for name in os.listdir(out) if name.endswith(".dmp")]
    if len(dumps) != 1:
        fail(f"expected exactly one dump in the location, found {dumps}")
    if facts["path"] != windows_path(os.path.join(out, dumps[0])):
        fail(f"the dump is not where the module named it: {facts['path']}")
    threads, exception = read_dump(os.path.join(out, dumps[0]))
    faulting = int(facts["faulting-thread"])
    workers = [int(t) for t in facts["new-threads"].split()]
    print(f"dump threads {threads}, exception {exception}, workers {workers}")

    if exception is None:
        fail("the dump has no exception stream")
    if exception != (faulting, ACCESS_VIOLATION):
        fail(f"exception stream {exception}, expected thread {faulting} and code 0xC0000005")
    if faulting not in threads:
        fail("the faulting thread is missing from the thread list")
    if not workers:
        fail("no dump worker thread was seen")
    if any(worker in threads for worker in workers):
        fail(f"the dump worker is in the dump: {workers} in {threads}")

    expected_calls = "0" if scenario == "reporter_writes" else "1"
    if facts["module-dump-calls"] != expected_calls:
        fail(f"the module called MiniDumpWriteDump {facts['module-dump-calls']} times, expected {expected_calls}")
    if scenario == "reporter_refuses":
        marker = os.path.join(cwd, "reporter-refused")
        if not os.path.exists(marker):
            fail("the refusing reporter did not run")
        if not open(marker).read().rstrip().endswith("Report -d"):
            fail(f"the reporter's command line was not 'Report -d': {open(marker).read()!r}")
    for planted in ("planted-report-ran", "planted-dbghelp-loaded"):
        if os.path.exists(os.path.join(cwd, planted)):
            fail(f"a binary planted in the current directory was used: {planted}")
    print(f"PASS {scenario}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
