#!/usr/bin/env bash
# Removes a queue made by cups-start.sh (when named) and ends the scheduler that cups-start.sh
# started, and only that one, unless other queues are still there.
#
#   cups-stop.sh [QUEUE]
set -uo pipefail

PIDFILE=${RINOVA_CUPS_PIDFILE:-/tmp/rinova-cupsd.pid}
queue=${1:-}

if [ -n "$queue" ]; then
  lpadmin -x "$queue" 2>/dev/null
  rm -f "/etc/cups/cups-pdf-$queue.conf"
fi

if [ -f "$PIDFILE" ]; then
  pid=$(cat "$PIDFILE")
  # Queues of others (a test running beside this one) keep the scheduler alive.
  if lpstat -v 2>/dev/null | grep -q .; then
    rm -f "$PIDFILE"
    exit 0
  fi
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill "$pid"
    for _ in $(seq 1 50); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
  fi
  rm -f "$PIDFILE"
fi
exit 0
