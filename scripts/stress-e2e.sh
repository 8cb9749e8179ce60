#!/usr/bin/env bash
# Runs the end-to-end suites (the Windows saver under Wine, roamlets on X)
# RUNS times each (default 5) while two CPU-bound processes at normal priority
# keep both cores busy, as another build or program would, and prints per
# suite how many runs passed, which cases failed, and the longest waits.
#   scripts/stress-e2e.sh [RUNS]
# Installs what it needs and builds the programs first (native and win64
# presets, and the win64 package, whose setup the Wine suite installs). Each
# run's output goes to build/stress-e2e/<suite>-<n>.log.
# Exits non-zero unless every run passed.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-5}
if ! [[ $runs =~ ^[1-9][0-9]{0,2}$ ]]; then
  echo "usage: $0 [RUNS]   (RUNS from 1 to 999, default 5)" >&2
  exit 2
fi

scripts/deps.sh stress
cmake --preset native >/dev/null
cmake --build --preset native --target roamlets
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target package

out=build/stress-e2e
rm -rf "$out"
mkdir -p "$out"

# The load: two CPU-bound workers, ended with this script (and after a day
# at the latest, should this script be killed outright).
stress-ng --cpu 2 --timeout 1d --quiet &
load=$!
trap 'kill "$load" 2>/dev/null || true; wait "$load" 2>/dev/null || true' EXIT

export PYTHONDONTWRITEBYTECODE=1
# The suites are modules of the e2e package in the tests folder.
export PYTHONPATH=$PWD/tests
declare -A command=(
  [wine]="python3 -m e2e.wine.run_e2e --win64-build build/win64 --work"
  [x11]="python3 -m e2e.x11.run_x11_e2e --roamlets build/native/x11/roamlets --work"
)
started=$SECONDS
for run in $(seq "$runs"); do
  for suite in wine x11; do
    work="$out/$suite-$run"
    begun=$SECONDS
    # A suite takes minutes under this load; half an hour means it hangs.
    if timeout --kill-after=30 1800 ${command[$suite]} "$work" >"$work.log" 2>&1; then
      verdict=passed
      rm -rf "$work"
    else
      verdict=FAILED
    fi
    echo "run $run of $runs, $suite: $verdict in $((SECONDS - begun)) s"
  done
done
echo "Under load for $((SECONDS - started)) s."

python3 - "$out" "$runs" <<'EOF'
"""Sums up the runs' logs: passes, failed cases, and the longest waits."""
import collections, os, re, sys

out, runs = sys.argv[1], int(sys.argv[2])
failed_any = False
for suite in ("wine", "x11"):
    passed, failures, waits = 0, collections.Counter(), {}
    for run in range(1, runs + 1):
        text = open(os.path.join(out, f"{suite}-{run}.log"), errors="replace").read()
        cases = set(re.findall(r"^(?:FAIL|ERROR): (\S+) \(", text, re.M))
        ran = re.search(r"^Ran (\d+) tests?", text, re.M)
        if ran and int(ran.group(1)) > 0 and re.search(r"^OK", text, re.M) and not cases:
            passed += 1
        else:
            failures.update(cases or {"(no result: see the log)"})
        listing = text.split("Longest waits:", 1)[1] if "Longest waits:" in text else ""
        for seconds, kind in re.findall(r"^\s+([\d.]+) s  (.+)$", listing, re.M):
            waits[kind] = max(waits.get(kind, 0.0), float(seconds))
    failed_any |= passed != runs
    print(f"{suite}: {passed} of {runs} runs passed")
    for case, count in failures.most_common():
        print(f"  failed in {count} run(s): {case}")
    for kind, seconds in sorted(waits.items(), key=lambda item: -item[1])[:5]:
        print(f"  longest wait: {seconds:6.2f} s  {kind}")
sys.exit(1 if failed_any else 0)
EOF
