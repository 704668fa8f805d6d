#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need on a fresh Debian machine.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends \
  cmake make g++ clang libclang-rt-14-dev googletest \
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64 \
  wine64 wine xvfb xauth x11-utils imagemagick chromium python3 ca-certificates \
  fonts-wine fonts-liberation fonts-dejavu-core \
  tinyproxy openssl curl
# nlohmann/json (header-only) for the result files.
apt-get install -y --no-install-recommends nlohmann-json3-dev
# The installer (NSIS with its 64-bit stubs), the font family (with its italics) the help document is
# printed with, and pdftoppm to look at its pages.
apt-get install -y --no-install-recommends nsis fonts-dejavu-core fonts-dejavu-extra poppler-utils
