#!/usr/bin/env bash
# A private, throw-away PostgreSQL cluster for the tests and the benchmarks:
# Debian's PostgreSQL server binaries, a data folder under /tmp, a Unix socket
# in that folder and no TCP port, so that clusters of several builds on one
# machine never meet and nothing outside the machine can reach them.
#
#   pg-cluster.sh create STATE [--durable]   initdb + start; prints the URI
#   pg-cluster.sh down STATE                 stop the server (fast), keep the data
#   pg-cluster.sh up STATE                   start it again on the same data
#   pg-cluster.sh destroy STATE              stop it and remove everything
#
# STATE is a folder of the caller's (it may lie where the server's user cannot
# reach, such as a build tree under /root): it records where the cluster
# lives (STATE/cluster) and the URI to reach it (STATE/uri, the superuser
# "velmora" on the database "postgres").
#
# The server refuses to run as root, so as root it runs as "nobody". Without
# --durable the server does not flush to disk (fsync=off): a test stops the
# server cleanly or kills a client, never the machine, so flushes would only
# cost time. Benchmarks pass --durable.
set -euo pipefail

usage() {
    echo "usage: $0 create|down|up|destroy STATE [--durable]" >&2
    exit 2
}
[ $# -ge 2 ] || usage
action=$1
state=$2
durable=${3:-}

bindir=$(pg_config --bindir 2>/dev/null || true)
# pg_config of libpq-dev may name a folder without the server; take the
# newest installed server then.
if [ ! -x "$bindir/initdb" ]; then
    bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
fi
if [ ! -x "$bindir/initdb" ]; then
    echo "pg-cluster: no PostgreSQL server found (install Debian's postgresql)" >&2
    exit 1
fi

# Runs a server program as the cluster's owner.
as_owner() {
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u nobody -- "$@"
    else
        "$@"
    fi
}

cluster_dir() {
    [ -f "$state/cluster" ] || {
        echo "pg-cluster: $state holds no cluster" >&2
        exit 1
    }
    cat "$state/cluster"
}

start() {
    local dir=$1
    # -w waits until the server accepts connections (bounded by -t).
    as_owner "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 start >/dev/null || {
        echo "pg-cluster: the server did not start; its log:" >&2
        cat "$dir/server.log" >&2 || true
        exit 1
    }
}

case "$action" in
create)
    mkdir -p "$state"
    if [ -f "$state/cluster" ]; then
        # A cluster left behind by an interrupted run.
        "$0" destroy "$state" || true
    fi
    dir=$(mktemp -d /tmp/velmora-pg.XXXXXX)
    echo "$dir" >"$state/cluster"
    [ "$(id -u)" -eq 0 ] && chown nobody "$dir"
    chmod 0700 "$dir"
    as_owner "$bindir/initdb" --no-sync -D "$dir/data" -U velmora --auth=trust -E UTF8 \
        --locale=C >"$dir/initdb.log" 2>&1 || {
        cat "$dir/initdb.log" >&2
        exit 1
    }
    fsync=off
    [ "$durable" = --durable ] && fsync=on
    cat >>"$dir/data/postgresql.conf" <<EOF
listen_addresses = ''
unix_socket_directories = '$dir'
fsync = $fsync
full_page_writes = $fsync
max_connections = 200
EOF
    start "$dir"
    uri="postgresql:///postgres?host=$dir&user=velmora"
    echo "$uri" >"$state/uri"
    echo "$uri"
    ;;
down)
    dir=$(cluster_dir)
    as_owner "$bindir/pg_ctl" -D "$dir/data" -m fast -w -t 60 stop >/dev/null
    ;;
up)
    start "$(cluster_dir)"
    ;;
destroy)
    [ -f "$state/cluster" ] || exit 0
    dir=$(cat "$state/cluster")
    if [ -d "$dir/data" ]; then
        as_owner "$bindir/pg_ctl" -D "$dir/data" -m immediate -w -t 60 stop >/dev/null 2>&1 || true
    fi
    case "$dir" in
    /tmp/velmora-pg.*) rm -rf "$dir" ;;
    esac
    rm -f "$state/cluster" "$state/uri"
    ;;
*) usage ;;
esac
