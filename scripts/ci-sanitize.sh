#!/usr/bin/env bash
# Builds the core libraries, the command-line tools, the core tests and the two programs with
# their monkey tests under AddressSanitizer and UndefinedBehaviorSanitizer, in one folder so
# that the shared libraries compile once. Runs the tests, then each program's monkey for
# MONKEY_SECONDS (60) seconds. Any sanitizer report, and any compiler warning, fails the run.
#   scripts/ci-sanitize.sh              build in build-asan
#   BUILD_ASAN=dir JOBS=n MONKEY_SECONDS=n scripts/ci-sanitize.sh
set -euo pipefail
cd "$(dirname "$0")/.."

build="${BUILD_ASAN:-build-asan}"
jobs="${JOBS:-$(nproc 2>/dev/null || echo 2)}"
monkey_seconds="${MONKEY_SECONDS:-60}"

# The glTF validator the model tests run lives in each build folder.
QM_TOOLS_DIR="$build/tools" scripts/install-deps.sh

# The programs' scripted tests stay out: the monkeys reach their code under the sanitizers.
# -O1 and line tables only: the sanitizers see the same faults, and the build takes a good
# deal less time than at -O2 with full debug information.
cmake -S . -B "$build" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
  -DQM_SANITIZE=address,undefined -DQM_WERROR=ON \
  -DQM_BUILD_GUI=ON -DQM_BUILD_GUI_TESTS=OFF -DQM_BUILD_BENCH=OFF -DQM_BUILD_TESTS=ON >/dev/null
cmake --build "$build" -j"$jobs"

# Every report is fatal; leaks count too. The monkeys run below, longer.
(
  export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1}"
  export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
  cd "$build"
  ctest --output-on-failure -j"$jobs" -E '_monkey$'
)
scripts/run-monkeys.sh "$build/bin" "$monkey_seconds"
