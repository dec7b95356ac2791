#!/usr/bin/env bash
# Installs what is missing, builds the program (only it, and what it needs: no tests or
# benchmarks) and starts it. Arguments go to the program, e.g. an address file to open.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" rinova
exec "${RINOVA_BUILD_DIR:-$root/build}/app/rinova" "$@"
