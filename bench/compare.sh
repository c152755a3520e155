#!/usr/bin/env bash
# Builds a Release tolvane-cli and the floor walker in build/compare and compares them, whole
# process against whole process, with find, cat and grep on a synthetic tree and on /usr
# (bench/compare.py says what and how).
#   bench/compare.sh [--files N] [--rounds R] [--work DIR] [--no-usr] [--out FILE]
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/compare -DCMAKE_BUILD_TYPE=Release -DTOLVANE_TESTS=OFF -DTOLVANE_GUI=OFF \
  -DTOLVANE_BENCH=ON >/dev/null
cmake --build build/compare -j"$(nproc)" --target tolvane-cli floor_walk >/dev/null
exec python3 bench/compare.py --cli build/compare/tolvane-cli \
  --floor build/compare/bench/floor_walk "$@"
