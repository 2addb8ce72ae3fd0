#!/usr/bin/env bash
# Cross-builds every Qt-free target for 64-bit Windows with Debian's MinGW-w64, through the
# project's own CMake files (cmake/mingw-w64.cmake): the core libraries, the command-line
# tools, the samples and every core test program. A source the Windows build leaves out,
# or one that does not compile there, fails the build.
#   scripts/check-windows-build.sh [build folder, default build-win]
#   (needs g++-mingw-w64-x86-64-posix and googletest: scripts/install-deps.sh --ci)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-win}"

if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1; then
  echo "check-windows-build: x86_64-w64-mingw32-g++-posix not found; run scripts/install-deps.sh --ci" >&2
  exit 1
fi
launcher=()
if command -v ccache >/dev/null 2>&1; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DQM_BUILD_GUI=OFF -DQM_BUILD_BENCH=OFF -DQM_WERROR=ON "${launcher[@]}" >/dev/null
cmake --build "$build" -j"${JOBS:-$(nproc 2>/dev/null || echo 2)}"
echo "check-windows-build: OK (core, tools, samples and core tests build for Windows in $build)"
