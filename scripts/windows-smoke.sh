#!/usr/bin/env bash
# The Windows release as a user meets it, under wine in a virtual X display: the programs of
# the portable zip in their real windows, then the installer.
#   scripts/windows-smoke.sh [Windows build, default build-windows] [Linux build, default build]
#   (needs `make windows`, the Linux programs of `make build`, and scripts/install-deps.sh --ci;
#   the screen is read with ImageMagick's import and x11-utils' xwininfo)
# - QM4Edit.exe opens the demo scene; its vertex marks are the Linux program's, pixel for
#   pixel (up to where the window stands); the time until they show is printed.
# - Closing it writes its colours to HKCU\Software\Fennwick Software\QM4Edit\Settings, a
#   value put there beforehand included.
# - Pixloom.exe opens the demo texture and shows its pixels at the top left of its window.
# - --register and --unregister write and take back the keys below HKEY_CLASSES_ROOT, and
#   --unregister leaves a file type another program has taken over.
# - The installer installs silently, the installed editor starts, and the uninstaller takes
#   back every file, Start-menu entry and association it made.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
win="$root/${1:-build-windows}"
native="$root/${2:-build}"
version="$(sed -n 's/^project([A-Za-z0-9]* VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
zip="$win/QM4Edit-Pixloom-$version-win64.zip"
setup="$win/QM4Edit-Pixloom-$version-win64-setup.exe"
for f in "$zip" "$setup" "$native/bin/QM4Edit" "$native/bin/textool"; do
  [ -e "$f" ] || { echo "windows-smoke: $f missing (make windows, make build)" >&2; exit 1; }
done

work="$(mktemp -d "${TMPDIR:-/tmp}/qm-smoke.XXXXXX")"
export WINEPREFIX="$work/prefix" WINEDEBUG=-all QM_WINE_KEEP_DISPLAY=1
wineserver="$(command -v wineserver || echo /usr/lib/wine/wineserver)"
xvfb=
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
wine() { "$root/scripts/wine-run.sh" "$@"; }

# A white root window: black pixels are then only the programs'.
Xvfb -displayfd 3 -screen 0 1024x768x24 -wr -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
mkdir -p "$WINEPREFIX"
"$wineserver" -p
wine wineboot -i >/dev/null 2>&1 || true

fail=0
failed() { echo "FAIL $*" >&2; fail=1; }

# An image as "x y rrggbb" lines, one per pixel; without a file, the whole screen.
rgb_lines() { convert "$1" txt:- | awk -F'#' 'NR > 1 { split($1, p, /[,:]/); print p[1], p[2], tolower(substr($2, 1, 6)) }'; }
pixels() { import -display "$DISPLAY" -window root "$work/shot.png" 2>/dev/null && rgb_lines "$work/shot.png"; }
# Only the pixels a vertex mark is made of.
mark_pixels() { pixels | grep -E ' (000000|808080)$'; }
# Where the vertex marks of the default colours are: a black pixel whose four diagonal
# neighbours are grey 128. Printed relative to the top-left mark, so that two windows at
# different places on the screen compare; the first line is the count.
marks() {
  awk '{ c[$1 "," $2] = $3 }
    END {
      n = 0
      for (k in c) {
        if (c[k] != "000000") continue
        split(k, p, ","); x = p[1] + 0; y = p[2] + 0
        if (c[(x-1) "," (y-1)] == "808080" && c[(x+1) "," (y-1)] == "808080" &&
            c[(x-1) "," (y+1)] == "808080" && c[(x+1) "," (y+1)] == "808080") {
          mx[n] = x; my[n] = y; n++
        }
      }
      if (n == 0) { print 0; exit }
      minx = mx[0]; miny = my[0]
      for (i = 1; i < n; i++) { if (mx[i] < minx) minx = mx[i]; if (my[i] < miny) miny = my[i] }
      print n
      for (i = 0; i < n; i++) print mx[i] - minx, my[i] - miny | "sort -n -k1,1 -k2,2"
    }'
}
# Waits until the screen shows marks and two looks in a row agree; prints them.
settled_marks() {
  local last="" now end=$((SECONDS + 60))
  while [ "$SECONDS" -lt "$end" ]; do
    now="$(mark_pixels | marks)"
    if [ "$(head -n1 <<<"$now")" != 0 ] && [ "$now" = "$last" ]; then
      echo "$now"
      return 0
    fi
    last="$now"
    sleep 0.25
  done
  echo "${last:-0}"
  return 1
}
# Ends a program the way its window's close button does, and waits for it to be gone.
close_window() { # EXE PID
  wine taskkill /im "$1" >/dev/null 2>&1 || true
  for _ in $(seq 100); do kill -0 "$2" 2>/dev/null || return 0; sleep 0.1; done
  echo "windows-smoke: $1 did not close" >&2
  kill "$2" 2>/dev/null || true
  return 1
}
reg_value() { # KEY NAME -> data as wine reg query prints it
  wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v n="$2" '$1 == n { print $NF }'
}

