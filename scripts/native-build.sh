#!/usr/bin/env bash
# Configures (once) and builds the native sanitizer tree in build-native/:
# the window-free units, their unit tests and the fuzz targets (fuzz/).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
native="$root/build-native"
if [ ! -f "$native/build.ninja" ]; then
  cmake -S "$root/fuzz" -B "$native" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_C_COMPILER=clang-14 >/dev/null
fi
cmake --build "$native"
