# Sourced by the scripts that run programs under wine: one prefix for the whole run (a fresh
# one unless WINEPREFIX is set), made before anything starts so that parallel tests do not
# race to create it, and one wine server kept alive across all of them; both go at exit.
made=
if [ -z "${WINEPREFIX:-}" ]; then
  WINEPREFIX="$(mktemp -d "${TMPDIR:-/tmp}/qm-wine.XXXXXX")"
  made="$WINEPREFIX"
fi
export WINEPREFIX WINEDEBUG=-all
wineserver="$(command -v wineserver || echo /usr/lib/wine/wineserver)"
trap '"$wineserver" -k 2>/dev/null || true; [ -z "$made" ] || rm -rf "$made"' EXIT
# Started first, so that it is the server every later wine start joins (a second one started
# once wineboot has brought up its own would only find that one running, and exit).
"$wineserver" -p
scripts/wine-run.sh wineboot -i >/dev/null 2>&1 || true