mkdir -p "$work/zip"
(cd "$work/zip" && unzip -q "$zip")
app="$work/zip/QM4Edit-Pixloom-$version-win64"
samples="$work/samples"
cp -r "$app/samples" "$samples"
settings='HKCU\Software\Fennwick Software\QM4Edit\Settings'

# --- QM4Edit.exe: start-up time, vertex marks, colours in the registry ------------------
wine reg add "$settings" /v HiliteColor /t REG_DWORD /d 0x123456 /f >/dev/null
start=$(date +%s.%N)
wine "$app/QM4Edit.exe" "$samples/demo.qm4" >/dev/null 2>&1 &
editor=$!
since() { awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }'; }
for _ in $(seq 600); do
  xwininfo -display "$DISPLAY" -root -tree 2>/dev/null | grep -q '"demo.qm4 - QM4Edit"' && break
  sleep 0.1
done
window="$(since)"
if win_marks="$(settled_marks)"; then
  echo "QM4Edit.exe under wine: its window on the demo scene after $window s, the scene checked on the screen after $(since) s"
else
  failed "QM4Edit.exe: no vertex marks on the screen"
fi
close_window QM4Edit.exe "$editor" || failed "QM4Edit.exe did not close"

HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" QT_QPA_PLATFORM=xcb \
  "$native/bin/QM4Edit" "$samples/demo.qm4" >/dev/null 2>&1 &
linux=$!
linux_marks="$(settled_marks)" || failed "Linux QM4Edit: no vertex marks on the screen"
kill "$linux" 2>/dev/null || true
wait "$linux" 2>/dev/null || true
if [ "$win_marks" = "$linux_marks" ]; then
  echo "  $(head -n1 <<<"$win_marks") vertex marks, on the same pixels as the Linux program's"
else
  failed "QM4Edit.exe's vertex marks ($(head -n1 <<<"$win_marks")) differ from Linux ($(head -n1 <<<"$linux_marks"))"
  diff <(echo "$win_marks") <(echo "$linux_marks") | head -n 10 >&2 || true
fi

for pair in MainColor=0x0 ExtraColor1=0x808080 ExtraColor2=0xffffff HiliteColor=0x123456; do
  got="$(reg_value "$settings" "${pair%%=*}")"
  [ "$got" = "${pair#*=}" ] || failed "$settings ${pair%%=*}: '${got}', expected ${pair#*=}"
done
[ "$fail" -ne 0 ] || echo "  colours read back from $settings"

# --- Pixloom.exe: the texture's pixels at the top left of its window ------------------
"$native/bin/textool" export "$samples/demo.tex" "$work/demo.png" >/dev/null
wine "$app/Pixloom.exe" "$samples/demo.tex" >/dev/null 2>&1 &
pixloom=$!
found=0
for _ in $(seq 40); do
  sleep 0.5
  # The texture's top 8 rows of 64 pixels must stand somewhere on the screen unchanged.
  if { convert "$work/demo.png" -crop 64x8+0+0 +repage "$work/patch.png" && rgb_lines "$work/patch.png" | sed 's/^/T /'
       pixels; } | awk '
      $1 == "T" { t[$2 "," $3] = $4; n++; next }
      { s[$1 "," $2] = $3; if ($3 == t["0,0"]) cand[$1 "," $2] = 1 }
      END {
        for (k in cand) {
          split(k, p, ","); ok = 1
          for (q in t) { split(q, o, ","); if (s[(p[1] + o[1]) "," (p[2] + o[2])] != t[q]) { ok = 0; break } }
          if (ok) exit 0
        }
        exit 1
      }'; then found=1; break; fi
done
[ "$found" -eq 1 ] && echo "Pixloom.exe shows the demo texture's pixels" || failed "Pixloom.exe: the texture is not on the screen"
close_window Pixloom.exe "$pixloom" || failed "Pixloom.exe did not close"
[ -n "$(reg_value 'HKCU\Software\Fennwick Software\Pixloom\Settings' BkColor)" ] ||
  failed "Pixloom.exe wrote no BkColor at exit"

