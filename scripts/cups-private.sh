#!/usr/bin/env bash
# A print scheduler of its own in one folder: configuration, spool, logs and a local socket, so
# that tests and trials never use, start, stop or change the machine's own printing system.
# Jobs of its PDF queue land as PDF files in DIR/out (PostScript from the driver's filters,
# turned into PDF by Ghostscript, as a PDF printer does).
#
#   cups-private.sh start DIR [QUEUE]   start the scheduler (and a PDF queue, its default);
#                                       prints CUPS_SERVER=DIR/cups.sock
#   cups-private.sh queue DIR QUEUE     add another PDF queue writing into DIR/out
#   cups-private.sh wait DIR [SECONDS]  wait until no job is pending (default 60)
#   cups-private.sh stop DIR            end the scheduler started in DIR
#
# Needs root (the scheduler hands jobs to filters as user lp). Exit 3 when it cannot run here.
set -euo pipefail

cmd=${1:-}
dir=${2:-}
[ -n "$cmd" ] && [ -n "$dir" ] || {
  sed -n '7,12p' "$0" >&2
  exit 2
}
dir=$(mkdir -p "$dir" && cd "$dir" && pwd)
export CUPS_SERVER="$dir/cups.sock"
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd

running() { lpstat -r 2>/dev/null | grep -q "scheduler is running"; }

add_queue() {
  local queue=$1
  lpadmin -p "$queue" -E -v "rinova-pdf:$dir/out" -P "$ppd" \
    -o pdftops-renderer-default=pdftocairo
  cupsenable "$queue"
  cupsaccept "$queue"
}

case "$cmd" in
start)
  queue=${3:-}
  if [ "$(id -u)" -ne 0 ]; then
    echo "cups-private: a scheduler of its own needs root" >&2
    exit 3
  fi
  for tool in cupsd lpadmin lpstat gs; do
    command -v "$tool" >/dev/null || {
      echo "cups-private: $tool is not installed" >&2
      exit 3
    }
  done
  [ -f "$ppd" ] || {
    echo "cups-private: $ppd is missing" >&2
    exit 3
  }
  if ! running; then
    # Filters run as lp and read the spool inside this folder.
    chmod 0755 "$dir"
    mkdir -p "$dir"/{etc/ppd,spool/tmp,cache,state,log,out,bin}
    chmod 0777 "$dir/out"
    # The machine's filters and daemons, with a backend of our own beside its backends.
    for part in /usr/lib/cups/*; do
      [ "$(basename "$part")" = backend ] || ln -sfn "$part" "$dir/bin/"
    done
    mkdir -p "$dir/bin/backend"
    cat >"$dir/bin/backend/rinova-pdf" <<'BACKEND'
#!/bin/sh
# Writes each job as DIR/out/job-ID.pdf; the file appears whole, by rename.
[ $# -eq 0 ] && { echo 'file rinova-pdf "Unknown" "PDF files"'; exit 0; }
out=${DEVICE_URI#rinova-pdf:}
part="$out/.job-$1.part"
if [ $# -ge 6 ]; then src=$6; else src=-; fi
gs -q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=pdfwrite -sOutputFile="$part" "$src" >/dev/null 2>&1 ||
  { rm -f "$part"; exit 1; }
chmod 0644 "$part"
mv "$part" "$out/job-$1.pdf"
BACKEND
    # Only a backend without permissions for others runs as root, which the output folder needs.
    chmod 0700 "$dir/bin/backend/rinova-pdf"
    cat >"$dir/cups-files.conf" <<CONF
ServerRoot $dir/etc
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
ServerBin $dir/bin
DataDir /usr/share/cups
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
Printcap $dir/printcap
SystemGroup root lpadmin
User lp
Group lp
CONF
    cat >"$dir/cupsd.conf" <<CONF
Listen $dir/cups.sock
Browsing No
LogLevel warn
MaxLogSize 0
WebInterface No
DefaultAuthType Basic
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
    setsid cupsd -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" </dev/null \
      >"$dir/log/cupsd.out" 2>&1 &
    echo $! >"$dir/cupsd.daemon"
    for _ in $(seq 1 100); do
      running && break
      sleep 0.1
    done
    running || {
      echo "cups-private: the scheduler did not come up:" >&2
      cat "$dir/log/cupsd.out" "$dir/log/error_log" 2>/dev/null >&2
      exit 1
    }
  fi
  if [ -n "$queue" ]; then
    add_queue "$queue"
    lpadmin -d "$queue"
  fi
  echo "CUPS_SERVER=$CUPS_SERVER"
  ;;
queue)
  add_queue "${3:?queue name}"
  ;;
wait)
  limit=${3:-60}
  end=$((SECONDS + limit))
  while [ "$SECONDS" -lt "$end" ]; do
    [ -z "$(lpstat -o 2>/dev/null)" ] && exit 0
    sleep 0.2
  done
  echo "cups-private: jobs still pending after ${limit}s:" >&2
  lpstat -o >&2
  exit 1
  ;;
stop)
  if [ -f "$dir/cupsd.daemon" ]; then
    pid=$(cat "$dir/cupsd.daemon")
    if kill "$pid" 2>/dev/null; then
      for _ in $(seq 1 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
      done
      kill -9 "$pid" 2>/dev/null || true
    fi
    rm -f "$dir/cupsd.daemon"
  fi
  ;;
*)
  sed -n '7,12p' "$0" >&2
  exit 2
  ;;
esac
