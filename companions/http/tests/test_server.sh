#!/bin/sh
# test_server.sh start|stop STATE_DIR: runs the HTTP module's test server in
# the background, detached from ctest's pipes, and stops it again.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
state=$2
mkdir -p "$state"
case $1 in
  start)
    rm -f "$state/port" "$state/pid"
    setsid python3 "$here/http_test_server.py" --port-file "$state/port" \
      </dev/null >/dev/null 2>&1 &
    echo $! >"$state/pid"
    for _ in $(seq 100); do
      [ -s "$state/port" ] && exit 0
      sleep 0.1
    done
    echo "the test server did not start" >&2
    exit 1
    ;;
  stop)
    if [ -s "$state/pid" ]; then
      kill "$(cat "$state/pid")" 2>/dev/null || true
    fi
    rm -f "$state/port" "$state/pid"
    ;;
esac
