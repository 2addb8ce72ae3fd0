#!/usr/bin/env bash
# Proves that the Windows-only sources still compile and link: builds common/ and the
# association registrar (registrar/, with its registry backend) with Debian's MinGW-w64
# cross-compiler, and links them into a small program that calls the registrar with the
# programs' own association values and the tests' in-memory registry.
#   scripts/check-windows-build.sh       (needs g++-mingw-w64-x86-64-posix: scripts/install-deps.sh --ci)
set -euo pipefail
cd "$(dirname "$0")/.."

cxx="${MINGW_CXX:-x86_64-w64-mingw32-g++-posix}"
if ! command -v "$cxx" >/dev/null 2>&1; then
  echo "check-windows-build: $cxx not found; run scripts/install-deps.sh --ci" >&2
  exit 1
fi

out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT

flags=(-std=c++20 -Wall -Wextra -Werror -O1 -I. -DUNICODE -D_UNICODE)
sources=(
  common/AtomicFile.cpp
  common/NumberText.cpp
  common/platform/FileSync_win.cpp
  registrar/Registrar.cpp
  registrar/WindowsRegistry.cpp
  registrar/FileAssociation_win.cpp
  tests/support/MemoryRegistry.cpp
)

objects=()
for src in "${sources[@]}"; do
  obj="$out/$(echo "$src" | tr '/' '_').o"
  echo "  $cxx $src"
  "$cxx" "${flags[@]}" -c "$src" -o "$obj"
  objects+=("$obj")
done

cat > "$out/main.cpp" <<'CPP'
#include "editor/QM4EditAssoc.h"
#include "pixloom/PixloomAssoc.h"
#include "registrar/FileAssociation.h"
#include "registrar/Registrar.h"
#include "tests/support/MemoryRegistry.h"

int main(int argc, char**)
{
    registrar::MemoryRegistry model;
    registrar::SetAssociations(model, qm4edit::QM4EditAssocValues(), "C:\\Tools\\QM4Edit.exe");
    // Only reached when asked, so that running the check never touches a registry.
    if (argc > 5)
        return registrar::ApplyFileAssociation(registrar::AssocAction::SetReset, pixloom::PixloomAssocValues(),
                                               "C:\\Tools\\Pixloom.exe", {}).Ok() ? 0 : 1;
    return model.Notifications() == 1 ? 0 : 1;
}
CPP
"$cxx" "${flags[@]}" -c "$out/main.cpp" -o "$out/main.o"
"$cxx" -static -o "$out/registrar-check.exe" "$out/main.o" "${objects[@]}" -ladvapi32 -lshell32
echo "check-windows-build: OK (registrar/ and common/ compile and link for Windows)"
