#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the suite, the same suite built with
# AddressSanitizer and UndefinedBehaviorSanitizer, and each fuzz target for a bounded time
# (RINOVA_FUZZ_SECONDS, default 60). Tests that print start print schedulers of their own: the
# machine's printing system is never used or changed.
#
#   scripts/test.sh            everything; about 15-25 minutes on two cores
#   scripts/test.sh --quick    build and the suite only, for day-to-day work
#
# The last lines give the counts of each suite and the time it took with its build, then
# "N passed, F failed", with ", S skipped (why)" when tests were skipped; the exit status is
# non-zero when anything failed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${RINOVA_BUILD_DIR:-$root/build}"
quick=0
case "${1:-}" in
"") ;;
--quick) quick=1 ;;
*)
  sed -n '7,8s/^#//p' "$0" >&2
  exit 2
  ;;
esac

bash "$root/scripts/install-deps.sh"

log="$(mktemp)"
reasons="$(mktemp)"
trap 'rm -f "$log" "$reasons"' EXIT
summary=()
passed_all=0
failed_all=0
skipped_all=0

# Runs one suite with its output shown and kept, and notes "NAME: P passed, F failed (TIME)".
# A suite that stops before its summary (a build error, a crash) counts as one failure. For a
# ctest suite, TESTDIR is its build folder, where the reasons of skipped tests are found.
run_suite() {
  local name=$1 kind=$2 testdir=$3
  shift 3
  echo "== $name"
  local start=$SECONDS
  set +e
  "$@" 2>&1 | tee "$log"
  local status=${PIPESTATUS[0]}
  set -e
  local took=$((SECONDS - start))
  local passed=0 failed=0 skipped=0 total=
  if [ "$kind" = ctest ]; then
    total=$(sed -n 's/.*tests passed, \([0-9]*\) tests\{0,1\} failed out of \([0-9]*\).*/\2/p' "$log" |
      tail -n 1)
    failed=$(sed -n 's/.*tests passed, \([0-9]*\) tests\{0,1\} failed out of \([0-9]*\).*/\1/p' "$log" |
      tail -n 1)
    skipped=$(grep -c '^[[:space:]]*[0-9]* - .* (Skipped)$' "$log" || true)
    if [ -n "$total" ]; then
      passed=$((total - failed - skipped))
    else
      failed=1
    fi
  else
    passed=$(grep -c '^fuzz_.*: ok, ' "$log" || true)
    failed=$(grep -c '^fuzz_.*: FINDING' "$log" || true)
  fi
  if [ "$status" -ne 0 ] && [ "$failed" -eq 0 ]; then
    failed=1
  fi
  local line="$name: $passed passed, $failed failed"
  if [ "$skipped" -gt 0 ]; then
    line="$line, $skipped skipped"
    echo "== skipped in the $name, and why"
    # A skipped test's reason is the line after its "Skipped" mark.
    grep -h -A1 ': Skipped$' "$testdir/Testing/Temporary/LastTest.log" 2>/dev/null |
      grep -v -e ': Skipped$' -e '^--$' | tee -a "$reasons" | sort | uniq -c || true
  fi
  summary+=("$line ($((took / 60)) min $((took % 60)) s)")
  passed_all=$((passed_all + passed))
  failed_all=$((failed_all + failed))
  skipped_all=$((skipped_all + skipped))
}

run_suite "test suite" ctest "$build" \
  bash -c 'bash "$1/scripts/build.sh" && ctest --test-dir "$2" --output-on-failure -j2' _ \
  "$root" "$build"
if [ "$quick" -eq 0 ]; then
  run_suite "test suite under sanitizers" ctest "$root/build-asan" \
    bash "$root/scripts/test-sanitize.sh"
  run_suite "fuzz targets" fuzz "" bash "$root/scripts/fuzz-run.sh" "${RINOVA_FUZZ_SECONDS:-60}"
fi

echo "== counts"
printf '%s\n' "${summary[@]}"
last="$passed_all passed, $failed_all failed"
if [ "$skipped_all" -gt 0 ]; then
  # Each reason once; with more than one, how many tests each holds back.
  why=$(sort "$reasons" | uniq -c | sort -rn | sed 's/^ *\([0-9]*\) /\1: /')
  if [ "$(printf '%s\n' "$why" | wc -l)" -eq 1 ]; then
    why=${why#*: }
  else
    why=$(printf '%s\n' "$why" | paste -sd ';' | sed 's/;/; /g')
  fi
  last="$last, $skipped_all skipped (${why:-reason not found in the test logs})"
fi
echo "$last"
[ "$failed_all" -eq 0 ]
