#!/usr/bin/env bash
# Cross-builds qm4tool and textool for Windows with their version resources, and the two
# programs' resources (icon and version) into stub executables, then reads the resources
# back: every executable must carry the release version, and QM4Edit and Pixloom their icon
# as the first icon group with all its sizes (what the association's "path,0" shows).
#   scripts/check-windows-resources.sh [NATIVE_BUILD]   (default build; needs its rendered
#   icons, i.e. `make build`, and scripts/install-deps.sh --ci)
set -euo pipefail
cd "$(dirname "$0")/.."

native="${1:-build}"
icons="$PWD/$native/packaging/icons"
out="${WIN_BUILD:-build-win}"
for f in QM4Edit.ico Pixloom.ico; do
  [ -f "$icons/$f" ] || { echo "check-windows-resources: $icons/$f missing; build $native first" >&2; exit 1; }
done

launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# A Windows build made before (scripts/windows-test.sh) is reused as it is configured.
fresh=()
[ -f "$out/CMakeCache.txt" ] || fresh=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release
  -DQM_BUILD_GUI=OFF -DQM_BUILD_TESTS=OFF -DQM_BUILD_BENCH=OFF)
cmake -S . -B "$out" "${fresh[@]}" -DQM_ICON_DIR="$icons" "${launcher[@]}" >/dev/null
mkdir -p "$out"
if ! cmake --build "$out" -j2 --target qm4tool textool QM4Edit-resources Pixloom-resources > "$out/build.log" 2>&1; then
  cat "$out/build.log" >&2
  exit 1
fi

version="$(sed -n 's/^project([A-Za-z0-9]* VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
pixloom_version="$(sed -n 's/^set(QM_PIXLOOM_RESOURCE_VERSION "\([0-9.]*\)".*/\1/p' cmake/Install.cmake)"
fail=0
check() { # EXE NAME EXPECTED_VERSION WANT_ICON
  local exe="$1" name="$2" want="$3" icon="$4" text ok=1
  # wrestool: type 16 is the version resource, type 14 an icon group.
  text="$(wrestool -x -R --type=16 "$exe" | iconv -f UTF-16LE -t UTF-8 -c | tr '\0' '\n')"
  if ! grep -q "FileVersion" <<<"$text" || ! grep -qx "$want" <<<"$text"; then
    echo "FAIL $name: no version $want in its version resource" >&2; ok=0
  fi
  if [ "$icon" = yes ]; then
    local first sizes
    first="$(wrestool -l --type=14 "$exe" | head -n1)"
    if [[ "$first" != *"--name=128 "* ]]; then
      echo "FAIL $name: its icon is not the first icon group (${first:-none})" >&2; ok=0
    fi
    wrestool -x --type=14 --name=128 "$exe" > "$out/$name.ico"
    sizes="$(icotool -l "$out/$name.ico" 2>/dev/null | grep -c -- --width= || true)"
    if [ "$sizes" -lt 7 ]; then
      echo "FAIL $name: its icon holds $sizes sizes, not 7" >&2; ok=0
    fi
  fi
  if [ $ok -eq 1 ]; then
    echo "  $name: version $want$([ "$icon" = yes ] && echo ", icon 0 in 7 sizes")"
  else
    fail=1
  fi
}
check "$out/bin/qm4tool.exe" qm4tool "$version.0" no
check "$out/bin/textool.exe" textool "$version.0" no
check "$out/bin/QM4Edit-resources.exe" QM4Edit "$version.0" yes
check "$out/bin/Pixloom-resources.exe" Pixloom "${pixloom_version:-$version.0}" yes
[ "$fail" -eq 0 ] || exit 1
echo "check-windows-resources: OK"
