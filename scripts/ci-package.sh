#!/usr/bin/env bash
# Builds the Debian package, checks it with lintian (errors fail), installs it on this
# machine, runs the installed programs and validates the installed desktop files, then
# removes it again and checks that nothing of it is left behind.
#   scripts/ci-package.sh [BUILD]      (default build; needs scripts/install-deps.sh --ci)
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build}"
pkg=qm4edit-pixloom
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
work="$(mktemp -d)"
installed_here=0
cleanup() {
  # A failed run must not leave the package on the machine.
  if [ "$installed_here" -eq 1 ]; then $sudo apt-get remove -y -qq "$pkg" >/dev/null 2>&1 || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

step() { echo "== ci-package: $*"; }
fail() { echo "ci-package: FAIL: $*" >&2; exit 1; }

step "building the package"
cmake --build "$build" -j2 >/dev/null
rm -f "$build"/"$pkg"_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb="$(ls "$build"/"$pkg"_*.deb)"
deb="$(realpath "$deb")"
version="$(dpkg-deb -f "$deb" Version)"
echo "   $deb"
dpkg-deb -f "$deb" Depends

step "lintian"
lintian --fail-on error --info "$deb" || fail "lintian reports errors"

# What the package ships; after removal none of it may remain.
dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\./|/|' | grep -v '/$' > "$work/files"

step "installing"
# A copy left from an earlier run would hide what this package installs.
if dpkg-query -W -f='${Status}\n' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
  $sudo apt-get remove -y -qq "$pkg" >/dev/null
fi
installed_here=1
$sudo apt-get install -y -qq "$deb" >/dev/null
dpkg-query -W -f='${Status}\n' "$pkg" | grep -q "install ok installed" || fail "$pkg is not installed"

step "running the installed programs"
for program in QM4Edit Pixloom qm4tool textool; do
  out="$(/usr/bin/"$program" --version)"
  [ "$out" = "$program $version" ] || fail "$program --version printed '$out', not '$program $version'"
  echo "   $out"
done
/usr/bin/qm4tool info "$build/samples/demo.qm4" >/dev/null || fail "qm4tool info of the demo scene"
/usr/bin/textool info "$build/samples/demo.tex" >/dev/null || fail "textool info of the demo texture"
# Both programs start on their demo file and keep running until stopped.
for run in "QM4Edit $build/samples/demo.qm4" "Pixloom $build/samples/demo.tex"; do
  set +e
  QT_QPA_PLATFORM=offscreen timeout 3 /usr/bin/$run >/dev/null 2>&1
  rc=$?
  set -e
  [ $rc -eq 124 ] || fail "$run ended with status $rc instead of running"
done

step "validating the installed desktop files"
desktop-file-validate /usr/share/applications/com.fennwick.QM4Edit.desktop \
                      /usr/share/applications/com.fennwick.Pixloom.desktop
appstreamcli validate --no-net /usr/share/metainfo/com.fennwick.QM4Edit.metainfo.xml \
                               /usr/share/metainfo/com.fennwick.Pixloom.metainfo.xml >/dev/null \
  || fail "appstreamcli validate"
for size in 16x16 22x22 24x24 32x32 48x48 64x64 128x128 256x256 scalable; do
  ext=png; [ $size = scalable ] && ext=svg
  for icon in fennwick-qm4edit fennwick-pixloom; do
    [ -s "/usr/share/icons/hicolor/$size/apps/$icon.$ext" ] || fail "icon $size/$icon.$ext missing"
  done
done
man -w qm4tool textool QM4Edit Pixloom >/dev/null || fail "manual pages"
for tool in qm4tool textool; do
  bash -n "/usr/share/bash-completion/completions/$tool" || fail "completion for $tool"
done

step "MIME types (a texture by its content, LaTeX stays text)"
cp "$build/samples/demo.qm4" "$work/scene.qm4"
cp "$build/samples/demo.tex" "$work/texture.tex"
printf '\\documentclass{article}\n\\begin{document}\nHello\n\\end{document}\n' > "$work/paper.tex"
check_type() { # GIO (what GNOME and most file managers ask) and xdg-mime must agree
  local gio_type xdg_type
  gio_type="$(gio info -a standard::content-type "$1" | sed -n 's/.*standard::content-type: //p')"
  xdg_type="$(xdg-mime query filetype "$1")"
  [ "$gio_type" = "$2" ] || fail "$(basename "$1") is $gio_type for GIO, not $2"
  [ "$xdg_type" = "$2" ] || fail "$(basename "$1") is $xdg_type for xdg-mime, not $2"
  echo "   $(basename "$1"): $2"
}
check_type "$work/scene.qm4" application/x-morvel-qm4
check_type "$work/texture.tex" image/x-morvel-tex
check_type "$work/paper.tex" text/x-tex

step "previews, run as a file manager runs the installed thumbnailers"
run_thumbnailer() { # FILE OUT SIZE: the entry's Exec line for FILE's type, %i %o %s filled in
  local entry exec
  case "$1" in
    *.qm4) entry=/usr/share/thumbnailers/com.fennwick.qm4tool.thumbnailer ;;
    *) entry=/usr/share/thumbnailers/com.fennwick.textool.thumbnailer ;;
  esac
  [ -s "$entry" ] || fail "$entry missing"
  exec="$(sed -n 's/^Exec=//p' "$entry")"
  exec="${exec//%i/\"$1\"}"; exec="${exec//%o/\"$2\"}"; exec="${exec//%s/$3}"
  (cd / && env -i PATH=/usr/bin:/bin bash -c "$exec") 2>/dev/null
}
for input in scene.qm4 texture.tex; do
  for size in 128 256; do
    run_thumbnailer "$work/$input" "$work/preview.png" $size || fail "thumbnail of $input at $size"
    got="$(identify -format '%w %h %m' "$work/preview.png")"
    case "$got" in
      "$size "*" PNG" | *" $size PNG") echo "   $input at $size: $got" ;;
      *) fail "thumbnail of $input at $size is '$got'" ;;
    esac
    rm -f "$work/preview.png"
  done
done
head -c 100 "$work/scene.qm4" > "$work/damaged.qm4"
head -c 40 "$work/texture.tex" > "$work/damaged.tex"
for input in damaged.qm4 damaged.tex; do
  if run_thumbnailer "$work/$input" "$work/preview.png" 128; then fail "a preview of $input was made"; fi
  [ ! -e "$work/preview.png" ] || fail "$input left a preview behind"
done

step "removing"
$sudo apt-get remove -y -qq "$pkg" >/dev/null
installed_here=0
if dpkg-query -W -f='${Status}\n' "$pkg" 2>/dev/null | grep -q "installed"; then
  fail "$pkg is still installed"
fi
left=0
while read -r f; do
  if [ -e "$f" ] || [ -L "$f" ]; then echo "   left behind: $f" >&2; left=1; fi
done < "$work/files"
[ -d "/usr/share/doc/$pkg" ] && { echo "   left behind: /usr/share/doc/$pkg" >&2; left=1; }
[ $left -eq 0 ] || fail "files of $pkg remain after removal"
echo "ci-package: OK ($pkg $version built, checked, installed, run, removed)"
