#!/usr/bin/env bash
# Prints an HTML file to PDF with headless Chromium, quietly (Chromium talks a lot about the
# D-Bus it does not find): print-pdf.sh CHROMIUM IN.html OUT.pdf WORKDIR
# WORKDIR holds Chromium's own profile and home. Fails when no PDF was written.
set -u
chromium=$1 in=$2 out=$3 work=$4
mkdir -p "$work"
rm -f "$out"
HOME="$work/home" "$chromium" --headless --no-sandbox --disable-gpu \
  --disable-background-networking --disable-component-update --disable-sync --no-first-run \
  --no-pdf-header-footer --user-data-dir="$work/profile" --print-to-pdf="$out" \
  "file://$in" >"$work/chromium.log" 2>&1
if [ ! -s "$out" ]; then
  echo "print-pdf.sh: Chromium wrote no $out (see $work/chromium.log)" >&2
  exit 1
fi
