#!/usr/bin/env bash
# Configures and builds Rinova into build/ (or $RINOVA_BUILD_DIR).
#   scripts/build.sh [-DOPTION=VALUE...] [TARGET...]
# Arguments that start with "-" go to cmake; the others name the targets to build (rinova,
# rinova-cli, test_NAME …), by default all of them: programs, tests and benchmarks.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${RINOVA_BUILD_DIR:-$root/build}"
options=()
targets=()
for arg in "$@"; do
  case "$arg" in
  -*) options+=("$arg") ;;
  *) targets+=("$arg") ;;
  esac
done
cmake -S "$root" -B "$build" -G Ninja "${options[@]}" >/dev/null
ninja -C "$build" "${targets[@]}"
