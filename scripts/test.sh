#!/usr/bin/env bash
# Installs what is missing, builds, starts the print service the tests use, and runs every
# test: the suite, the same suite under AddressSanitizer and UndefinedBehaviorSanitizer, and
# each fuzz target for a bounded time (RINOVA_FUZZ_SECONDS, default 60).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${RINOVA_BUILD_DIR:-$root/build}"
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"
bash "$root/scripts/cups-start.sh"

log="$(mktemp)"
trap 'rm -f "$log"; bash "$root/scripts/cups-stop.sh" || true' EXIT
count() { sed -n 's/.*tests passed, 0 tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -n 1; }

echo "== test suite"
ctest --test-dir "$build" --output-on-failure -j2 | tee "$log"
plain=$(count)
echo "== test suite under sanitizers"
bash "$root/scripts/test-sanitize.sh" | tee "$log"
sanitized=$(count)
echo "== fuzz targets"
bash "$root/scripts/fuzz-run.sh" "${RINOVA_FUZZ_SECONDS:-60}" | tee "$log"
fuzzed=$(grep -c ': ok, ' "$log" || true)
echo "suite ${plain:-0}, under sanitizers ${sanitized:-0}, fuzz targets ${fuzzed:-0}"
echo "$(( ${plain:-0} + ${sanitized:-0} + ${fuzzed:-0} )) passed, 0 failed"
