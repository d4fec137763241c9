#!/usr/bin/env bash
# The registration service under a load of distinct registrations (targets of
# about 600 bytes, none a Retry of another), against two baselines measured in
# the same run, on loopback with wrk:
#   ceiling      the same HTTP stack and threads answering ok`|`1, storing nothing
#   per-request  the same request path storing each registration in its own
#                flushed commit (what the service would do without group commit)
#   service      registrations serve: group commit, every answer after its flush
#
#   benchmarks/registrations_load.sh [build folder, default build] [seconds, default 10]
#
# Needs a build with -DVELMORA_BUILD_BENCHMARKS=ON (registrations_baseline).
# Prints registrations per second, latency percentiles, how many were stored
# and committed per flush, the ratios to the ceiling, and the load average
# before and after; then checks that every registration answered ok is stored.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
seconds=${2:-10}
connections=${CONNECTIONS:-256}
threads=${THREADS:-2}
service=$build/bin/registrations
baseline=$build/bin/registrations_baseline
for b in "$service" "$baseline"; do
    [ -x "$b" ] || { echo "missing $b (configure with -DVELMORA_BUILD_BENCHMARKS=ON and build)" >&2; exit 1; }
done
command -v wrk >/dev/null || { echo "wrk is missing (apt-get install wrk)" >&2; exit 1; }

work=$(mktemp -d)
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Starts a server (its command line as arguments); sets pid and port.
start() {
    local out="$work/serve.$RANDOM"
    "$@" >"$out" 2>/dev/null &
    pid=$!
    for _ in $(seq 1 200); do
        if grep -q '^listening on ' "$out" 2>/dev/null; then
            port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$out")
            return
        fi
        sleep 0.05
    done
    echo "did not start: $*" >&2
    exit 1
}

# The server's processor time so far, in clock ticks (user + system).
ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }

stop() {
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    pid=
}

# wrk against the port; prints "rps p50 p90 p99 failed ok" (failed: other
# statuses and socket errors).
load() {
    wrk -t"$threads" -c"$connections" -d"${seconds}s" --latency \
        -s benchmarks/registrations_engines.lua "http://127.0.0.1:$1" -- "l$RANDOM$RANDOM" \
        >"$work/wrk.out"
    awk '
        function ms(v) { if (v ~ /us$/) return v / 1000; if (v ~ /ms$/) return v + 0; if (v ~ /s$/) return v * 1000; return v }
        /Requests\/sec:/ { rps = $2 }
        /requests in/ { total = $1 }
        /^ +50%/ { p50 = ms($2) }
        /^ +90%/ { p90 = ms($2) }
        /^ +99%/ { p99 = ms($2) }
        /Non-2xx/ { errors = $NF }
        /Socket errors/ { gsub(",", ""); errors += $4 + $6 + $8 + $10 }
        END { printf "%.0f %.2f %.2f %.2f %d %d\n", rps, p50, p90, p99, errors, total - errors }' "$work/wrk.out"
}

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg); $(nproc) processors;" \
    "${seconds}s each, $connections connections, $threads wrk threads"
results=()

start "$baseline" ceiling
line=$(load "$port")
results+=("ceiling $line - - $(ticks)")
stop

start "$baseline" per-request "$work/per-request.db"
line=$(load "$port")
cpu=$(ticks)
stop
rows=$(sqlite3 "$work/per-request.db" "SELECT count(*) FROM registrations")
results+=("per-request $line $rows - $cpu")

# wrk's connections all come from 127.0.0.1, like a proxy's: the limit per
# address is raised to the limit in all (the baselines do the same).
start "$service" serve --db "$work/service.db" --listen 127.0.0.1:0 --per-address-limit 4000
line=$(load "$port")
cpu=$(ticks)
stop
rows=$(sqlite3 "$work/service.db" "SELECT count(*) FROM registrations")
results+=("service $line $rows - $cpu")

echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
hz=$(getconf CLK_TCK)
printf '%-12s %9s %8s %8s %8s %8s %9s %9s %12s\n' server "reg/s" "p50 ms" "p90 ms" "p99 ms" \
    failed answered stored "cpu us/reg"
for r in "${results[@]}"; do
    read -r name rps p50 p90 p99 errors ok rows _ cpu <<<"$r"
    per=$(awk -v t="$cpu" -v n="$ok" -v hz="$hz" 'BEGIN { printf "%.0f", t / hz * 1e6 / n }')
    printf '%-12s %9s %8s %8s %8s %8s %9s %9s %12s\n' "$name" "$rps" "$p50" "$p90" "$p99" \
        "$errors" "$ok" "$rows" "$per"
done
echo
read -r _ ceiling_rps _ <<<"${results[0]}"
read -r _ naive_rps _ _ _ _ naive_ok naive_rows _ <<<"${results[1]}"
read -r _ service_rps _ _ _ _ service_ok service_rows _ <<<"${results[2]}"
awk -v c="$ceiling_rps" -v n="$naive_rps" -v s="$service_rps" 'BEGIN {
    printf "RATIO service / ceiling: %.2f (goal at least 0.70)\n", s / c
    printf "RATIO per-request / ceiling: %.2f\n", n / c
    printf "RATIO service / per-request: %.2f\n", s / n
}'
# Every answered registration is a row (distinct targets: no Retry among them).
[ "$service_rows" -ge "$service_ok" ] && [ "$naive_rows" -ge "$naive_ok" ] ||
    { echo "FEWER ROWS THAN REGISTRATIONS ANSWERED ok" >&2; exit 1; }
echo "every registration answered ok is stored (service $service_ok answered, $service_rows rows)"
