#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, and nothing when all are there.
#   scripts/install-deps.sh          what `make run` and `make test` need
#   scripts/install-deps.sh --ci     also the extra tools CI's further checks use
set -euo pipefail

packages=(
  cmake make g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libqt6opengl6-dev
  # The perspective view's tests run on Mesa's software renderer in a virtual X display.
  xvfb xauth libgl1-mesa-dri
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  imagemagick xdg-utils shared-mime-info desktop-file-utils
  # xdg-mime/xdg-open outside a desktop session read a file's type through `mimetype`
  libfile-mimeinfo-perl
  fonts-dejavu-core
)
if [ "${1:-}" = "--ci" ]; then
  packages+=(clang llvm libclang-rt-14-dev g++-mingw-w64-x86-64-posix)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
# A fresh machine may have empty package lists.
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
