#!/usr/bin/env bash
# Installs what is missing, builds, starts the print service the tests use, and runs every test.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${RINOVA_BUILD_DIR:-$root/build}"
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"
if [ -x "$root/scripts/cups-start.sh" ] || [ -f "$root/scripts/cups-start.sh" ]; then
  bash "$root/scripts/cups-start.sh"
  trap 'bash "$root/scripts/cups-stop.sh" || true' EXIT
fi
ctest --test-dir "$build" --output-on-failure -j2
