#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, when missing.
#   scripts/deps.sh native   - the Linux build: compiler, CMake, Ninja, GoogleTest,
#                              Google Benchmark, Python, off-screen Mesa OpenGL
#                              with GLU, libpng, pkg-config; Xlib and Mesa's
#                              GLX for the Linux program, xdpyinfo to find a
#                              display; and what the Debian package needs:
#                              dpkg-shlibdeps (dpkg-dev) and file
#   scripts/deps.sh saver    - what scripts/run-saver.sh needs: CMake, Ninja, the
#                              64-bit Windows cross compiler and the Wine group
#   scripts/deps.sh soak     - what scripts/soak.sh needs: the native and saver
#                              groups, valgrind, and the X DAMAGE library that
#                              counts frames
#   scripts/deps.sh perf     - what scripts/perf-report.sh needs: the native and
#                              saver groups, the OpenGL hacks compared with
#                              (xscreensaver-gl), glxinfo (mesa-utils) and
#                              valgrind
#   scripts/deps.sh stress   - what scripts/stress-e2e.sh needs: the native and
#                              saver groups, what the Windows package needs
#                              (the 32-bit Windows cross compiler and NSIS)
#                              and the load generator (stress-ng)
#   scripts/deps.sh all      - native and saver, the 32-bit Windows cross
#                              compiler, NSIS (makensis) for the setup,
#                              32-bit Wine (adds the i386
#                              architecture), the 32-bit Linux compiler and
#                              qemu-i386 for the x87 preset, clang with its libFuzzer and
#                              sanitizer runtimes for the fuzz targets, and the
#                              load generator
# The Wine group runs the Windows program and its end-to-end tests: Wine (64-bit
# only), a virtual X display, X input and window tools, ImageMagick for window
# pictures, and the X libraries the tests call directly (XFixes for the cursor).
set -euo pipefail

native=(g++ cmake ninja-build libgtest-dev libgmock-dev libbenchmark-dev python3
        pkgconf libosmesa6-dev libglu1-mesa-dev libpng-dev libx11-dev libgl-dev
        libglx-mesa0 libgl1-mesa-dri x11-utils dpkg-dev file)
fuzz=(clang libclang-rt-14-dev)
windows=(g++-mingw-w64-x86-64 g++-mingw-w64-i686 binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
         g++-multilib qemu-user-static python3-pefile nsis)
wine=(wine wine64 xvfb xdotool x11-utils imagemagick libx11-6 libxfixes3 python3)
# 32-bit Wine and the i386 Mesa and X client libraries it loads (without
# libxcomposite1 it draws a child window's OpenGL where no picture sees it).
wine32=(wine32:i386 libgl1-mesa-dri:i386 libglx-mesa0:i386 libglu1-mesa:i386 libxcomposite1:i386
        libxfixes3:i386 libxrandr2:i386 libxi6:i386 libxcursor1:i386 libxinerama1:i386
        libxrender1:i386 libxext6:i386)
saver=(cmake ninja-build g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 "${wine[@]}")

case "${1:-all}" in
  native) wanted=("${native[@]}") ;;
  saver) wanted=("${saver[@]}") ;;
  soak) wanted=("${native[@]}" "${saver[@]}" valgrind libxdamage1) ;;
  perf) wanted=("${native[@]}" "${saver[@]}" xscreensaver-gl mesa-utils valgrind) ;;
  stress) wanted=("${native[@]}" "${saver[@]}" g++-mingw-w64-i686 binutils-mingw-w64-i686 nsis stress-ng) ;;
  all) wanted=("${native[@]}" "${fuzz[@]}" "${windows[@]}" "${wine[@]}" "${wine32[@]}" stress-ng) ;;
  *) echo "usage: $0 [native|saver|soak|perf|stress|all]" >&2; exit 2 ;;
esac

missing=()
for pkg in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
if [[ " ${missing[*]}" == *":i386"* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo[@]}" dpkg --add-architecture i386
fi
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
