#!/usr/bin/env bash
# Builds a Release tolvane-cli in build/compare and compares it, whole process against whole
# process, with find, cat and grep on a synthetic tree (bench/compare.py says what and how).
#   bench/compare.sh [--files N] [--rounds R] [--work DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/compare -DCMAKE_BUILD_TYPE=Release -DTOLVANE_TESTS=OFF -DTOLVANE_GUI=OFF >/dev/null
cmake --build build/compare -j"$(nproc)" --target tolvane-cli >/dev/null
exec python3 bench/compare.py --cli build/compare/tolvane-cli "$@"
