# SPDX-License-Identifier: MIT
"""Two builds of tolvane-cli against each other and against cat, in alternating runs.

Runs cat CATALOG, then `info` and `find CATALOG RARE` of each build, in alternating order for
several rounds (after one warm-up run each), and prints for every command its median time, its
ratio to cat in the same round (min / median / max) and its peak resident memory over the
catalog's size. Usage:
  bench/compare_builds.py OLD_CLI NEW_CLI CATALOG ROUNDS RARE_NAME
"""
import os
import statistics
import subprocess
import sys
import time


def run(cmd):
    start = time.perf_counter()
    proc = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(proc.pid, 0)
    if status != 0:
        raise subprocess.CalledProcessError(status, cmd)
    return time.perf_counter() - start, usage.ru_maxrss * 1024


def main():
    old, new, cat, rounds, rare = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4]), sys.argv[5]
    size = os.path.getsize(cat)
    cmds = {"cat": ["cat", cat]}
    for tag, cli in (("old", old), ("new", new)):
        cmds[tag + " info"] = [cli, "info", cat]
        cmds[tag + " find rare"] = [cli, "find", cat, rare]
    results = {k: [] for k in cmds}
    for cmd in cmds.values():
        run(cmd)
    for r in range(rounds):
        keys = list(cmds)
        if r % 2:
            keys.reverse()
        for k in keys:
            results[k].append(run(cmds[k]))
    for k in cmds:
        ratios = [x[0] / c[0] for x, c in zip(results[k], results["cat"])]
        print("%-16s %7.0f ms  of cat: min %.2f median %.2f max %.2f  peak RSS / file %.2f" % (
            k, statistics.median(x[0] for x in results[k]) * 1000, min(ratios),
            statistics.median(ratios), max(ratios),
            statistics.median(x[1] for x in results[k]) / size))
    return 0


if __name__ == "__main__":
    sys.exit(main())
