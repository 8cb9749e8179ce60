#!/usr/bin/env bash
# Builds the headless renderer and draws the scene in each camera mode, with
# your stored settings and a fixed seed, into out/ (no display needed). Extra
# arguments go to every roamlets-render run, e.g. --roamlets 100 --chasers 200.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh native
cmake --preset native >/dev/null
cmake --build --preset native --target roamlets-render
mkdir -p out
for mode in chase rotate snapshot; do
  build/native/tools/roamlets-render --out "out/roamlets-$mode.png" --seed 2026 --ticks 300 --mode "$mode" "$@" \
    >/dev/null
done
echo "Pictures of the three camera modes: $(pwd)/out/roamlets-{chase,rotate,snapshot}.png"
