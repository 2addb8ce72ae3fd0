#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, and nothing when all are there.
#   scripts/install-deps.sh          what `make run` and `make test` need
#   scripts/install-deps.sh --ci     also the extra tools CI's further checks use
#   scripts/install-deps.sh --windows   what `make windows` needs besides the first line
set -euo pipefail

packages=(
  cmake make g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libqt6opengl6-dev
  # the scalable program icons are drawn through Qt's SVG generator
  qt6-svg-dev
  # The perspective view's tests run on Mesa's software renderer in a virtual X display.
  xvfb xauth libgl1-mesa-dri
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  imagemagick xdg-utils shared-mime-info desktop-file-utils
  # xdg-mime/xdg-open outside a desktop session read a file's type through `mimetype`
  libfile-mimeinfo-perl
  fonts-dejavu-core
  # model and image exchange (header-only: compiled into the interchange module, nothing at
  # run time; tinygltf reads and writes its JSON with nlohmann-json), and the independent
  # readers its tests run
  libstb-dev libtinyobjloader-dev libtinygltf-dev nlohmann-json3-dev assimp-utils nodejs
)
# The Windows release (`make windows`): the cross compilers, wine to run the build's own
# programs, NSIS for the installer; ninja and dpkg-dev to build Qt for Windows from Debian's
# source when no prebuilt copy is at hand; unzip for the release's checks.
windows_packages=(g++-mingw-w64-x86-64-posix wine64 wine nsis ninja-build dpkg-dev unzip)
if [ "${1:-}" = "--windows" ]; then
  packages+=("${windows_packages[@]}")
fi
if [ "${1:-}" = "--ci" ]; then
  packages+=("${windows_packages[@]}")
  packages+=(clang llvm libclang-rt-14-dev clang-format g++-mingw-w64-x86-64-posix)
  # the Windows build of the core and its tests, run under wine
  packages+=(wine64 wine)
  # the Debian package and its checks; reading Windows resources back
  packages+=(dpkg-dev lintian appstream desktop-file-utils man-db libglib2.0-bin icoutils)
  # the Windows programs' real windows under wine: finding a window on the screen
  packages+=(x11-utils)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
# The Khronos glTF validator, from npm, into the build folder's tools (QM_TOOLS_DIR).
install_gltf_validator() {
  local tools="${QM_TOOLS_DIR:-build/tools}"
  [ -d "$tools/node_modules/gltf-validator" ] && return 0
  # Some Node.js builds bring npm along; Debian's own splits it into a package of its own,
  # which clashes with the former.
  if ! command -v npm >/dev/null; then
    ${sudo:-} apt-get install -y -qq --no-install-recommends npm
  fi
  echo "Installing gltf-validator into $tools"
  mkdir -p "$tools"
  npm install --prefix "$tools" --no-audit --no-fund --silent gltf-validator
}

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
if [ ${#missing[@]} -eq 0 ]; then
  install_gltf_validator
  exit 0
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# A fresh machine may have empty package lists.
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
install_gltf_validator
