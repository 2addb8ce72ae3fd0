#!/usr/bin/env bash
# Makes Qt for 64-bit Windows (qtbase, MinGW-w64) at exactly the version of the installed
# qt6-base-dev, whose host tools (moc, rcc, uic) the Windows build uses, and prints the folder
# it lives in. A folder made before by the same recipe is reused as it is.
#   scripts/build-qt-windows.sh [--print-dir]
#   QM_QT_WINDOWS_DIR   where it goes (default ~/.cache/qm4edit/qt-<version>-mingw64)
#   QM_QT_PREBUILT_DIR  where a prebuilt qt-<version>-mingw64.tar.xz may stand
#                       (default ../shared/toolchains beside the checkout)
# With a matching prebuilt archive the folder is unpacked from it; otherwise qtbase is built
# from Debian's own source package (apt-get source qt6-base), about 40 minutes on 2 cores.
# --print-dir prints the folder and makes nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

full="$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null || true)"
if [ -z "$full" ]; then
  echo "build-qt-windows: qt6-base-dev is not installed; run scripts/install-deps.sh" >&2
  exit 1
fi
# 6.4.2+dfsg-10 -> 6.4.2
version="${full%%[+~-]*}"
version="${version#*:}"

# The recipe: what the programs and their tests need and nothing more. The cache folder
# records it, so that a folder made with other options is made again.
options=(
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF
  -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_vulkan=OFF -DFEATURE_icu=OFF
  -DINPUT_opengl=desktop -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF
  -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF
  -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_jpeg=OFF -DFEATURE_jpeg=OFF
  # Debian's source leaves out the tablet header the windows platform plugin would include.
  -DFEATURE_tabletevent=OFF
)
recipe="qtbase $full mingw-w64 posix: ${options[*]}"

dest="${QM_QT_WINDOWS_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/qm4edit/qt-$version-mingw64}"
if [ "${1:-}" = "--print-dir" ]; then
  echo "$dest"
  exit 0
fi
stamp="$dest/.qm4edit-recipe"
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$recipe" ] && [ -f "$dest/lib/cmake/Qt6/Qt6Config.cmake" ]; then
  echo "$dest"
  exit 0
fi

prebuilt_dir="${QM_QT_PREBUILT_DIR:-$root/../shared/toolchains}"
archive="$prebuilt_dir/qt-$version-mingw64.tar.xz"
parent="$(dirname "$dest")"
mkdir -p "$parent"
work="$(mktemp -d "$parent/.qt-work.XXXXXX")"
trap 'rm -rf "$work"' EXIT

if [ -f "$archive" ]; then
  echo "build-qt-windows: unpacking $archive" >&2
  tar -xJf "$archive" -C "$work"
  made="$work/qt-$version-mingw64"
  if [ ! -f "$made/lib/cmake/Qt6/Qt6Config.cmake" ]; then
    echo "build-qt-windows: $archive does not hold qt-$version-mingw64/ with Qt's CMake files" >&2
    exit 1
  fi
else
  for tool in x86_64-w64-mingw32-g++-posix ninja dpkg-source; do
    if ! command -v "$tool" >/dev/null 2>&1; then
      echo "build-qt-windows: $tool not found; run scripts/install-deps.sh --ci" >&2
      exit 1
    fi
  done
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  # apt-get source needs a deb-src entry of the archive the binary package came from.
  if ! apt-get source --print-uris "qt6-base=$full" >/dev/null 2>&1; then
    echo "build-qt-windows: adding a deb-src entry for the archive of qt6-base-dev" >&2
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
      sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
        $sudo tee /etc/apt/sources.list.d/qm4edit-deb-src.sources >/dev/null
    else
      grep -h '^deb ' /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
        sed 's/^deb /deb-src /' | $sudo tee /etc/apt/sources.list.d/qm4edit-deb-src.list >/dev/null
    fi
    $sudo apt-get update -qq
  fi
  echo "build-qt-windows: building qtbase $version for Windows from Debian's source." >&2
  echo "build-qt-windows: this takes about 40 minutes on 2 cores (about 1,150 steps)." >&2
  # Unpacked with Debian's patches applied: the source Debian itself builds.
  (cd "$work" && apt-get source -qq --download-only "qt6-base=$full" &&
    dpkg-source -x qt6-base_*.dsc src >/dev/null)
  # The project's own toolchain file links statically and runs programs under wine; Qt
  # needs neither, only the compilers and the target's libraries.
  cat > "$work/toolchain.cmake" <<'TOOLCHAIN'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
TOOLCHAIN
  made="$work/qt-$version-mingw64"
  cmake -S "$work/src" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_INSTALL_PREFIX="$made" "${options[@]}" >"$work/configure.log" 2>&1 ||
    { tail -n 40 "$work/configure.log" >&2; exit 1; }
  cmake --build "$work/build" -j"${JOBS:-$(nproc 2>/dev/null || echo 2)}"
  cmake --install "$work/build" >/dev/null
  find "$made" -name '*.dll' -exec x86_64-w64-mingw32-strip --strip-unneeded {} +
fi

echo "$recipe" > "$made/.qm4edit-recipe"
rm -rf "$dest"
mv "$made" "$dest"
echo "$dest"
