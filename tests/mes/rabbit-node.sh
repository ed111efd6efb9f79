#!/bin/bash
# A throwaway RabbitMQ node with its AMQP 1.0 plugin for the MES hand-off's
# tests and bench. It never touches the system's own node: its own name,
# loopback ports, Erlang port mapper, data and log folders.
#   rabbit-node.sh start STATE_FILE   starts a node on free local ports and
#                                     writes its AMQP URL and folder to STATE_FILE
#   rabbit-node.sh pause STATE_FILE   stops the broker inside the node (clients are cut off)
#   rabbit-node.sh resume STATE_FILE  starts it again
#   rabbit-node.sh stop STATE_FILE    stops that node and removes its folder
set -euo pipefail

BIN=/usr/lib/rabbitmq/bin
WAIT_SECONDS=60
action=${1:?start, pause, resume or stop}
state=${2:?state file}

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# The node's environment, from its folder (line 2 of the state file) and ports.
node_env() {
  local dir=$1
  # shellcheck disable=SC1091
  . "$dir/ports"
  export HOME="$dir"
  export RABBITMQ_NODENAME="rurizuda-$amqp_port@localhost"
  export RABBITMQ_NODE_IP_ADDRESS=127.0.0.1
  export RABBITMQ_NODE_PORT="$amqp_port"
  export RABBITMQ_DIST_PORT="$dist_port"
  export ERL_EPMD_PORT="$epmd_port"
  export ERL_EPMD_ADDRESS=127.0.0.1
  export RABBITMQ_MNESIA_BASE="$dir/mnesia"
  export RABBITMQ_LOG_BASE="$dir/log"
  export RABBITMQ_ENABLED_PLUGINS_FILE="$dir/enabled_plugins"
  export RABBITMQ_CONFIG_FILE="$dir/rabbitmq.conf"
  export RABBITMQ_ADVANCED_CONFIG_FILE="$dir/advanced.config"
  export RABBITMQ_CONF_ENV_FILE="$dir/rabbitmq-env.conf"
  export RABBITMQ_PID_FILE="$dir/rabbit.pid"
  export RABBITMQ_PLUGINS_EXPAND_DIR="$dir/plugins-expand"
}

ctl() {
  "$BIN/rabbitmqctl" -n "$RABBITMQ_NODENAME" "$@" >/dev/null
}

case "$action" in
start)
  if [ -f "$state" ]; then "$0" stop "$state"; fi
  dir=$(mktemp -d /tmp/rurizuda-rabbit.XXXXXX)
  printf 'amqp_port=%s\ndist_port=%s\nepmd_port=%s\n' "$(free_port)" "$(free_port)" "$(free_port)" >"$dir/ports"
  mkdir -p "$dir/mnesia" "$dir/log"
  echo '[rabbitmq_amqp1_0].' >"$dir/enabled_plugins"
  : >"$dir/rabbitmq-env.conf"
  echo '[].' >"$dir/advanced.config"
  # Messages stay in memory: the tests need no disk safety from the broker.
  printf 'listeners.tcp.default = %s\n' "$(sed -n 's/^amqp_port=//p' "$dir/ports")" >"$dir/rabbitmq.conf"
  node_env "$dir"
  nohup "$BIN/rabbitmq-server" >"$dir/server.log" 2>&1 &
  if ! "$BIN/rabbitmqctl" -n "$RABBITMQ_NODENAME" wait --timeout "$WAIT_SECONDS" "$RABBITMQ_PID_FILE" >/dev/null 2>&1; then
    cat "$dir/server.log" >&2
    "$0" stop-dir "$dir" || true
    exit 1
  fi
  mkdir -p "$(dirname "$state")"
  printf 'amqp://127.0.0.1:%s\n%s\n' "$RABBITMQ_NODE_PORT" "$dir" >"$state"
  ;;
pause | resume)
  dir=$(sed -n 2p "$state")
  node_env "$dir"
  if [ "$action" = pause ]; then ctl stop_app; else ctl start_app; ctl await_startup; fi
  ;;
stop)
  [ -f "$state" ] || exit 0
  "$0" stop-dir "$(sed -n 2p "$state")"
  rm -f "$state"
  ;;
stop-dir)
  dir=${3:-$2}
  case "$dir" in /tmp/rurizuda-rabbit.*) ;; *) exit 0 ;; esac
  if [ -f "$dir/ports" ]; then
    node_env "$dir"
    ctl stop "$RABBITMQ_PID_FILE" 2>/dev/null || true
    epmd -port "$ERL_EPMD_PORT" -kill >/dev/null 2>&1 || true
  fi
  rm -rf "$dir"
  ;;
*)
  echo "usage: $0 start|pause|resume|stop STATE_FILE" >&2
  exit 2
  ;;
esac
