#!/usr/bin/env bash
# Runs both programs' monkey tests from a sanitizer build's bin folder, side by side (each
# keeps one core busy), for SECONDS seconds each. A failed invariant, a crash or any
# sanitizer report fails the run; each program's output follows once both are done.
#   scripts/run-monkeys.sh BIN_DIR SECONDS
set -uo pipefail

bin="$1"
seconds="$2"
logs="$(mktemp -d)"
trap 'rm -rf "$logs"' EXIT

# Qt keeps some allocations until exit on purpose; leaks are not what these runs look for.
export ASAN_OPTIONS="${MONKEY_ASAN_OPTIONS:-abort_on_error=1:detect_leaks=0:detect_stack_use_after_return=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export QT_QPA_PLATFORM=offscreen
export MONKEY_SECONDS="$seconds"

pids=()
for m in editor_monkey pixloom_monkey; do
  "$bin/$m" >"$logs/$m.log" 2>&1 &
  pids+=($!)
done
status=0
for i in 0 1; do
  wait "${pids[$i]}" || status=1
done
for m in editor_monkey pixloom_monkey; do
  echo "== $m for ${seconds}s under ASan+UBSan"
  cat "$logs/$m.log"
done
exit "$status"
