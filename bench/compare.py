# SPDX-License-Identifier: MIT
"""Whole-process comparison of tolvane-cli with the tools a user would measure it against.

Builds a synthetic tree of N files (a mix of texts, HTML pages, images, MP3s, zips, plain
binaries and a few large sparse files, 25 files a folder), then runs each measurement in
alternating order for several rounds and prints, for every one, its ratio to the baseline of
the same round as min / median / max:

  find -printf                            baseline of the scans
  tolvane-cli add (defaults)              / find
  tolvane-cli add --no-descriptions       / find
  tolvane-cli add --no-descriptions --no-archives / find
  cat CATALOG                             baseline of info and find
  tolvane-cli info CATALOG                / cat
  tolvane-cli find CATALOG rare           / cat, and against grep -c -i over a names file
  tolvane-cli find CATALOG common         / grep -c -i over a names file
  resident memory of tolvane-cli info     / the catalog's size (peak RSS of the process, and that
                                          less the peak RSS of info on an empty catalog: the
                                          memory of the loaded catalog itself)
  plocate -i -c common (when installed)   against tolvane-cli find common

Caches are warm: each command runs once before the rounds. Usage:
  bench/compare.py --cli build/compare/tolvane-cli [--files N] [--rounds R] [--work DIR]
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


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--cli", required=True)
    ap.add_argument("--files", type=int, default=300000)
    ap.add_argument("--rounds", type=int, default=3)
    ap.add_argument("--work", default="/tmp/tolvane-compare")
    a = ap.parse_args()

    os.makedirs(a.work, exist_ok=True)
    tree = os.path.join(a.work, "tree")
    print("tree: %d files in %s" % (a.files, tree), flush=True)
    make_tree(tree, a.files)
    names = os.path.join(a.work, "names.txt")
    with open(names, "w") as f:
        subprocess.run(["find", tree, "-printf", "%f\n"], stdout=f, check=True)
    cat = os.path.join(a.work, "defaults.ctl")
    rare = "n%07d" % (a.files // 2 + 7)

    def add(ctl, *flags):
        def run():
            if os.path.exists(ctl):
                os.unlink(ctl)
            return timed([a.cli, "add", ctl, tree, "--quiet", *flags])
        return run

    scans = {
        "find -printf": lambda: timed(["find", tree, "-printf", "%p %s %T@\n"]),
        "add (defaults)": add(cat),
        "add --no-descriptions": add(os.path.join(a.work, "nodesc.ctl"), "--no-descriptions"),
        "add, no descriptions, no archives": add(os.path.join(a.work, "bare.ctl"), "--no-descriptions",
                                                 "--no-archives"),
    }
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
        "find rare": lambda: timed([a.cli, "find", cat, rare]),
        "find common (*.txt)": lambda: timed([a.cli, "find", cat, "*.txt"]),
    }
    if plocate_db:
        reads["plocate -i common"] = lambda: timed(["plocate", "-d", plocate_db, "-i", "-c", ".txt"])

    results = {k: [] for k in list(scans) + list(reads)}
    for group in (scans, reads):  # warm-up: caches, and the catalog the reads use
        for fn in group.values():
            fn()
    for r in range(a.rounds):
        for group in (scans, reads):
            keys = list(group)
            if r % 2:
                keys.reverse()
            for k in keys:
                results[k].append(group[k]())
        print("round %d of %d done" % (r + 1, a.rounds), flush=True)

    size = os.path.getsize(cat)
    print("catalog: %.1f MB" % (size / 1e6))

    def line(label, key, base):
        ratios = [x / y for x, y in zip(results[key], results[base])]
        print("%-44s %7.0f ms  %5.2fx %5.2fx %5.2fx  (of %s)" % (
            label, statistics.median(results[key]) * 1000, min(ratios), statistics.median(ratios),
            max(ratios), base))

    print("%-44s %10s  %s" % ("", "median", "ratio min / median / max"))
    line("find -printf", "find -printf", "find -printf")
    for k in list(scans)[1:]:
        line("tolvane-cli " + k, k, "find -printf")
    line("cat catalog", "cat catalog", "cat catalog")
    line("tolvane-cli info", "info", "cat catalog")
    line("tolvane-cli find rare", "find rare", "cat catalog")
    line("tolvane-cli find rare", "find rare", "grep -c -i rare (names file)")
    line("tolvane-cli find common", "find common (*.txt)", "grep -c -i common (names file)")
    if plocate_db:
        line("tolvane-cli find common", "find common (*.txt)", "plocate -i common")
    rss = PEAK_RSS.get(a.cli + " info", 0)
    print("%-44s %7.1f MB  %5.2fx  (of the catalog's size)" % ("tolvane-cli info peak RSS", rss / 1e6,
                                                              rss / size))
    PEAK_RSS.pop(a.cli + " info")
    timed([a.cli, "info", empty])
    loaded = rss - PEAK_RSS.get(a.cli + " info", 0)
    print("%-44s %7.1f MB  %5.2fx  (of the catalog's size)" % (
        "  less info of an empty catalog", loaded / 1e6, loaded / size))
    return 0


if __name__ == "__main__":
    sys.exit(main())
