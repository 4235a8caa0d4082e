#!/usr/bin/env bash
# Runs a command on a virtual display of its own: Xvfb chooses a free
# display number and tells it (-displayfd), so tests that run at the same
# time never race for one.
#   own_display.sh WIDTHxHEIGHTxDEPTH command [argument...]
set -uo pipefail
screen=$1
shift
dir=$(mktemp -d)
mkfifo "$dir/number"
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$dir/number" 2>"$dir/xvfb.log" &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; rm -rf "$dir"' EXIT
trap 'exit 143' TERM INT
number=""
read -r -t 60 number <"$dir/number"
if [ -z "$number" ]; then
    echo "Xvfb did not start: $(cat "$dir/xvfb.log")"
    exit 1
fi
DISPLAY=":$number" "$@"
