#!/bin/sh
# The whole program idle: started on a virtual display of its own on a
# machine without a board (so with the dummy device); its CPU time and wakes
# per thread over the given seconds once its main window is up, and again
# with the graph and the pad open ("Graph + pad" pressed from the keyboard,
# Tab and Space from Init). Beside it, over the same seconds, its floor: a
# bare Qt window with a 10 ms timer and a thread sleeping to 10 ms deadlines,
# both doing nothing, and last what the program costs over it. Measured at
# the same time, a change in the machine's load meets both alike. Only the
# processes started here are measured and ended, by the ids held.
#
#   bench/idle_bench.sh [build folder] [seconds]    (build, 30)
set -eu
build=${1:-build}
seconds=${2:-30}
. "$(dirname "$0")/processes.sh"
command -v xwininfo >/dev/null || { echo "xwininfo is missing (package x11-utils)"; exit 1; }

# Of every thread of $1, one "tid cpu-ns wakes name" a line; wakes are the
# times the thread gave up the processor to wait.
threads() {
    for t in /proc/$1/task/*; do
        [ -r "$t/schedstat" ] || continue
        echo "${t##*/} $(cut -d' ' -f1 "$t/schedstat") $(sed -n 's/^voluntary_ctxt_switches:[[:space:]]*//p' "$t/status") $(tr ' ' '_' <"$t/comm")"
    done
}

# $1 the title, $2 the process id (its user-interface thread has the same
# id), $3 and $4 the readings before and after.
report() {
    echo "$1 ($seconds s)"
    awk -v s="$seconds" -v ui="$2" '
        NR == FNR { cpu[$1] = $2; wakes[$1] = $3; next }
        ($1 in cpu) {
            ms = ($2 - cpu[$1]) / 1e6 / s
            total += ms
            printf "  %-20s %8.3f ms/s  %6.3f %% of a core  %6.1f wakes/s%s\n", $4, ms, ms / 10, ($3 - wakes[$1]) / s,
                $1 == ui ? "  (user-interface thread)" : ""
        }
        END { printf "  %-20s %8.3f ms/s  %6.3f %% of a core\n", "whole program", total, total / 10 }
    ' "$3" "$4"
}

start_display
program_display=$display
launch env DISPLAY="$program_display" "$build/bin/orla_setup" >/dev/null 2>&1
program=$!
start_display
floor_display=$display
launch env DISPLAY="$floor_display" "$build/bench/bare_window" >/dev/null 2>&1
floor=$!
wait_window "$program_display" "Telescope control"
wait_window "$floor_display" "bare window"
pause_for 3  # the start-up done

# The program over its floor, whole and user-interface thread: $1 and $2 the
# two process ids, $3 to $6 the program's and the floor's readings.
beside() {
    awk -v s="$seconds" -v p="$1" -v f="$2" '
        FNR == 1 { file++ }
        file == 2 && ($1 in seen) { d = ($2 - first[$1]) / 1e6 / s; prog += d; if ($1 == p) progui = d }
        file == 4 && ($1 in seen) { d = ($2 - first[$1]) / 1e6 / s; floor += d; if ($1 == f) floorui = d }
        file == 1 || file == 3 { first[$1] = $2; seen[$1] = 1 }
        END {
            printf "  the program over its floor: %+.3f ms/s, %+.3f points of a core (user-interface thread %+.3f ms/s)\n",
                prog - floor, (prog - floor) / 10, progui - floorui
        }
    ' "$3" "$4" "$5" "$6"
}

measure() {
    threads "$program" >"$work/p0"
    threads "$floor" >"$work/f0"
    pause_for "$seconds"
    threads "$program" >"$work/p1"
    threads "$floor" >"$work/f1"
    report "the program, dummy device, $1" "$program" "$work/p0" "$work/p1"
    report "floor: bare window, 10 ms timer, 10 ms loop" "$floor" "$work/f0" "$work/f1"
    beside "$program" "$floor" "$work/p0" "$work/p1" "$work/f0" "$work/f1"
}

measure "main window"
DISPLAY=$program_display "$build/bench/x_probe" keys "Telescope control" Tab space
wait_window "$program_display" "Form2"
pause_for 1
echo
measure "graph and pad open"
