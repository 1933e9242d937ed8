#!/bin/sh
# Runs a test program on a virtual X display of its own, on the toolkit's X11
# platform: the display picks a free number itself and writes it once it takes
# connections, so tests running side by side never share or race for one.
set -eu
work=$(mktemp -d)
server=""
trap '[ -z "$server" ] || kill "$server" 2>/dev/null || true; rm -rf "$work"' EXIT
Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1280x1024x24 3>"$work/display" 2>"$work/log" &
server=$!
i=0
until [ -s "$work/display" ]; do
    i=$((i + 1))
    if [ $i -gt 3000 ] || ! kill -0 "$server" 2>/dev/null; then
        echo "no virtual display: $(cat "$work/log")"
        exit 1
    fi
    sleep 0.01
done
DISPLAY=:$(cat "$work/display") QT_QPA_PLATFORM=xcb "$@"
