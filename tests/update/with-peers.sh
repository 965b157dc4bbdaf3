#!/usr/bin/env bash
# tests/update/with-peers.sh — runs one update test program under Wine with its network peers beside it:
# the scripted update service (peers/update_service.py) and a tinyproxy that asks for Basic credentials, both on
# 127.0.0.1 only, on ports chosen here, each bounded in time and stopped when the program has ended.
#
#   with-peers.sh <source dir> <firmware file> -- <wine-run arguments...>
#
# The program finds them through the environment: TAVISK_UPDATE_PORT (the service), TAVISK_UPDATE_LOG (the
# service's request log, as a Windows path), TAVISK_PROXY_PORT, TAVISK_PROXY_USER and TAVISK_PROXY_PASSWORD.
# Without tinyproxy the proxy variables stay unset and the proxy tests skip themselves.
set -uo pipefail
src=$1; firmware=$2; shift 2
[ "${1:-}" = "--" ] && shift

work=$(mktemp -d "${TMPDIR:-/tmp}/tavisk-peers.XXXXXX")
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    for p in "${pids[@]}"; do wait "$p" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT

free_port() {
    python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()'
}

# The service: its own lifetime bounds it even if this script is killed.
timeout -k 5 600 python3 "$src/tests/update/peers/update_service.py" --port-file "$work/service.port" \
    --firmware "$firmware" --log "$work/requests.log" --lifetime 590 >"$work/service.out" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/service.port" ] && break; sleep 0.1; done
if [ ! -s "$work/service.port" ]; then
    echo "with-peers: the update service did not start" >&2
    cat "$work/service.out" >&2
    exit 1
fi
export TAVISK_UPDATE_PORT=$(cat "$work/service.port")
export TAVISK_UPDATE_LOG="Z:${work//\//\\}\\requests.log"

if command -v tinyproxy >/dev/null 2>&1; then
    proxy_port=$(free_port)
    {
        echo "Port $proxy_port"
        echo "Listen 127.0.0.1"
        echo "Allow 127.0.0.1"
        echo "Timeout 30"
        echo "MaxClients 20"
        echo "LogLevel Info"
        echo "LogFile \"$work/tinyproxy.log\""
        echo "BasicAuth tester s3cret"
        [ "$(id -u)" = 0 ] && { echo "User nobody"; echo "Group nogroup"; }
    } >"$work/tinyproxy.conf"
    chmod 755 "$work"
    timeout -k 5 600 tinyproxy -d -c "$work/tinyproxy.conf" >"$work/tinyproxy.out" 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do
        python3 -c "import socket; socket.create_connection(('127.0.0.1', $proxy_port), 0.2).close()" 2>/dev/null && break
        sleep 0.1
    done
    export TAVISK_PROXY_PORT=$proxy_port TAVISK_PROXY_USER=tester TAVISK_PROXY_PASSWORD=s3cret
fi

"$src/scripts/wine-run" "$@"
rc=$?
if [ $rc != 0 ] && [ -f "$work/tinyproxy.log" ]; then
    echo "--- tinyproxy log" >&2; tail -n 20 "$work/tinyproxy.log" >&2
fi
exit $rc
