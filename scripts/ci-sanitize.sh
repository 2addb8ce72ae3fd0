#!/usr/bin/env bash
# Builds the core libraries, the command-line tools and the core tests with AddressSanitizer
# and UndefinedBehaviorSanitizer, and runs the tests. Any sanitizer report, and any compiler
# warning, fails the run.
#   scripts/ci-sanitize.sh              build in build-asan
#   BUILD_ASAN=dir JOBS=n scripts/ci-sanitize.sh
set -euo pipefail
cd "$(dirname "$0")/.."

build="${BUILD_ASAN:-build-asan}"
jobs="${JOBS:-$(nproc 2>/dev/null || echo 2)}"

# The glTF validator the model tests run lives in each build folder.
QM_TOOLS_DIR="$build/tools" scripts/install-deps.sh

cmake -S . -B "$build" \
  -DQM_SANITIZE=address,undefined -DQM_WERROR=ON \
  -DQM_BUILD_GUI=OFF -DQM_BUILD_BENCH=OFF -DQM_BUILD_TESTS=ON >/dev/null
cmake --build "$build" -j"$jobs"

# Every report is fatal; leaks count too.
export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
cd "$build"
ctest --output-on-failure -j"$jobs"
