#!/usr/bin/env bash
# The service under a load of distinct registrations on each storage engine,
# in one run: SQLite (one instance), PostgreSQL with one instance and with
# two instances on one database. The offered load is the same in each: the
# same number of connections (split across the instances) for the same time.
#
#   benchmarks/registrations_engines.sh [build folder, default build] [seconds, default 10]
#
# PostgreSQL is a private cluster (tools/pg-cluster.sh --durable: flushed
# commits, as SQLite's synchronous=FULL). Prints registrations per second,
# latency percentiles, commits per registration and the ratios, with the load
# average before and after.
#
# BASELINE=path/to/another/registrations runs the PostgreSQL cases with that
# program too, in the same run (each on a database of its own), turn about
# with this build's, so that a change is compared under the same load.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
seconds=${2:-10}
connections=${CONNECTIONS:-32}
bin=$build/bin/registrations
[ -x "$bin" ] || { echo "build registrations first ($bin)" >&2; exit 1; }
baseline=${BASELINE:-}
[ -z "$baseline" ] || [ -x "$baseline" ] || { echo "no program at BASELINE=$baseline" >&2; exit 1; }
command -v wrk >/dev/null || { echo "wrk is missing (apt-get install wrk)" >&2; exit 1; }

work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    tools/pg-cluster.sh destroy "$work/pg" >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

# PG_FSYNC=off measures the same without flushes (to see what the flush costs).
admin=$(tools/pg-cluster.sh create "$work/pg" $([ "${PG_FSYNC:-on}" = on ] && echo --durable))
db_uri() { echo "${admin/\/postgres\?//$1?}"; }
sql() { psql -X -q -At "$1" -c "$2"; }

# Starts one instance of program $1 on database $2 and adds its port to
# `ports`. Not run in $(...): the server's pid must reach `pids` in this
# shell, or it would never be stopped.
start() {
    local out="$work/serve.$RANDOM"
    "$1" serve --db "$2" --listen 127.0.0.1:0 >"$out" 2>/dev/null &
    pids+=($!)
    for _ in $(seq 1 200); do
        if grep -q '^listening on ' "$out" 2>/dev/null; then
            ports+=("$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$out")")
            return
        fi
        sleep 0.05
    done
    echo "the service did not start on $2" >&2
    exit 1
}

stop_all() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    pids=()
}

# wrk against each port at once, the connections split between them; prints
# "rps p50 p90 p99 errors" (latencies in ms, the worst instance's).
load() {
    local each=$((connections / $#)) i=0 files=() clients=()
    for port in "$@"; do
        i=$((i + 1))
        wrk -t1 -c"$each" -d"${seconds}s" --latency -s benchmarks/registrations_engines.lua \
            "http://127.0.0.1:$port" -- "r$RANDOM$RANDOM-$i" >"$work/wrk.$i" &
        clients+=($!)
        files+=("$work/wrk.$i")
    done
    wait "${clients[@]}"
    awk '
        function ms(v) { if (v ~ /us$/) return v / 1000; if (v ~ /ms$/) return v + 0; if (v ~ /s$/) return v * 1000; return v }
        /Requests\/sec:/ { rps += $2 }
        /^ +50%/ { v = ms($2); if (v > p50) p50 = v }
        /^ +90%/ { v = ms($2); if (v > p90) p90 = v }
        /^ +99%/ { v = ms($2); if (v > p99) p99 = v }
        /Non-2xx/ { errors += $NF }
        END { printf "%.0f %.2f %.2f %.2f %d\n", rps, p50, p90, p99, errors }' "${files[@]}"
}

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg); $(nproc) processors; ${seconds}s each, $connections connections"
results=()

# SQLite: one instance, one file.
ports=()
start "$bin" "$work/registrations.db"
line=$(load "${ports[@]}")
stop_all
rows=$(sqlite3 "$work/registrations.db" "SELECT count(*) FROM registrations")
results+=("sqlite 1 $line $rows - build")

programs=("build=$bin")
[ -z "$baseline" ] || programs=("baseline=$baseline" "${programs[@]}")
for instances in 1 2; do
    for entry in "${programs[@]}"; do
        label=${entry%%=*}
        program=${entry#*=}
        name=bench_${label}_$instances
        sql "$admin" "CREATE DATABASE $name"
        uri=$(db_uri "$name")
        ports=()
        for _ in $(seq 1 "$instances"); do start "$program" "$uri"; done
        before=$(sql "$admin" "SELECT xact_commit FROM pg_stat_database WHERE datname = '$name'")
        line=$(load "${ports[@]}")
        stop_all
        after=$(sql "$admin" "SELECT xact_commit FROM pg_stat_database WHERE datname = '$name'")
        rows=$(sql "$uri" "SELECT count(*) FROM registrations")
        results+=("postgresql $instances $line $rows $((after - before)) $label")
    done
done

echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
printf '%-12s %9s %10s %8s %8s %8s %8s %9s %13s %9s\n' engine instances "reg/s" "p50 ms" "p90 ms" \
    "p99 ms" refused stored "regs/commit" program
declare -A rps_of
for r in "${results[@]}"; do
    read -r engine n rps p50 p90 p99 errors rows commits label <<<"$r"
    per="-"
    [ "$commits" != "-" ] && [ "$commits" -gt 0 ] && per=$(awk -v r="$rows" -v c="$commits" 'BEGIN { printf "%.1f", r / c }')
    printf '%-12s %9s %10s %8s %8s %8s %8s %9s %13s %9s\n' "$engine" "$n" "$rps" "$p50" "$p90" "$p99" \
        "$errors" "$rows" "$per" "$label"
    rps_of[$engine.$n.$label]=$rps
done
echo
awk -v s="${rps_of[sqlite.1.build]}" -v a="${rps_of[postgresql.1.build]}" -v b="${rps_of[postgresql.2.build]}" 'BEGIN {
    printf "RATIO postgresql x1 / sqlite: %.2f\n", a / s
    printf "RATIO postgresql x2 / postgresql x1: %.2f\n", b / a
    printf "RATIO postgresql x2 / sqlite: %.2f\n", b / s }'
if [ -n "$baseline" ]; then
    awk -v a="${rps_of[postgresql.1.baseline]}" -v b="${rps_of[postgresql.2.baseline]}" \
        -v c="${rps_of[postgresql.1.build]}" -v d="${rps_of[postgresql.2.build]}" 'BEGIN {
        printf "RATIO baseline postgresql x2 / x1: %.2f\n", b / a
        printf "RATIO build / baseline, postgresql x1: %.2f\n", c / a
        printf "RATIO build / baseline, postgresql x2: %.2f\n", d / b }'
fi
