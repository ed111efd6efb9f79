#!/bin/bash
# A throwaway PostgreSQL 15 cluster for the line-wide store's tests and bench.
#   pg-cluster.sh start STATE_FILE   starts a cluster on a free local port and
#                                    writes its admin URL and folder to STATE_FILE
#   pg-cluster.sh stop STATE_FILE    stops that cluster and removes its folder
# The server refuses to run as root, so as root the cluster belongs to nobody.
# PG_CLUSTER_DURABLE=1 keeps fsync on (the bench); tests run without it.
set -euo pipefail

BIN=/usr/lib/postgresql/15/bin
action=${1:?start or stop}
state=${2:?state file}

as_owner() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u nobody -- "$@"
  else
    "$@"
  fi
}

case "$action" in
start)
  if [ -f "$state" ]; then "$0" stop "$state"; fi
  dir=$(mktemp -d /tmp/rurizuda-pg.XXXXXX)
  chmod 755 "$dir"
  if [ "$(id -u)" -eq 0 ]; then chown nobody "$dir"; fi
  port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  as_owner "$BIN/initdb" -D "$dir/data" -U postgres --auth=trust -E UTF8 --no-sync >"$dir/initdb.log" 2>&1 \
    || { cat "$dir/initdb.log" >&2; exit 1; }
  options="-k $dir -p $port -h 127.0.0.1 -c max_connections=60"
  [ "${PG_CLUSTER_DURABLE:-0}" = 1 ] || options="$options -c fsync=off -c synchronous_commit=off"
  as_owner "$BIN/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 -o "$options" start >/dev/null \
    || { cat "$dir/server.log" >&2; exit 1; }
  mkdir -p "$(dirname "$state")"
  printf 'postgresql://postgres@127.0.0.1:%s/postgres\n%s\n' "$port" "$dir" >"$state"
  ;;
stop)
  [ -f "$state" ] || exit 0
  dir=$(sed -n 2p "$state")
  if [ -n "$dir" ] && [ -d "$dir/data" ]; then
    as_owner "$BIN/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null 2>&1 || true
  fi
  case "$dir" in /tmp/rurizuda-pg.*) rm -rf "$dir" ;; esac
  rm -f "$state"
  ;;
*)
  echo "usage: $0 start|stop STATE_FILE" >&2
  exit 2
  ;;
esac
