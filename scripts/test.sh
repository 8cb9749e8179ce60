#!/usr/bin/env bash
# Builds everything (Linux, 64-bit and 32-bit Windows, the 32-bit Linux
# scene-dump that checks the x87 arithmetic, the Windows and the Debian
# package) and runs every test; then the Linux tests again in a build
# with AddressSanitizer and UndefinedBehaviorSanitizer, which fail on any
# report, a bounded run of each fuzz target, and the end-to-end suites once
# more with both cores kept busy by another process.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh all

for preset in native win64 win32 x87; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

# The Windows and the Debian package, which the tests check.
cmake --build --preset win64 --target package
cmake --build --preset native --target package

ctest --preset native

cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan

# A bounded run of each fuzz target (clang, libFuzzer): a minute each.
bash scripts/fuzz.sh 60

# The end-to-end suites once more, under load: they must not fail by chance
# on a machine that is busy with something else.
bash scripts/stress-e2e.sh 1
