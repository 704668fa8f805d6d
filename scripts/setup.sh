#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need on a fresh Debian machine.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends \
  cmake make g++ clang libclang-rt-14-dev googletest \
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64 \
  wine64 wine xvfb xauth x11-utils imagemagick chromium python3 ca-certificates \
  tinyproxy openssl curl
