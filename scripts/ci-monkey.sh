#!/usr/bin/env bash
# Builds the two programs' monkey tests with AddressSanitizer and UndefinedBehaviorSanitizer
# (only those targets, to keep the build small) and runs each for a bounded time. A failed
# invariant, a crash or any sanitizer report fails the run.
#   scripts/ci-monkey.sh                 60 s per program, build in build-asan-gui
#   MONKEY_SECONDS=300 BUILD_ASAN_GUI=dir JOBS=n scripts/ci-monkey.sh
set -euo pipefail
cd "$(dirname "$0")/.."

build="${BUILD_ASAN_GUI:-build-asan-gui}"
seconds="${MONKEY_SECONDS:-60}"
jobs="${JOBS:-$(nproc 2>/dev/null || echo 2)}"

cmake -S . -B "$build" \
  -DQM_SANITIZE=address,undefined -DQM_WERROR=ON \
  -DQM_BUILD_BENCH=OFF -DQM_BUILD_TESTS=ON >/dev/null
cmake --build "$build" -j"$jobs" --target editor_monkey pixloom_monkey

# Qt keeps some allocations until exit on purpose; leaks are not what this run looks for.
export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=0:detect_stack_use_after_return=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export QT_QPA_PLATFORM=offscreen
for m in editor_monkey pixloom_monkey; do
  echo "== $m for ${seconds}s under ASan+UBSan"
  MONKEY_SECONDS="$seconds" "$build/bin/$m"
done
