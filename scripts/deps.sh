#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, when missing.
#   scripts/deps.sh native   - the Linux build: compiler, CMake, Ninja, GoogleTest,
#                              Google Benchmark, Python, off-screen Mesa OpenGL
#                              with GLU, libpng, pkg-config
#   scripts/deps.sh all      - also the MinGW-w64 cross compilers for Windows
set -euo pipefail

native=(g++ cmake ninja-build libgtest-dev libgmock-dev libbenchmark-dev python3
        pkgconf libosmesa6-dev libglu1-mesa-dev libpng-dev)
windows=(g++-mingw-w64-x86-64 g++-mingw-w64-i686 binutils-mingw-w64-x86-64 binutils-mingw-w64-i686)

case "${1:-all}" in
  native) wanted=("${native[@]}") ;;
  all) wanted=("${native[@]}" "${windows[@]}") ;;
  *) echo "usage: $0 [native|all]" >&2; exit 2 ;;
esac

missing=()
for pkg in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
