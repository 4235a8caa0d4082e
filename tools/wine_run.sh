#!/usr/bin/env bash
# Runs a Windows program of the cross build under Wine, headless:
#   tools/wine_run.sh PREFIX PROGRAM.exe [ARGUMENTS...]
#   tools/wine_run.sh PREFIX --stop      ends the prefix's Wine server
# PREFIX is the Wine prefix (made on first use); no display is used and
# Wine's own messages are off.
set -euo pipefail
export WINEPREFIX="$(realpath -m "$1")"  # Wine wants it absolute
shift
export WINEDEBUG=-all
# No Mono or Gecko installer on the first run.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
# Arguments and file names pass between Linux and Windows as UTF-8.
export LC_ALL=C.UTF-8
if [ "${1:-}" = --stop ]; then
  server=/usr/lib/wine/wineserver64
  [ -x "$server" ] || server=$(command -v wineserver)
  "$server" -k 2>/dev/null || true
  exit 0
fi
loader=/usr/lib/wine/wine64
[ -x "$loader" ] || loader=$(command -v wine64 || command -v wine)
exec "$loader" "$@"
