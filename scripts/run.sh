#!/usr/bin/env bash
# Builds Roamlets for Linux and runs it in a window on your display; extra
# arguments go to the program (e.g. --fullscreen, --mode rotate, --roamlets 100).
# Without a usable display it draws pictures with the headless renderer
# instead and says where they went.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh native
cmake --preset native >/dev/null

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  cmake --build --preset native --target roamlets
  echo "Running Roamlets on $DISPLAY: Escape or q closes its window (with --fullscreen: any key,"
  echo "a click or moving the mouse)."
  exec build/native/x11/roamlets "$@"
fi

echo "No usable display (DISPLAY='${DISPLAY:-}'): drawing pictures with the headless renderer instead."
exec scripts/demo.sh "$@"
