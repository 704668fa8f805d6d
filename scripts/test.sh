#!/usr/bin/env bash
# Builds everything and runs every test: the native unit tests and fuzz targets, then the
# Windows tests under Wine (each in a fresh prefix of its own below build/win/wine).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/build.sh"
status=0
ctest --test-dir "$top/build/native" --output-on-failure -j 2 || status=1
ctest --test-dir "$top/build/win" --output-on-failure -j 2 || status=1
exit $status
