#!/bin/sh
# The whole program idle: started under a virtual display on a machine
# without a board (so with the dummy device), its CPU time per thread over
# the given seconds once its window is up. Beside it, over the same seconds,
# its floor: a bare Qt window with a 10 ms timer and a thread sleeping to
# 10 ms deadlines, both doing nothing. Measured at the same time, a change in
# the machine's load meets both alike.
#
#   bench/idle_bench.sh [build folder] [seconds]    (build, 30)
set -eu
build=${1:-build}
seconds=${2:-30}
command -v xvfb-run >/dev/null || { echo "xvfb-run is missing (package xvfb)"; exit 1; }
work=$(mktemp -d)
export HOME="$work/home"
mkdir -p "$HOME"
runners=
trap 'for r in $runners; do kill $r 2>/dev/null || true; done; rm -rf "$work"' EXIT

# CPU nanoseconds and name of every thread of $1, one "tid ns name" a line.
threads() {
    for t in /proc/$1/task/*; do
        [ -r "$t/schedstat" ] || continue
        echo "${t##*/} $(cut -d' ' -f1 "$t/schedstat") $(tr ' ' '_' <"$t/comm")"
    done
}

# Starts $1 under a display of its own; prints its process id.
start() {
    xvfb-run -a -s "-screen 0 1280x1024x24" "$1" >/dev/null 2>&1 &
    runners="$runners $!"
    i=0
    while [ $i -lt 100 ]; do
        sleep 0.1
        pid=$(pgrep -n -f "^$1\$" || true)
        [ -n "$pid" ] && { echo "$pid"; return; }
        i=$((i + 1))
    done
    echo "$1 did not start" >&2
    exit 1
}

report() {
    echo "$1 ($seconds s)"
    awk -v s="$seconds" '
        NR == FNR { before[$1] = $2; next }
        ($1 in before) {
            ms = ($2 - before[$1]) / 1e6 / s
            total += ms
            printf "  %-20s %8.3f ms/s  %6.3f %% of a core\n", $3, ms, ms / 10
        }
        END { printf "  %-20s %8.3f ms/s  %6.3f %% of a core\n", "whole program", total, total / 10 }
    ' "$2" "$3"
}

program=$(start "$build/bin/orla_setup")
floor=$(start "$build/bench/bare_window")
sleep 3  # the windows up, the start-up done
threads "$program" >"$work/p0"
threads "$floor" >"$work/f0"
sleep "$seconds"
threads "$program" >"$work/p1"
threads "$floor" >"$work/f1"
kill -TERM "$program" "$floor"
wait 2>/dev/null || true
report "the program, dummy device" "$work/p0" "$work/p1"
report "floor: bare window, 10 ms timer, 10 ms loop" "$work/f0" "$work/f1"
