#!/usr/bin/env bash
# Configures and builds both trees: build/win (Windows cross build) and build/native.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=${JOBS:-$(nproc)}
cmake -S "$top" -B "$top/build/win" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$top/build/win" -j "$jobs" "$@"
if [ -z "${QUORVEL_WIN_ONLY:-}" ]; then
  CC=clang CXX=clang++ cmake -S "$top" -B "$top/build/native" -DCMAKE_BUILD_TYPE=Debug >/dev/null
  cmake --build "$top/build/native" -j "$jobs"
fi