# --- The association switches -------------------------------------------------------------
command_of() { wine reg query "HKCR\\$1\\shell\\open\\command" /ve 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ[[:space:]]*//p'; }
wine "$app/QM4Edit.exe" --register || failed "QM4Edit.exe --register"
[ "$(wine reg query 'HKCR\.qm4' /ve 2>/dev/null | tr -d '\r' | awk '/REG_SZ/ { print $NF }')" = QM4EditFile ] ||
  failed "--register did not name QM4EditFile for .qm4"
case "$(command_of QM4EditFile)" in *QM4Edit.exe*'"%1"') ;; *) failed "--register wrote no open command" ;; esac
wine "$app/QM4Edit.exe" --unregister || failed "QM4Edit.exe --unregister"
wine reg query 'HKCR\QM4EditFile' >/dev/null 2>&1 && failed "--unregister left HKCR\\QM4EditFile"
wine reg query 'HKCR\.qm4' >/dev/null 2>&1 && failed "--unregister left HKCR\\.qm4"
# Taken over by another program: left alone.
wine "$app/Pixloom.exe" --register
wine reg add 'HKCR\PixloomFile\shell\open\command' /ve /d '"C:\Other\Viewer.exe" "%1"' /f >/dev/null
wine "$app/Pixloom.exe" --unregister
wine reg query 'HKCR\PixloomFile\shell\open\command' >/dev/null 2>&1 ||
  failed "--unregister removed an association another program had taken over"
wine reg delete 'HKCR\PixloomFile' /f >/dev/null 2>&1 || true
wine reg delete 'HKCR\.tex' /f >/dev/null 2>&1 || true
[ "$fail" -ne 0 ] || echo "--register and --unregister write and take back HKEY_CLASSES_ROOT"

# --- The installer ----------------------------------------------------------------------------
wine "$setup" /S || failed "the installer /S"
dir="$WINEPREFIX/drive_c/Program Files/QM4Edit and Pixloom"
[ -f "$dir/QM4Edit.exe" ] && [ -f "$dir/Pixloom.exe" ] && [ -f "$dir/platforms/qwindows.dll" ] ||
  failed "the installer put no programs in $dir"
links="$(find "$WINEPREFIX/drive_c" -name '*.lnk' -path '*Start Menu*' 2>/dev/null | grep -c -e QM4Edit.lnk -e Pixloom.lnk || true)"
[ "$links" -eq 2 ] || failed "the installer made $links Start-menu entries for the programs, not 2"
wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\QM4Edit-Pixloom' /v UninstallString \
  >/dev/null 2>&1 || failed "the installer added no entry to the list of programs"
case "$(command_of QM4EditFile)" in *'Program Files\QM4Edit and Pixloom\QM4Edit.exe'*) ;;
  *) failed "the installer did not make QM4Edit the handler of .qm4" ;; esac
wine "C:\\Program Files\\QM4Edit and Pixloom\\QM4Edit.exe" "$samples/demo.qm4" >/dev/null 2>&1 &
installed=$!
settled_marks >/dev/null && echo "the installed QM4Edit.exe starts and shows the scene" ||
  failed "the installed QM4Edit.exe showed no scene"
close_window QM4Edit.exe "$installed" || true

wine "C:\\Program Files\\QM4Edit and Pixloom\\Uninstall.exe" /S || failed "the uninstaller /S"
# The uninstaller runs on from a copy of itself; wait for it to finish.
for _ in $(seq 150); do [ -e "$dir" ] || break; sleep 0.2; done
[ ! -e "$dir" ] || failed "the uninstaller left $(find "$dir" | head -n 5 | tr '\n' ' ')"
left="$(find "$WINEPREFIX/drive_c" -path '*Start Menu*' \( -name 'QM4Edit*' -o -name 'Pixloom*' -o -name 'Uninstall.lnk' \) 2>/dev/null)"
[ -z "$left" ] || failed "the uninstaller left Start-menu entries: $left"
wine reg query 'HKCR\QM4EditFile' >/dev/null 2>&1 && failed "the uninstaller left HKCR\\QM4EditFile"
wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\QM4Edit-Pixloom' >/dev/null 2>&1 &&
  failed "the uninstaller left its entry in the list of programs"

if [ "$fail" -ne 0 ]; then
  echo "windows-smoke: FAILED" >&2
  exit 1
fi
echo "windows-smoke: OK"
