#!/usr/bin/env bash
# Signs an update information file the way the program checks it: every byte of the file
# (without an earlier signature line) is signed with ECDSA P-256 over SHA-256, and the line
# "#signature=<r><s>" (128 hex digits) is appended as its last line.
#   scripts/sign-update-info.sh KEY.pem IN.inf [OUT.inf]      (OUT defaults to IN, rewritten)
# KEY.pem is a P-256 private key in PEM form; tests/fixtures/update/test_signing_key.pem is the
# key whose public half test builds carry. Each listed file needs its "#hash" line beside its
# "#url" line; scripts/sign-update-info.sh --hash KEY FILE prints the line for "#url<KEY>":
#   scripts/sign-update-info.sh --hash 3 build/quorvel.exe   ->  #hash3=<sha256>,<size>
set -euo pipefail
if [ "${1:-}" = "--hash" ]; then
  [ $# -eq 3 ] || { echo "usage: $0 --hash KEY FILE" >&2; exit 2; }
  sum=$(openssl dgst -sha256 -r "$3" | cut -d' ' -f1)
  echo "#hash$2=$sum,$(stat -c %s "$3")"
  exit 0
fi
[ $# -ge 2 ] || { echo "usage: $0 KEY.pem IN.inf [OUT.inf]" >&2; exit 2; }
key=$1 in=$2 out=${3:-$2}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The content: the file without a signature line (and without what followed one).
python3 - "$in" "$work/content" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
lower = data.lower()
at = lower.rfind(b"#signature=")
if at >= 0 and (at == 0 or data[at - 1:at] == b"\n"):
    data = data[:at]
if data and not data.endswith(b"\n"):
    data += b"\r\n"
open(sys.argv[2], "wb").write(data)
PY
openssl dgst -sha256 -sign "$key" -out "$work/signature.der" "$work/content"
# DER (SEQUENCE of two INTEGERs) to r and s of 32 bytes each.
hex=$(python3 - "$work/signature.der" <<'PY'
import sys
der = open(sys.argv[1], "rb").read()
def integer(at):
    assert der[at] == 2
    n = der[at + 1]
    return der[at + 2:at + 2 + n], at + 2 + n
at = 2 if der[1] < 0x80 else 3
r, at = integer(at)
s, _ = integer(at)
print((r.lstrip(b"\0").rjust(32, b"\0") + s.lstrip(b"\0").rjust(32, b"\0")).hex())
PY
)
{ cat "$work/content"; printf '#signature=%s\r\n' "$hex"; } >"$work/signed"
mv "$work/signed" "$out"
