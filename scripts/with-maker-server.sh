#!/usr/bin/env bash
# Runs a command beside the maker's servers of the end-to-end update tests
# (tests/update/maker_server.py: a proxy that answers for the maker's host names, HTTPS with a
# certificate of the test authority that scripts/with-update-servers.sh made, and a document
# folder the tests write into), and stops them afterwards by their process id. Must run inside
# scripts/with-update-servers.sh. The command finds the proxy's port and the document folder
# in the file named by QUORVEL_MAKER_SERVER ("maker_proxy=PORT", "maker_root=UNIX-FOLDER").
#   scripts/with-maker-server.sh WORKDIR COMMAND [ARGS...]
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
work=$1; shift
rm -rf "$work"
mkdir -p "$work/root"
ca=$(sed -n 's/^ca=//p' "${QUORVEL_UPDATE_SERVERS:?run inside with-update-servers.sh}")
certs=$(dirname "$ca")
openssl req -newkey rsa:2048 -nodes -subj "/CN=update.zarvent-benchmarks.net" \
  -keyout "$work/maker.key" -out "$work/maker.csr" >/dev/null 2>&1
printf 'subjectAltName=DNS:update.zarvent-benchmarks.net,DNS:www.zarvent-benchmarks.net\nextendedKeyUsage=serverAuth\n' \
  >"$work/maker.ext"
openssl x509 -req -in "$work/maker.csr" -CA "$certs/trusted-ca.pem" -CAkey "$certs/trusted-ca.key" \
  -CAcreateserial -days 30 -extfile "$work/maker.ext" -out "$work/maker.pem" >/dev/null 2>&1 ||
  { echo "openssl could not make the maker's certificate" >&2; exit 1; }

python3 "$top/tests/update/maker_server.py" --root "$work/root" --cert "$work/maker.pem" \
  --key "$work/maker.key" --out "$work/maker.txt" --limit "${QUORVEL_SERVER_LIMIT:-1800}" &
pid=$!
trap 'kill $pid 2>/dev/null; wait $pid 2>/dev/null' EXIT
for i in $(seq 300); do
  [ -f "$work/maker.txt" ] && break
  sleep 0.05
done
[ -f "$work/maker.txt" ] || { echo "the maker's server did not start" >&2; exit 1; }
export QUORVEL_MAKER_SERVER="$work/maker.txt"
"$@"
