#!/usr/bin/env bash
# Builds the fuzz targets (in the sanitizer tree, preset "asan", build-asan/, whose libraries
# carry the fuzzer's coverage, so the tests and the targets share one build) and runs each one
# for a bounded time, starting from a temporary copy of its seed corpus in fuzz/corpus/<target>/.
#   scripts/fuzz-run.sh [SECONDS] [TARGET...]
# SECONDS defaults to 60 per target, TARGET to every fuzz/fuzz_*.cpp (names without "fuzz_").
# RINOVA_FUZZ_JOBS targets run at once (default 2). Exits non-zero when any target finds
# something; the failing inputs and logs are kept in build-asan/findings/<target>/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
[ $# -gt 0 ] && shift
jobs="${RINOVA_FUZZ_JOBS:-2}"
build="$root/build-asan"

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for src in "$root"/fuzz/fuzz_*.cpp; do
    name="$(basename "$src" .cpp)"
    targets+=("${name#fuzz_}")
  done
fi

(cd "$root" && cmake --preset asan >/dev/null)
ninja -C "$build" -j2 $(printf 'fuzz_%s ' "${targets[@]}")

work="$(mktemp -d "${TMPDIR:-/tmp}/rinova-fuzz.XXXXXX")"
trap 'rm -rf "$work"' EXIT

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:print_stacktrace=1:symbolize=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"

run_one() {
  local t="$1" dir="$work/$1"
  mkdir -p "$dir/corpus" "$dir/artifacts"
  cp -R "$root/fuzz/corpus/$t/." "$dir/corpus/"
  set +e
  "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$dir/artifacts/" "$dir/corpus" >"$dir/log" 2>&1
  local rc=$?
  set -e
  local runs speed
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log" | tail -n 1)"
  speed="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$dir/log" | tail -n 1)"
  if [ "$rc" -eq 0 ]; then
    echo "fuzz_$t: ok, ${runs:-?} runs, ${speed:-?} per second, ${seconds} s"
  else
    local keep="$build/findings/$t"
    mkdir -p "$keep"
    cp "$dir/log" "$keep/log"
    cp "$dir"/artifacts/* "$keep/" 2>/dev/null || true
    echo "fuzz_$t: FINDING (exit $rc); input and log in $keep"
    grep -E 'ERROR|runtime error|SUMMARY|fuzz.*: ' "$dir/log" | head -n 20 || true
    return 1
  fi
}

failed=0
pids=()
names=()
wait_one() {
  if ! wait "${pids[0]}"; then failed=1; fi
  pids=("${pids[@]:1}")
  names=("${names[@]:1}")
}
for t in "${targets[@]}"; do
  while [ "${#pids[@]}" -ge "$jobs" ]; do wait_one; done
  run_one "$t" &
  pids+=("$!")
  names+=("$t")
done
while [ "${#pids[@]}" -gt 0 ]; do wait_one; done
exit "$failed"
