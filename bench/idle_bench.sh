#!/bin/sh
# The whole program idle: started under a virtual display on a machine
# without a board (so with the dummy device), its CPU time per thread over
# the given seconds once its window is up; then, measured the same way
# right after, its floor: a bare Qt window with a 10 ms timer and a thread
# sleeping to 10 ms deadlines, both doing nothing.
#
#   bench/idle_bench.sh [build folder] [seconds]    (build, 30)
set -eu
build=${1:-build}
seconds=${2:-30}
command -v xvfb-run >/dev/null || { echo "xvfb-run is missing (package xvfb)"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home"
mkdir -p "$HOME"

# CPU nanoseconds and name of every thread of $1, one "tid ns name" a line.
threads() {
    for t in /proc/$1/task/*; do
        [ -r "$t/schedstat" ] || continue
        echo "${t##*/} $(cut -d' ' -f1 "$t/schedstat") $(cat "$t/comm" | tr ' ' '_')"
    done
}

measure() {
    title=$1
    shift
    xvfb-run -a -s "-screen 0 1280x1024x24" "$@" &
    runner=$!
    # The program is the newest process of that command line under the runner.
    i=0
    pid=
    while [ -z "$pid" ] && [ $i -lt 100 ]; do
        sleep 0.1
        pid=$(pgrep -n -f "^$1" || true)
        i=$((i + 1))
    done
    [ -n "$pid" ] || { echo "$title: did not start"; exit 1; }
    sleep 3  # the window up, the start-up done
    threads "$pid" >"$work/before"
    sleep "$seconds"
    threads "$pid" >"$work/after"
    kill -TERM "$pid"
    wait "$runner" || true
    echo "$title ($seconds s)"
    awk -v s="$seconds" '
        NR == FNR { before[$1] = $2; next }
        ($1 in before) {
            ms = ($2 - before[$1]) / 1e6 / s
            total += ms
            printf "  %-20s %8.3f ms/s  %6.3f %% of a core\n", $3, ms, ms / 10
        }
        END { printf "  %-20s %8.3f ms/s  %6.3f %% of a core\n", "whole program", total, total / 10 }
    ' "$work/before" "$work/after"
}

measure "the program, dummy device" "$build/bin/orla_setup"
measure "floor: bare window, 10 ms timer, 10 ms loop" "$build/bench/bare_window"
