#!/usr/bin/env bash
# Configures and builds Rinova into build/ (or $RINOVA_BUILD_DIR). Extra arguments go to cmake.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${RINOVA_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -G Ninja "$@" >/dev/null
ninja -C "$build"
