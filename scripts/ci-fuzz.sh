#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer + UndefinedBehaviorSanitizer) and
# runs each for a bounded time, starting from the committed seed corpus. A crash, a sanitizer
# report, a failed property, a timeout or an oversized allocation fails the run; the input
# that caused it is left in <build>/artifacts/<target>/ and printed in hex.
#   scripts/ci-fuzz.sh                      60 s per target, build in build-fuzz
#   FUZZ_SECONDS=600 scripts/ci-fuzz.sh scene tex    longer, only some targets
#   FUZZ_MERGE=1 scripts/ci-fuzz.sh          also merge inputs that reach new code into the
#                                           committed seeds (tests/fuzz-corpus/<target>/)
set -euo pipefail
cd "$(dirname "$0")/.."

build="${BUILD_FUZZ:-build-fuzz}"
seconds="${FUZZ_SECONDS:-60}"
jobs="${JOBS:-$(nproc 2>/dev/null || echo 2)}"

if ! command -v clang++ >/dev/null; then
  scripts/install-deps.sh --ci
fi

CC=clang CXX=clang++ cmake -S . -B "$build" \
  -DCMAKE_CXX_COMPILER=clang++ \
  -DQM_BUILD_FUZZ=ON -DQM_SANITIZE=address,undefined \
  -DQM_BUILD_GUI=OFF -DQM_BUILD_TESTS=OFF -DQM_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$jobs" --target fuzzers

export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for bin in "$build"/bin/fuzz_*; do
    [ -x "$bin" ] && targets+=("$(basename "$bin" | sed 's/^fuzz_//')")
  done
fi
if [ ${#targets[@]} -eq 0 ]; then
  echo "no fuzz targets built" >&2
  exit 1
fi

# One target's run; its output goes to <build>/fuzz_<target>.out, printed when it ends.
fuzz_one() {
  local t="$1"
  local bin="$build/bin/fuzz_$t"
  local seeds="tests/fuzz-corpus/$t"
  local work="$build/corpus/$t"
  local artifacts="$build/artifacts/$t"
  mkdir -p "$work" "$artifacts"
  local dict=()
  [ -f "fuzz/$t.dict" ] && dict=(-dict="fuzz/$t.dict")
  echo "== fuzz_$t for ${seconds}s"
  # A reader may hold the file, its own structures and the fixed texture store; one
  # allocation of 256 MiB means a count was trusted before it was checked.
  if "$bin" "$work" "$seeds" "${dict[@]}" \
      -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -malloc_limit_mb=256 \
      -artifact_prefix="$artifacts/" -print_final_stats=1 >"$build/fuzz_$t.log" 2>&1; then
    grep -E '^stat::number_of_executed_units|^Done' "$build/fuzz_$t.log" || true
    if [ "${FUZZ_MERGE:-0}" = 1 ]; then
      mkdir -p "$seeds"
      local before
      before=$(find "$seeds" -type f | wc -l)
      "$bin" -merge=1 -timeout=20 -rss_limit_mb=2048 -malloc_limit_mb=256 "$seeds" "$work" \
        >"$build/fuzz_${t}_merge.log" 2>&1
      echo "fuzz_$t: $(( $(find "$seeds" -type f | wc -l) - before )) new seeds merged into $seeds"
    fi
    return 0
  fi
  echo "fuzz_$t FAILED; the end of its log:"
  tail -n 60 "$build/fuzz_$t.log"
  for a in "$artifacts"/*; do
    [ -f "$a" ] || continue
    echo "-- $a ($(stat -c %s "$a") bytes)"
    head -c 512 "$a" | od -An -tx1 | head -n 32
  done
  return 1
}

# As many targets side by side as there are cores, each on one core for its full time.
failed=()
running=()
finish_one() {
  local t="${running[0]}"
  running=("${running[@]:1}")
  local pid
  pid=$(cat "$build/fuzz_$t.pid")
  if ! wait "$pid"; then
    failed+=("$t")
  fi
  cat "$build/fuzz_$t.out"
}
for t in "${targets[@]}"; do
  [ ${#running[@]} -ge "$jobs" ] && finish_one
  fuzz_one "$t" >"$build/fuzz_$t.out" 2>&1 &
  echo $! >"$build/fuzz_$t.pid"
  running+=("$t")
done
while [ ${#running[@]} -gt 0 ]; do
  finish_one
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzzing found faults in: ${failed[*]}" >&2
  exit 1
fi
echo "fuzzing: ${#targets[@]} targets, ${seconds}s each, no faults"
