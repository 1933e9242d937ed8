#!/bin/sh
# Runs a test program on a virtual X display of its own, for the tests that
# need the toolkit's X11 platform. The server picks a free number itself and
# writes it once it takes connections. Exits 77 (skipped) where no virtual
# display server is installed.
set -eu
command -v Xvfb >/dev/null 2>&1 || { echo "no Xvfb: skipped"; exit 77; }
work=$(mktemp -d)
Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1280x1024x24 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; wait $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
trap 'exit 1' INT TERM HUP
i=0
until [ -s "$work/display" ]; do
    i=$((i + 1))
    if [ $i -gt 3000 ] || ! kill -0 $xvfb 2>/dev/null; then
        echo "no virtual display: $(cat "$work/xvfb.log")"
        exit 1
    fi
    sleep 0.01
done
DISPLAY=:$(cat "$work/display") QT_QPA_PLATFORM=xcb "$@"
