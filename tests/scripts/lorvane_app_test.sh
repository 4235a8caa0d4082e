#!/bin/bash
# The desktop program answers --help and --version without a display.
set -u
if [ -z "${LORVANE_APP:-}" ]; then
    echo "desktop program not built; nothing to check"
    exit 0
fi
fail() { echo "FAIL: $*"; exit 1; }

out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$LORVANE_APP" --version) || fail "--version status $?"
[[ "$out" == "lorvane "* ]] || fail "--version printed: $out"

out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$LORVANE_APP" --help) || fail "--help status $?"
[[ "$out" == *"Usage: lorvane [FILE...]"* ]] || fail "--help printed: $out"

env -u DISPLAY "$LORVANE_APP" --no-such-option >/dev/null 2>&1
status=$?
[ "$status" -eq 2 ] || fail "an unknown option ended with $status, not 2"
echo ok
