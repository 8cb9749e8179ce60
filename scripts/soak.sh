#!/usr/bin/env bash
# The soak runs: long runs that look for growth and leaks, apart from the
# tests that scripts/test.sh runs.
#   scripts/soak.sh [wine|valgrind|all] [--minutes M] [--seconds S]
#     wine      Roamlets.scr under Wine with 500 roamlets and 500 chasers, full
#               screen for M minutes (default 10), its memory, objects and
#               handles sampled every 5 s: nothing may grow past the first
#               minute; it must still animate and close on a key with 0.
#     valgrind  roamlets (X11) under valgrind's memcheck, 320x240, defaults and
#               500/500, in its own window and as a hack, S seconds each
#               (default 120) after the first frame, ended by SIGTERM: status 0,
#               no error, nothing definitely or indirectly lost.
#     all       both (the default).
# Installs the packages and builds what it needs (native and win64 presets)
# first. Output goes to
# build/soak/wine and build/soak/valgrind. Exits non-zero when a run fails.
set -euo pipefail
cd "$(dirname "$0")/.."

which=all
wine_args=()
valgrind_args=()
while [ $# -gt 0 ]; do
  case "$1" in
    wine | valgrind | all) which=$1 ;;
    --minutes) wine_args+=(--minutes "${2:?--minutes needs a value}"); shift ;;
    --seconds) valgrind_args+=(--seconds "${2:?--seconds needs a value}"); shift ;;
    -h | --help) sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "usage: $0 [wine|valgrind|all] [--minutes M] [--seconds S]" >&2; exit 2 ;;
  esac
  shift
done

scripts/deps.sh soak
export PYTHONDONTWRITEBYTECODE=1
# The soak runs import the end-to-end packages, which the tests folder holds.
export PYTHONPATH=$PWD/tests
started=$SECONDS

# How the runs judge what they measured.
python3 -m unittest discover -s tests/soak -p 'test_*.py'

if [ "$which" != valgrind ]; then
  cmake --preset win64 >/dev/null
  cmake --build --preset win64
fi
if [ "$which" != wine ]; then
  cmake --preset native >/dev/null
  cmake --build --preset native --target roamlets
fi

failed=()
if [ "$which" != valgrind ]; then
  echo "== Wine soak"
  python3 tests/soak/wine_soak.py --win64-build build/win64 --work build/soak/wine "${wine_args[@]}" \
    || failed+=(wine)
fi
if [ "$which" != wine ]; then
  echo "== valgrind soak"
  python3 tests/soak/valgrind_soak.py --roamlets build/native/x11/roamlets --work build/soak/valgrind \
    "${valgrind_args[@]}" || failed+=(valgrind)
fi

echo "Soak runs took $((SECONDS - started)) s."
if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]}" >&2
  exit 1
fi
echo "All soak runs passed."
