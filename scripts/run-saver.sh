#!/usr/bin/env bash
# Builds the 64-bit Windows screen saver (win64 preset) and runs it full screen
# (Roamlets.scr /s) under Wine.
#  - With a usable display ($DISPLAY), it runs there: press a key, click or
#    move the mouse to end it.
#  - Without one, it runs on a virtual display (Xvfb); once the scene animates,
#    a picture of it goes to out/roamlets-saver.png and a key press ends it.
# Wine's prefix is made once under build/wine-prefix and reused.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/deps.sh saver
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target roamlets_scr

saver=$root/build/win64/win32/Roamlets.scr
wine=/usr/lib/wine/wine64
export WINEPREFIX=$root/build/wine-prefix WINEDEBUG=-all WINELOADER=$wine
export WINESERVER=/usr/lib/wine/wineserver64 WINEDLLOVERRIDES="mscoree,mshtml="

# Made once: a fresh prefix whose windows Wine places itself (no window
# manager needed), its registry written to disk before it is used.
make_prefix() {
  [ -f "$WINEPREFIX/.roamlets-prefix" ] && return
  echo "Making the Wine prefix $WINEPREFIX (once; takes a few seconds)"
  rm -rf "$WINEPREFIX"
  "$wine" wineboot -i >/dev/null 2>&1
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  "$WINESERVER" -w
  touch "$WINEPREFIX/.roamlets-prefix"
}

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  make_prefix
  echo "Running the saver on $DISPLAY: press a key, click or move the mouse to end it."
  "$wine" "$saver" /s
  exit 0
fi

echo "No usable display: running the saver on a virtual one."
work=$(mktemp -d)
xvfb_pid=
saver_pid=
finish() {
  [ -n "$saver_pid" ] && kill -0 "$saver_pid" 2>/dev/null && kill "$saver_pid"
  "$WINESERVER" -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap finish EXIT

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 300); do
  grep -q . "$work/display" 2>/dev/null && break
  kill -0 "$xvfb_pid" 2>/dev/null || { cat "$work/xvfb.log" >&2; exit 1; }
  sleep 0.1
done
export DISPLAY=:$(cat "$work/display")

make_prefix
xdotool mousemove 640 512
"$wine" "$saver" /s &
saver_pid=$!

mkdir -p out
picture=$root/out/roamlets-saver.png
# The scene is drawn into an off-screen X window (see tests/e2e/harness/display.py).
PYTHONPATH=$root/tests python3 - "$picture" <<'PY'
import os, sys
from e2e.harness.display import Display

display = Display(os.environ["DISPLAY"])
_, latest = display.animating_scene(timeout=60)
latest.save_png(sys.argv[1])
display.press_key("space")
PY

for _ in $(seq 100); do
  kill -0 "$saver_pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$saver_pid" 2>/dev/null; then
  echo "The saver did not end on a key press." >&2
  exit 1
fi
wait "$saver_pid" && status=0 || status=$?
saver_pid=
echo "The saver ran and ended with status $status. Picture of its scene: $picture"
