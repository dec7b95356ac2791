#!/usr/bin/env bash
# Waits until the scheduler holds no unfinished job (lpstat -o prints nothing).
#
#   cups-wait.sh [SECONDS]     default 60; exit 1 when jobs are still there at the end
set -uo pipefail

limit=${1:-60}
end=$((SECONDS + limit))
while [ "$SECONDS" -lt "$end" ]; do
  if [ -z "$(lpstat -o 2>/dev/null)" ]; then
    exit 0
  fi
  sleep 0.2
done
echo "cups-wait: jobs still pending after ${limit}s:" >&2
lpstat -o >&2
exit 1
