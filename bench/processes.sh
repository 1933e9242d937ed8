# Sourced by the benchmark scripts: processes they start, each held by its
# id, ended on every way out (normal end, failure, SIGINT, SIGTERM, SIGHUP);
# never a process found by its name, which may be somebody else's.
work=$(mktemp -d)
started=
export HOME="$work/home"
mkdir -p "$HOME"

napper=
end_started() {
    [ -z "$napper" ] || kill -TERM "$napper" 2>/dev/null || true
    for p in $started; do kill -TERM "$p" 2>/dev/null || true; done
    i=0
    for p in $started; do
        while kill -0 "$p" 2>/dev/null && [ $i -lt 500 ]; do
            sleep 0.01
            i=$((i + 1))
        done
        kill -KILL "$p" 2>/dev/null || true
        wait "$p" 2>/dev/null || true
    done
    started=
    rm -rf "$work"
}
trap end_started EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

# Runs the command in the background and holds its id in $! and $started.
# Called directly, never in $(...): a subshell's list would be lost. Nothing
# waits for them before the end, so no id held can pass to another process.
launch() {
    "$@" &
    started="$started $!"
}

# Sleeps $1 seconds; a signal ends the sleep at once (and the script with it).
pause_for() {
    sleep "$1" &
    napper=$!
    wait "$napper" || true
    napper=
}

# Starts a virtual display of its own (Xvfb picks a free number); sets $display.
start_display() {
    command -v Xvfb >/dev/null || { echo "Xvfb is missing (package xvfb)" >&2; exit 1; }
    number_file="$work/display.$$.$(date +%s%N)"
    : >"$number_file"
    launch Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1
    i=0
    until [ -s "$number_file" ]; do
        i=$((i + 1))
        [ $i -le 500 ] || { echo "the virtual display did not start" >&2; exit 1; }
        sleep 0.01
    done
    display=:$(cat "$number_file")
}

# Waits until display $1 shows a top-level window named $2.
wait_window() {
    i=0
    until xwininfo -display "$1" -name "$2" >/dev/null 2>&1; do
        i=$((i + 1))
        [ $i -le 1000 ] || { echo "no window \"$2\" within 10 s" >&2; exit 1; }
        sleep 0.01
    done
}
