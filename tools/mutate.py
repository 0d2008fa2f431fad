#!/usr/bin/env python3
"""Plants faults in a copy of the project one at a time and tells which ones the tests catch.

    tools/mutate.py [--faults FILE] [--only TEXT] [--keep DIR] [--with-e2e] [--jobs N]

Each fault of the list (tools/mutations.txt unless --faults names another) replaces
one piece of text in one file with another. The copy is made from the files git
tracks, built once, and then, for each fault in turn: the text is replaced, the
build brought up to date, the tests run until the first failure, and the file put
back. A fault is caught when the build or any test fails. The end-to-end test is
left out unless --with-e2e is given (it takes a minute a run), and so is the
Debian package's check.

The list holds one fault a line, four fields separated by " | ":
    FILE | TEXT | REPLACEMENT | what the fault is
TEXT must stand exactly once in FILE. "<NL>" in TEXT or REPLACEMENT stands for a line
end. Lines that are empty or start with '#' are skipped.

A developer's tool, not part of CI: a full run takes about an hour on two cores.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def read_faults(path):
    faults = []
    with open(path, encoding="utf-8") as lines:
        for number, line in enumerate(lines, 1):
            line = line.rstrip("\n")
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            fields = line.split(" | ")
            if len(fields) != 4:
                sys.exit(f"{path}:{number}: expected FILE | TEXT | REPLACEMENT | description")
            file, text, replacement, what = (f.strip() if i in (0, 3) else f for i, f in enumerate(fields))
            faults.append({"line": number, "file": file, "text": text.replace("<NL>", "\n"),
                           "replacement": replacement.replace("<NL>", "\n"), "what": what})
    return faults


def run(command, cwd, log):
    with open(log, "a", encoding="utf-8") as out:
        out.write(f"\n$ {' '.join(command)}\n")
        out.flush()
        return subprocess.run(command, cwd=cwd, stdout=out, stderr=subprocess.STDOUT).returncode


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--faults", default=os.path.join(ROOT, "tools", "mutations.txt"))
    parser.add_argument("--only", help="run only the faults whose file or description contains this text")
    parser.add_argument("--keep", help="build the copy in this directory and keep it")
    parser.add_argument("--with-e2e", action="store_true", help="also run the end-to-end test")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--check", action="store_true", help="only check that every fault stands once")
    args = parser.parse_args()

    faults = read_faults(args.faults)
    if args.only:
        faults = [f for f in faults if args.only in f["file"] or args.only in f["what"]]
    work = args.keep or tempfile.mkdtemp(prefix="talan-mutate.")
    copy, build, log = os.path.join(work, "src"), os.path.join(work, "build"), os.path.join(work, "log.txt")

    # Every fault must stand exactly once where it says, before anything is built.
    for fault in faults:
        with open(os.path.join(ROOT, fault["file"]), encoding="utf-8") as source:
            found = source.read().count(fault["text"])
        if found != 1:
            sys.exit(f"{args.faults}:{fault['line']}: the text stands {found} times in {fault['file']}")

    if args.check:
        print(f"{len(faults)} faults, each standing once")
        return 0

    files = subprocess.run(["git", "ls-files", "-z"], cwd=ROOT, check=True, capture_output=True).stdout
    for name in filter(None, files.decode().split("\0")):
        target = os.path.join(copy, name)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copy2(os.path.join(ROOT, name), target)
    print(f"copy and build in {work} (log: {log})", flush=True)
    if run(["cmake", "-S", copy, "-B", build, "-DTALAN_BUILD_BENCH=OFF", "-DCMAKE_BUILD_TYPE=RelWithDebInfo"],
           work, log) or run(["cmake", "--build", build, f"-j{args.jobs}"], work, log):
        sys.exit("the unchanged copy does not build; see the log")
    # The package check makes and lints the Debian package (half a minute a run) and
    # plants nothing of its own: the manual page's faults are the unit tests'.
    exclude = ["-E", "package_check"] if args.with_e2e else ["-E", "viewer_e2e|package_check"]
    test = ["ctest", "--test-dir", build, f"-j{args.jobs}", "--stop-on-failure", "--timeout", "600"] + exclude
    if run(test, work, log):
        sys.exit("the unchanged copy fails its tests; see the log")

    caught = 0
    for index, fault in enumerate(faults, 1):
        path = os.path.join(copy, fault["file"])
        with open(path, encoding="utf-8") as source:
            original = source.read()
        started = time.monotonic()
        with open(path, "w", encoding="utf-8") as source:
            source.write(original.replace(fault["text"], fault["replacement"], 1))
        failed = run(["cmake", "--build", build, f"-j{args.jobs}"], work, log) != 0 or run(test, work, log) != 0
        with open(path, "w", encoding="utf-8") as source:
            source.write(original)
        caught += failed
        print(f"[{index}/{len(faults)}] {'caught' if failed else 'MISSED'} ({time.monotonic() - started:.0f} s) "
              f"{fault['file']}: {fault['what']}", flush=True)

    share = 100.0 * caught / len(faults) if faults else 100.0
    print(f"\n{caught} of {len(faults)} faults caught ({share:.1f} %)")
    if not args.keep:
        shutil.rmtree(work, ignore_errors=True)
    return 0 if share >= 95.0 else 1


if __name__ == "__main__":
    sys.exit(main())
