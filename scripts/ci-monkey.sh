#!/usr/bin/env bash
# Builds only the two programs' monkey tests with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs each for a bounded time; quicker than scripts/ci-sanitize.sh, which CI runs and
# which runs the monkeys as well.
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
scripts/run-monkeys.sh "$build/bin" "$seconds"
