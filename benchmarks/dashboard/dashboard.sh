#!/usr/bin/env bash
# The dashboard at scale (a benchmark, never part of pass/fail):
#   benchmarks/dashboard/dashboard.sh [BUILD_DIR] [COUNT]
# Needs a build with -DVELMORA_BUILD_BENCHMARKS=ON (dashboard_fill), wrk and
# chromium. Fills a database with COUNT generated registrations over the last
# 365 days (kept in BUILD_DIR/bench-dashboard for the next run), starts the
# service with its dashboard and reports:
#   - each API call the page makes: median and 99th percentile (wrk, one
#     connection, the page's first period of 30 days and all time);
#   - the whole dashboard drawn in headless Chromium (wall time to the first
#     complete picture, less Chromium's own start on a page without data);
#   - registrations per second with the page open beside them and without it,
#     in the same run (without, with, without again), with the machine's load;
#   - screenshots at laptop and phone width.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
count=${2:-1000000}
work=$build/bench-dashboard
mkdir -p "$work"
db=$work/registrations-$count.db

if [ ! -f "$db" ]; then
    echo "filling $db with $count registrations..."
    start=$(date +%s)
    "$build/bin/dashboard_fill" "$db.tmp" "$count" 365
    for f in "$db.tmp" "$db.tmp-wal" "$db.tmp-shm"; do
        [ -f "$f" ] && mv "$f" "${f/.tmp/}"
    done
    echo "filled in $(($(date +%s) - start)) s"
fi
# Each run writes registrations of its own; they go to a copy.
cp "$db" "$work/run.db"
[ -f "$db-wal" ] && cp "$db-wal" "$work/run.db-wal"
openssl rand -hex 32 >"$work/token"
chmod 600 "$work/token"
token=$(cat "$work/token")

# wrk's connections all come from one address: the limit per address is raised.
"$build/bin/registrations" serve --db "$work/run.db" --listen 127.0.0.1:0 --per-address-limit 256 \
    --admin-token-file "$work/token" --admin-listen 127.0.0.1:0 \
    >"$work/serve.out" 2>/dev/null &
service=$!
trap 'kill $service 2>/dev/null; wait $service 2>/dev/null || true' EXIT
for _ in $(seq 100); do
    grep -q '^admin on' "$work/serve.out" 2>/dev/null && break
    sleep 0.1
done
public=http://$(sed -n 's/^listening on //p' "$work/serve.out")
admin=http://$(sed -n 's/^admin on //p' "$work/serve.out")
echo "service: registrations on $public, dashboard on $admin"
echo "machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"

# wrk's latency distribution: "50%" and "99%" lines.
percentiles() {
    wrk -t1 -c1 -d"$2" --latency -H "Authorization: Bearer $token" "$1" |
        awk '/^ +50%/ {m=$2} /^ +99%/ {p=$2} /Requests\/sec/ {r=$2} END {printf "median %8s  p99 %8s  (%s/s)\n", m, p, r}'
}

today=$(date -u +%F)
month_ago=$(date -u -d '29 days ago' +%F)
echo
echo "API at $count registrations (one connection, 5 s each):"
for period in "from=$month_ago&to=$today" ""; do
    label=${period:-all time}
    [ -n "$period" ] && label="last 30 days"
    for route in summary days countries languages "questions?section=0" latest sections; do
        sep='?'
        [[ $route == *\?* ]] && sep='&'
        url="$admin/admin/api/$route"
        [ -n "$period" ] && url="$url$sep$period"
        printf '  %-14s %-22s ' "$label" "${route%%\?*}"
        percentiles "$url" 5s
    done
done

profile=$(mktemp -d)
# Chromium's own start and stop are measured on a page of the same service
# without data (the style sheet) and taken off: what remains is the page's
# load, its API calls and the drawing of every chart. The virtual-time budget
# (shorter than the page's refresh period) ends the run once the first
# complete picture stands and the network is idle.
browse() {
    rm -rf "$profile"/*
    local start end
    start=$(date +%s%N)
    timeout 120 chromium --headless --no-sandbox --disable-gpu --no-first-run \
        --user-data-dir="$profile" --window-size=1366,900 --virtual-time-budget=2000 --dump-dom \
        "$1" >"$work/dom.html" 2>/dev/null || true
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}
echo
echo "Dashboard draw in headless Chromium (wall time of a run to the first complete picture,"
echo "less the same run on a page without data), 3 runs:"
for run in 1 2 3; do
    bare=$(browse "$admin/admin/dashboard.css")
    full=$(browse "$admin/admin/#token=$token")
    refreshes=$(grep -o 'data-refreshes="[0-9]*"' "$work/dom.html" | grep -o '[0-9]*' || echo 0)
    echo "  run $run: $((full - bare)) ms  (run ${full} ms, bare ${bare} ms, pictures drawn: ${refreshes})"
done

for shot in "laptop 1366,2600" "phone 390,5200"; do
    set -- $shot
    rm -rf "$profile"/*
    timeout 60 chromium --headless --no-sandbox --disable-gpu --no-first-run --hide-scrollbars \
        --user-data-dir="$profile" --window-size="$2" --virtual-time-budget=10000 \
        --screenshot="$work/dashboard-$1.png" "$admin/admin/#token=$token" >/dev/null 2>&1 || true
    echo "screenshot: $work/dashboard-$1.png"
done

echo
echo "Registrations per second (wrk, 2 threads, 64 connections, 20 s each), same run:"
# The registrations load benchmark's requests: distinct, wizard-shaped, ~600 bytes.
load() {
    wrk -t2 -c64 -d20s --latency -s "$here/../registrations_engines.lua" "$public" -- "d$RANDOM$RANDOM" |
        awk '/^ +50%/ {m=$2} /^ +99%/ {p=$2} /Requests\/sec/ {r=$2} /Socket errors|Non-2xx/ {e=e " [" $0 "]"}
             END {printf "%10s/s  median %8s  p99 %8s%s", r, m, p, e}'
    echo "  (load $(cut -d' ' -f1 /proc/loadavg))"
}
printf '  without the page:   '
load
rm -rf "$profile"/*
chromium --headless --no-sandbox --disable-gpu --no-first-run --user-data-dir="$profile" \
    --window-size=1366,900 --timeout=60000 --dump-dom "$admin/admin/#token=$token" \
    >"$work/polling.html" 2>/dev/null &
browser=$!
sleep 3 # the page's first picture, before the load starts
printf '  with the page open: '
load
kill $browser 2>/dev/null || true
wait $browser 2>/dev/null || true
printf '  without the page:   '
load
rm -rf "$profile"
