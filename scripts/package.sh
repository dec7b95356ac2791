#!/usr/bin/env bash
# Installs what is missing, builds, and makes the Debian package build/rinova_VERSION_ARCH.deb
# (or in $RINOVA_BUILD_DIR). Install it with: sudo apt install ./build/rinova_*.deb
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${RINOVA_BUILD_DIR:-$root/build}"
bash "$root/scripts/install-deps.sh"
# What the package holds, and nothing else: the tests and benchmarks are not built for it.
bash "$root/scripts/build.sh" rinova rinova-cli rinova_desktop_files
rm -f "$build"/rinova_*.deb
(cd "$build" && cpack -G DEB -B "$build" >/dev/null)
ls "$build"/rinova_*.deb
