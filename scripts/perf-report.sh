#!/usr/bin/env bash
# Builds what the performance report measures and measures every figure of
# docs/PERFORMANCE.md in one run, printing them as Markdown:
#   bash scripts/perf-report.sh [--output FILE] [other options of tools/perf/perf_report.py]
# The native preset's roamlets and benchmarks are built; Roamlets.scr from the
# win64 preset too, for the runs under Wine. The whole run takes about 12
# minutes; measure on a quiet machine (the report records the load).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh perf

cmake --preset native >/dev/null
cmake --build --preset native -j2 --target roamlets scene_bench render_bench
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j2 --target roamlets_scr

# The tests folder holds the end-to-end runs' virtual display that it uses.
PYTHONPATH=$PWD/tests exec python3 tools/perf/perf_report.py "$@"
