#!/usr/bin/env bash
# Fails when a C++ file of ours differs from what clang-format makes of it (.clang-format).
#   scripts/check-format.sh        check, and list the files that differ
#   scripts/check-format.sh --fix  format them in place (what `make format` runs)
set -euo pipefail
cd "$(dirname "$0")/.."

command -v clang-format >/dev/null || scripts/install-deps.sh --ci

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -d '' files < <(git ls-files -z '*.cpp' '*.h')
else
  mapfile -d '' files < <(find . -path './build*' -prune -o \( -name '*.cpp' -o -name '*.h' \) -print0)
fi

if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi

bad=()
for f in "${files[@]}"; do
  clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if [ ${#bad[@]} -ne 0 ]; then
  echo "not formatted (run make format): ${bad[*]}" >&2
  exit 1
fi
echo "formatting: ${#files[@]} files as clang-format writes them"
