# SPDX-License-Identifier: MIT
"""How the time of a scan grows with the size of the tree.

Builds (or keeps) the synthetic trees of compare.py with SMALL and LARGE files, then times
`tolvane-cli add` with defaults and `find -printf` on both, alternating, and prints each
command's medians and its growth exponent log(t_large / t_small) / log(LARGE / SMALL): 1.0 is
linear. Usage:
  bench/growth.py --cli build/compare/tolvane-cli [--small 100000] [--large 1000000]
                  [--rounds 3] [--work /tmp/tolvane-growth]
"""
import argparse
import math
import os
import statistics
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import compare  # noqa: E402


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--cli", required=True)
    ap.add_argument("--small", type=int, default=100000)
    ap.add_argument("--large", type=int, default=1000000)
    ap.add_argument("--rounds", type=int, default=3)
    ap.add_argument("--work", default="/tmp/tolvane-growth")
    a = ap.parse_args()

    trees = {}
    for n in (a.small, a.large):
        trees[n] = os.path.join(a.work, str(n), "tree")
        print("tree: %d files in %s" % (n, trees[n]), flush=True)
        compare.make_tree(trees[n], n)

    def add(n):
        ctl = os.path.join(a.work, str(n), "growth.ctl")
        if os.path.exists(ctl):
            os.unlink(ctl)
        return compare.timed([a.cli, "add", ctl, trees[n], "--quiet"])

    def find(n):
        return compare.timed(["find", trees[n], "-printf", "%p %s %T@\n"])

    runs = {(cmd, n): [] for cmd in ("add", "find") for n in (a.small, a.large)}
    for n in (a.small, a.large):  # warm-up: the trees' metadata into the caches
        find(n)
        add(n)
    for r in range(a.rounds):
        for n in (a.small, a.large) if r % 2 == 0 else (a.large, a.small):
            runs[("find", n)].append(find(n))
            runs[("add", n)].append(add(n))
        print("round %d of %d done" % (r + 1, a.rounds), flush=True)

    for cmd in ("find", "add"):
        small = statistics.median(runs[(cmd, a.small)])
        large = statistics.median(runs[(cmd, a.large)])
        exponent = math.log(large / small) / math.log(a.large / a.small)
        print("%-6s %8.0f ms at %d, %8.0f ms at %d: exponent %.2f" % (
            "find" if cmd == "find" else "add", small * 1000, a.small, large * 1000, a.large, exponent))
    return 0


if __name__ == "__main__":
    sys.exit(main())
