#!/usr/bin/env bash
# Cross-builds the Qt-free parts and their tests for Windows and runs the tests under wine.
#   scripts/windows-test.sh [build folder, default build-win]
#   (needs MinGW-w64, googletest and wine: scripts/install-deps.sh --ci)
# A build folder made before is reused; only what changed is rebuilt. Each test program runs
# once as a whole (one wine start each); the cases it skipped are listed with their reasons
# at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-win}"
scripts/check-windows-build.sh "$build"

source scripts/wine-prefix.sh

# Every program writes its report here; the skipped cases are read back from them.
reports="$PWD/$build/Testing/gtest-reports"
rm -rf "$reports"
mkdir -p "$reports"
# GoogleTest on Windows takes a path without a drive letter as relative; wine's drive Z: is /.
export GTEST_OUTPUT="xml:Z:$reports/"
status=0
(cd "$build" && ctest --output-on-failure -j"${JOBS:-$(nproc 2>/dev/null || echo 2)}" --timeout 300) || status=$?

echo
echo "Cases skipped under wine, with their reasons:"
# <testcase name=".." ... classname="..">, then <skipped message="file:line&#x0A;reason">.
for xml in "$reports"/*.xml; do
  [ -e "$xml" ] || continue
  awk -v program="$(basename "$xml" .xml)" '
    function attr(line, key,   m) {
      if (match(line, key "=\"[^\"]*\"")) return substr(line, RSTART + length(key) + 2, RLENGTH - length(key) - 3)
      return ""
    }
    /<testcase / { name = attr($0, "classname") "." attr($0, "name") }
    /<skipped message=/ {
      reason = attr($0, "message")
      sub(/^[^&]*&#x0A;/, "", reason)
      gsub(/&#x0A;/, " ", reason); gsub(/&quot;/, "\"", reason); gsub(/&apos;/, "\047", reason)
      gsub(/&lt;/, "<", reason); gsub(/&gt;/, ">", reason); gsub(/&amp;/, "\\&", reason)
      sub(/[ ]+$/, "", reason)
      printf "  %s: %s: %s\n", program, name, reason
    }' "$xml"
done
exit "$status"
