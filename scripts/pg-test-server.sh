#!/bin/sh
# A throwaway PostgreSQL server for the tests: Unix socket only, trust for the postgres user,
# plus a password role (tarnwick_pw / right-password) to test failed logins.
#   pg-test-server.sh start DIR PORT    (re)creates the server in DIR and waits until it is ready
#   pg-test-server.sh start-durable DIR PORT   the same with the server's shipped durability
#                                       (fsync on), for benchmarks
#   pg-test-server.sh stop DIR PORT     stops it and removes DIR
# Run as root, it runs the server as postgres, which needs to reach DIR (under /tmp, say) and
# nothing else: the checkout may be closed to it.
set -eu

usage() {
    echo "usage: $0 start|start-durable|stop DIR PORT" >&2
    exit 2
}

[ $# -eq 3 ] || usage
action=$1
dir=$2
port=$3
case "$dir" in
/*) ;;
*) echo "$0: DIR must be an absolute path" >&2 && exit 2 ;;
esac

find_bindir() {
    newest=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
    if [ -n "$newest" ] && [ -x "$newest/pg_ctl" ]; then
        echo "$newest"
    elif command -v pg_config >/dev/null 2>&1; then
        pg_config --bindir
    else
        echo "$0: no PostgreSQL server binaries found" >&2
        exit 1
    fi
}

bindir=$(find_bindir)
data="$dir/data"
socket="$dir/socket"

# The server refuses to run as root, so as root it runs as the postgres user, from / since the
# caller's folder (a checkout under /root, say) may be closed to that user.
as_owner() {
    if [ "$(id -u)" -eq 0 ]; then
        (cd / && runuser -u postgres -- "$@")
    else
        "$@"
    fi
}

stop_server() {
    if [ -f "$data/postmaster.pid" ]; then
        as_owner "$bindir/pg_ctl" -D "$data" -m immediate -w -t 30 stop >/dev/null 2>&1 || true
    fi
    rm -rf "$dir"
}

start_server() {
    stop_server
    # Only DIR is handed to the postgres user; it must be able to reach it, so DIR belongs
    # under /tmp, not in the checkout.
    umask 022
    mkdir -p "$(dirname "$dir")"
    mkdir "$dir" "$socket"
    if [ "$(id -u)" -eq 0 ]; then
        chown -R postgres: "$dir"
        as_owner test -w "$dir" || {
            echo "$0: the postgres user cannot reach $dir; use a folder under /tmp" >&2
            exit 1
        }
    fi
    as_owner "$bindir/initdb" -D "$data" -U postgres -A trust -E UTF8 --no-locale --no-sync \
        >"$dir/initdb.log" 2>&1 || {
        cat "$dir/initdb.log" >&2
        exit 1
    }
    cat >"$data/pg_hba.conf" <<HBA
local all tarnwick_pw scram-sha-256
local all postgres trust
HBA
    cat >>"$data/postgresql.conf" <<CONF
listen_addresses = ''
unix_socket_directories = '$socket'
port = $port
max_connections = 200
CONF
    # For tests durability is off: the data is thrown away afterwards.
    if [ "$action" = start ]; then
        printf 'fsync = off\nsynchronous_commit = off\nfull_page_writes = off\n' \
            >>"$data/postgresql.conf"
    fi
    as_owner "$bindir/pg_ctl" -D "$data" -l "$dir/server.log" -w -t 60 start >/dev/null || {
        cat "$dir/server.log" >&2
        exit 1
    }
    as_owner "$bindir/psql" -X -q -v ON_ERROR_STOP=1 -h "$socket" -p "$port" -U postgres \
        -d postgres -c "CREATE ROLE tarnwick_pw LOGIN PASSWORD 'right-password'"
}

case "$action" in
start | start-durable) start_server ;;
stop) stop_server ;;
*) usage ;;
esac
