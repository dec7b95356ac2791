#!/usr/bin/env bash
# Starts the print scheduler by hand (no service manager needed) and, when asked, a PDF queue
# whose jobs land as PDF files in a folder. Safe to run again: a running scheduler and an
# existing queue are reused.
#
#   cups-start.sh                               scheduler only
#   cups-start.sh QUEUE OUTDIR [--default]      plus a PDF queue writing into OUTDIR
#
# The pid of a scheduler started here is kept in $RINOVA_CUPS_PIDFILE (default
# /tmp/rinova-cupsd.pid) so that cups-stop.sh ends only that process.
set -euo pipefail

PIDFILE=${RINOVA_CUPS_PIDFILE:-/tmp/rinova-cupsd.pid}
queue=${1:-}
outdir=${2:-}
make_default=${3:-}

if ! command -v cupsd >/dev/null 2>&1; then
  echo "cups-start: cupsd is not installed" >&2
  exit 3
fi

running() { lpstat -r 2>/dev/null | grep -q "scheduler is running"; }

if ! running; then
  mkdir -p /run/cups /var/spool/cups /var/cache/cups /var/log/cups
  # -f keeps cupsd in the foreground of its own session, so $! is the scheduler itself.
  setsid cupsd -f </dev/null >/dev/null 2>&1 &
  echo $! >"$PIDFILE"
  for _ in $(seq 1 100); do
    running && break
    sleep 0.1
  done
  if ! running; then
    echo "cups-start: the scheduler did not come up" >&2
    exit 1
  fi
fi

if [ -n "$queue" ]; then
  if [ -z "$outdir" ]; then
    echo "usage: cups-start.sh [QUEUE OUTDIR [--default]]" >&2
    exit 2
  fi
  mkdir -p "$outdir"
  chmod 0777 "$outdir"
  # The backend reads cups-pdf-NAME.conf for the device URI cups-pdf:/NAME.
  printf 'Out %s\nAnonDirName %s\nLabel 0\n' "$outdir" "$outdir" >"/etc/cups/cups-pdf-$queue.conf"
  lpadmin -p "$queue" -E -v "cups-pdf:/$queue" -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd \
    -o pdftops-renderer-default=pdftocairo
  cupsenable "$queue" 2>/dev/null || true
  cupsaccept "$queue" 2>/dev/null || true
  if [ "$make_default" = "--default" ]; then
    lpadmin -d "$queue"
  fi
fi
