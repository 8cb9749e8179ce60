#!/usr/bin/env bash
# Builds the Linux tools and prints a short scene: three roamlets and two
# chasers after 100 ticks of the Rotate camera, from a fixed seed.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh native
cmake --preset native >/dev/null
cmake --build --preset native --target scene-dump
build/native/tools/scene-dump --seed 2026 --roamlets 3 --chasers 2 --mode rotate --ticks 100 "$@"
