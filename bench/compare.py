# SPDX-License-Identifier: MIT
"""Whole-process comparison of tolvane-cli with the tools a user would measure it against.

Builds a synthetic tree of N files (a mix of texts, HTML pages, images, MP3s, zips, plain
binaries and a few large sparse files, 25 files a folder), then runs each group of measurements
in alternating order (reversed every other round) for several rounds and prints, for every one,
its median time and its ratio to the baseline of the same round as min / median / max:

  on the synthetic tree, and on a system tree (/usr unless --usr names another or --no-usr):
    find -printf '%p %s %T@\n'             baseline of the scans
    floor_walk DIR                         the floor of a describing scan (bench/floor_walk.cpp:
                                           the walk and 4 KiB of every described file)
    tolvane-cli add (defaults)             / find and / the floor
    tolvane-cli add --threads 1            / the floor; --threads 2 / --threads 1
    tolvane-cli add --no-descriptions      / find (with and without --no-archives)
  on the synthetic tree's catalog:
    cat CATALOG                            baseline of info, check and find
    tolvane-cli info, check, find rare     / cat; find rare and common also / grep -c -i
    plocate -i -c common (when installed)  against tolvane-cli find common
    peak resident memory of info and check / the catalog's size (and info's less that of info
                                           on an empty catalog: the loaded catalog's own)

The machine's load (/proc/loadavg) is printed before and after every group, since on a shared
machine the ratios depend on it. Caches are warm: each command runs once before the rounds.
With --out FILE the same report is also written to FILE, headed by the command, the date, the
build's commit and the machine. Usage:
  bench/compare.py --cli build/compare/tolvane-cli [--floor build/compare/bench/floor_walk]
                   [--files N] [--rounds R] [--work DIR] [--usr DIR | --no-usr] [--out FILE]
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import time
import zipfile

HTML = b"<html><head><title>Page %d</title></head><body>text</body></html>\n"
# A 1x1 GIF: enough for the image reader to describe it.
GIF = bytes.fromhex("47494638396101000100800000000000ffffff21f90401000000002c00000000010001000002024401003b")
MP3 = b"ID3\x03\x00\x00\x00\x00\x00\x15TIT2\x00\x00\x00\x0b\x00\x00\x00Song title" + b"\xff\xfb\x90\x00" * 64


def make_tree(root, files):
    """Writes the synthetic tree once; a tree of the same size already there is kept."""
    stamp = os.path.join(root, ".files")
    if os.path.exists(stamp) and open(stamp).read() == str(files):
        return
    shutil.rmtree(root, ignore_errors=True)
    os.makedirs(root)
    zbuf = os.path.join(root, "..", "proto.zip")
    with zipfile.ZipFile(zbuf, "w") as z:
        for i in range(12):
            z.writestr("dir/file%d.txt" % i, "entry %d\n" % i)
    zbytes = open(zbuf, "rb").read()
    per_folder = 25
    for i in range(files):
        if i % per_folder == 0:
            folder = os.path.join(root, "d%03d" % (i // 10000), "f%05d" % (i // per_folder))
            os.makedirs(folder, exist_ok=True)
        kind = i % 10
        name = os.path.join(folder, "n%07d" % i)
        if kind in (0, 1):
            open(name + ".txt", "wb").write(b"Line one of file %d\nline two\n" % i)
        elif kind == 2:
            open(name + ".htm", "wb").write(HTML % i)
        elif kind == 3:
            open(name + ".gif", "wb").write(GIF)
        elif kind == 4:
            open(name + ".mp3", "wb").write(MP3)
        elif kind == 5 and i % 100 == 5:
            open(name + ".zip", "wb").write(zbytes)
        elif kind == 6 and i % 20000 == 6:
            with open(name + ".iso", "wb") as f:  # large and sparse
                f.truncate(1 << 30)
        else:
            open(name + ".bin", "wb").write(b"\0" * (i % 300))
    open(stamp, "w").write(str(files))


PEAK_RSS = {}  # command name -> the largest peak resident set seen, in bytes


def timed(cmd, out=subprocess.DEVNULL):
    start = time.perf_counter()
    proc = subprocess.Popen(cmd, stdout=out, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(proc.pid, 0)
    elapsed = time.perf_counter() - start
    if status != 0:
        raise subprocess.CalledProcessError(status, cmd)
    key = " ".join(cmd[:2])
    PEAK_RSS[key] = max(PEAK_RSS.get(key, 0), usage.ru_maxrss * 1024)
    return elapsed


def load_text():
    with open("/proc/loadavg") as f:
        parts = f.read().split()
    return "load %s %s %s (1, 5, 15 min) on %d CPUs" % (parts[0], parts[1], parts[2],
                                                        os.cpu_count() or 1)


class Report:
    """Lines printed as they come and kept for --out."""

    def __init__(self):
        self.lines = []

    def __call__(self, text=""):
        print(text, flush=True)
        self.lines.append(text)


def run_rounds(group, rounds, say, name):
    """Runs every command of `group` once to warm up, then `rounds` alternating rounds; returns
    the times by key."""
    results = {k: [] for k in group}
    for fn in group.values():
        fn()
    say("%s: %s before" % (name, load_text()))
    for r in range(rounds):
        keys = list(group)
        if r % 2:
            keys.reverse()
        for k in keys:
            results[k].append(group[k]())
    say("%s: %s after %d rounds" % (name, load_text(), rounds))
    return results


def ratio_line(say, results, label, key, base, base_label=None):
    ratios = [x / y for x, y in zip(results[key], results[base])]
    say("%-46s %8.0f ms  %5.2fx %5.2fx %5.2fx  (of %s)" % (
        label, statistics.median(results[key]) * 1000, min(ratios), statistics.median(ratios),
        max(ratios), base_label or base))


def scan_group(a, tree, tag):
    """The scans of `tree`, keyed by label."""
    def add(name, *flags):
        ctl = os.path.join(a.work, "%s-%s.ctl" % (tag, name))

        def run():
            if os.path.exists(ctl):
                os.unlink(ctl)
            return timed([a.cli, "add", ctl, tree, "--quiet", *flags])
        return run

    group = {"find -printf": lambda: timed(["find", tree, "-printf", "%p %s %T@\n"])}
    if a.floor:
        group["floor walker"] = lambda: timed([a.floor, tree])
    group["add (defaults)"] = add("defaults")
    group["add --threads 1"] = add("t1", "--threads", "1")
    group["add --threads 2"] = add("t2", "--threads", "2")
    group["add --no-descriptions"] = add("nodesc", "--no-descriptions")
    group["add, no descriptions, no archives"] = add("bare", "--no-descriptions", "--no-archives")
    return group


def print_scans(say, results, have_floor):
    say("%-46s %11s  %s" % ("", "median", "ratio min / median / max"))
    ratio_line(say, results, "find -printf", "find -printf", "find -printf")
    if have_floor:
        ratio_line(say, results, "floor walker", "floor walker", "find -printf")
    for k in ("add (defaults)", "add --threads 1", "add --no-descriptions",
              "add, no descriptions, no archives"):
        ratio_line(say, results, "tolvane-cli " + k, k, "find -printf")
    if have_floor:
        ratio_line(say, results, "tolvane-cli add (defaults)", "add (defaults)", "floor walker")
        ratio_line(say, results, "tolvane-cli add --threads 1", "add --threads 1", "floor walker")
    ratio_line(say, results, "tolvane-cli add --threads 2", "add --threads 2", "add --threads 1",
               "tolvane-cli add --threads 1")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--cli", required=True)
    ap.add_argument("--floor", help="the floor_walk program (bench/floor_walk.cpp)")
    ap.add_argument("--files", type=int, default=300000)
    ap.add_argument("--rounds", type=int, default=5)
    ap.add_argument("--work", default="/tmp/tolvane-compare")
    ap.add_argument("--usr", default="/usr", help="a system tree to scan as well")
    ap.add_argument("--no-usr", action="store_true")
    ap.add_argument("--out", help="also write the report to this file")
    a = ap.parse_args()
    say = Report()

    source = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    commit = subprocess.run(["git", "-C", source, "log", "-1", "--format=%h %cd",
                             "--date=format:%Y-%m-%d %H:%M"],
                            capture_output=True, text=True).stdout.strip() or "unknown"
    say("# bench/compare.py %s" % " ".join(sys.argv[1:]))
    say("# %s, source %s (%s), %s" % (time.strftime("%Y-%m-%d %H:%M"), commit, a.cli,
                                       load_text()))

    os.makedirs(a.work, exist_ok=True)
    tree = os.path.join(a.work, "tree")
    say("tree: %d files in %s" % (a.files, tree))
    make_tree(tree, a.files)
    names = os.path.join(a.work, "names.txt")
    with open(names, "w") as f:
        subprocess.run(["find", tree, "-printf", "%f\n"], stdout=f, check=True)
    cat = os.path.join(a.work, "tree-defaults.ctl")
    rare = "n%07d" % (a.files // 2 + 7)

    scans = run_rounds(scan_group(a, tree, "tree"), a.rounds, say, "synthetic tree")
    print_scans(say, scans, bool(a.floor))

    if not a.no_usr and os.path.isdir(a.usr):
        usr = run_rounds(scan_group(a, a.usr, "usr"), a.rounds, say, a.usr)
        print_scans(say, usr, bool(a.floor))

    empty = os.path.join(a.work, "empty.ctl")
    if not os.path.exists(empty):
        subprocess.run([a.cli, "new", empty], check=True)
    plocate_db = None
    if shutil.which("plocate") and shutil.which("updatedb"):
        plocate_db = os.path.join(a.work, "plocate.db")
        subprocess.run(["updatedb", "-l", "0", "-U", tree, "-o", plocate_db], check=True)

    def grep(pattern):
        start = time.perf_counter()
        subprocess.run(["grep", "-c", "-i", pattern, names], stdout=subprocess.DEVNULL)
        return time.perf_counter() - start

    reads = {
        "cat catalog": lambda: timed(["cat", cat]),
        "grep -c -i rare (names file)": lambda: grep(rare),
        "grep -c -i common (names file)": lambda: grep(".txt"),
        "info": lambda: timed([a.cli, "info", cat]),
        "check": lambda: timed([a.cli, "check", cat]),
        "find rare": lambda: timed([a.cli, "find", cat, rare]),
        "find common (*.txt)": lambda: timed([a.cli, "find", cat, "*.txt"]),
    }
    if plocate_db:
        reads["plocate -i common"] = lambda: timed(["plocate", "-d", plocate_db, "-i", "-c", ".txt"])
    results = run_rounds(reads, a.rounds, say, "catalog")

    size = os.path.getsize(cat)
    say("catalog: %.1f MB" % (size / 1e6))
    say("%-46s %11s  %s" % ("", "median", "ratio min / median / max"))
    ratio_line(say, results, "cat catalog", "cat catalog", "cat catalog")
    ratio_line(say, results, "tolvane-cli info", "info", "cat catalog")
    ratio_line(say, results, "tolvane-cli check", "check", "cat catalog")
    ratio_line(say, results, "tolvane-cli find rare", "find rare", "cat catalog")
    ratio_line(say, results, "tolvane-cli find rare", "find rare", "grep -c -i rare (names file)")
    ratio_line(say, results, "tolvane-cli find common", "find common (*.txt)",
               "grep -c -i common (names file)")
    if plocate_db:
        ratio_line(say, results, "tolvane-cli find common", "find common (*.txt)",
                   "plocate -i common")
    for command in ("info", "check"):
        rss = PEAK_RSS.get(a.cli + " " + command, 0)
        say("%-46s %8.1f MB  %5.2fx  (of the catalog's size)" % (
            "tolvane-cli %s peak RSS" % command, rss / 1e6, rss / size))
    rss = PEAK_RSS.pop(a.cli + " info", 0)
    timed([a.cli, "info", empty])
    loaded = rss - PEAK_RSS.get(a.cli + " info", 0)
    say("%-46s %8.1f MB  %5.2fx  (of the catalog's size)" % (
        "  info less info of an empty catalog", loaded / 1e6, loaded / size))
    if a.out:
        with open(a.out, "w") as f:
            f.write("\n".join(say.lines) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
