#!/usr/bin/env bash
# Runs a command beside the servers that the update tests and the download benchmark need,
# all on 127.0.0.1, and stops them afterwards by their process ids:
#  - tests/update/test_server.py: HTTP, HTTPS signed by a test authority, and HTTPS signed
#    by an authority nobody trusts (ports picked by the system);
#  - tinyproxy twice: an open proxy and one asking for basic authentication
#    (user "zarvent", password "proxypass").
# The certificates are made here with openssl. The command finds everything in the file
# named by QUORVEL_UPDATE_SERVERS ("name=value" lines: http, https, https_unknown, proxy,
# auth_proxy, ca = the test authority's certificate, DER, as a Unix path).
#   scripts/with-update-servers.sh WORKDIR COMMAND [ARGS...]
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
work=$1; shift
rm -rf "$work"
mkdir -p "$work/certs"
certs=$work/certs
pids=()
stop() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
}
trap stop EXIT

make_ca() {  # NAME
  openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=Quorvel test authority $1" \
    -keyout "$certs/$1-ca.key" -out "$certs/$1-ca.pem" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
    >/dev/null 2>&1
}
make_server() {  # CA OUT
  openssl req -newkey rsa:2048 -nodes -subj "/CN=localhost" -keyout "$certs/$2.key" \
    -out "$certs/$2.csr" >/dev/null 2>&1
  printf 'subjectAltName=DNS:localhost,IP:127.0.0.1\nextendedKeyUsage=serverAuth\n' >"$certs/$2.ext"
  openssl x509 -req -in "$certs/$2.csr" -CA "$certs/$1-ca.pem" -CAkey "$certs/$1-ca.key" \
    -CAcreateserial -days 30 -extfile "$certs/$2.ext" -out "$certs/$2.pem" >/dev/null 2>&1
}
make_ca trusted && make_ca unknown && make_server trusted server && make_server unknown unknown ||
  { echo "openssl could not make the test certificates" >&2; exit 1; }
openssl x509 -in "$certs/trusted-ca.pem" -outform DER -out "$certs/ca.der"

python3 "$top/tests/update/test_server.py" --ports "$work/ports.txt" --certs "$certs" \
  --limit "${QUORVEL_SERVER_LIMIT:-1800}" &
pids+=($!)

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'
}
# start_proxy NAME [BasicAuth line]: tinyproxy in the foreground with a config of its own.
start_proxy() {
  local name=$1 auth=${2:-} port i
  for i in 1 2 3 4 5; do
    port=$(free_port)
    {
      echo "Port $port"
      echo "Listen 127.0.0.1"
      echo "Timeout 60"
      echo "MaxClients 50"
      echo "Allow 127.0.0.1"
      echo "LogLevel Warning"
      [ -n "$auth" ] && echo "$auth"
    } >"$work/$name.conf"
    # Bounded like the test server, should the run be killed before it can stop them.
    timeout "${QUORVEL_SERVER_LIMIT:-1800}" tinyproxy -d -c "$work/$name.conf" >"$work/$name.log" 2>&1 &
    local pid=$!
    # Up once it accepts connections.
    local j
    for j in $(seq 100); do
      if python3 -c "import socket; socket.create_connection(('127.0.0.1',$port),0.2).close()" \
        2>/dev/null; then
        pids+=("$pid")
        echo "$name=$port" >>"$work/proxies.txt"
        return 0
      fi
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.05
    done
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  echo "tinyproxy ($name) did not start" >&2
  return 1
}
start_proxy proxy || exit 1
start_proxy auth_proxy "BasicAuth zarvent proxypass" || exit 1

for i in $(seq 300); do
  [ -f "$work/ports.txt" ] && break
  sleep 0.05
done
[ -f "$work/ports.txt" ] || { echo "the test server did not start" >&2; exit 1; }
cat "$work/ports.txt" "$work/proxies.txt" >"$work/servers.txt"
echo "ca=$certs/ca.der" >>"$work/servers.txt"

export QUORVEL_UPDATE_SERVERS="$work/servers.txt"
"$@"
