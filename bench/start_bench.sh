#!/bin/sh
# Start to main window mapped: the program and a bare Qt window, started in
# turn the given number of times on one virtual display without a window
# manager, each timed from its start to the mapping of its window.
#
#   bench/start_bench.sh [build folder] [runs]    (build, 30)
set -eu
build=${1:-build}
runs=${2:-30}
. "$(dirname "$0")/processes.sh"

start_display
DISPLAY=$display "$build/bench/x_probe" start "$runs" \
    "Telescope control=$build/bin/orla_setup" "bare window=$build/bench/bare_window"
