#!/usr/bin/env bash
# tests/hostile/smoke.sh <source dir> <hostile_inputs.exe> — starts the hostile update service on 127.0.0.1
# (bounded in time and connections) and runs the driver for a fixed number of seeds of each family, with Wine's
# heap checks on, in a private prefix. Fails when a reader crashed, hung or damaged a heap.
set -uo pipefail
src=$1; exe=$2
drive_seeds=600 http_seeds=400 stored_seeds=1000

work=$(mktemp -d "${TMPDIR:-/tmp}/tavisk-hostile-smoke.XXXXXX")
service_pid=""
cleanup() {
    [ -n "$service_pid" ] && kill "$service_pid" 2>/dev/null
    [ -n "$service_pid" ] && wait "$service_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

timeout -k 5 170 python3 "$src/tests/hostile/hostile_service.py" --port-file "$work/service.port" --lifetime 160 \
    --max-connections $((http_seeds + 100)) >"$work/service.out" 2>&1 &
service_pid=$!
for _ in $(seq 100); do [ -s "$work/service.port" ] && break; sleep 0.1; done
if [ ! -s "$work/service.port" ]; then
    echo "smoke: the hostile update service did not start" >&2
    cat "$work/service.out" >&2
    exit 1
fi

"$src/scripts/wine-run" --name hostile_smoke --winver vista --fresh-prefix --timeout 150 \
    --env "WINEDEBUG=fixme-all,warn+heap" --env TAVISK_HOSTILE_PRIVATE_PREFIX=1 -- "$exe" --http-port "$(cat "$work/service.port")" \
    --plan "drive:0:1:$drive_seeds" --plan "http:0:1:$http_seeds" --plan "stored:0:1:$stored_seeds" --http-threads 8 \
    >"$work/out" 2>"$work/err"
rc=$?
cat "$work/out"
heap=$(grep -E "^[0-9a-f]+:(err|warn):heap" "$work/err" | head -n 5)
if [ -n "$heap" ]; then
    echo "smoke: Wine's heap checks complained:" >&2
    echo "$heap" >&2
    rc=1
fi
[ $rc = 0 ] || tail -n 20 "$work/err" >&2
exit $rc
