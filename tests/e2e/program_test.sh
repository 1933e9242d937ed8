#!/bin/sh
# Starts the real program under a virtual display, as an operator would on a
# machine without a board: its window must appear with "Device not found",
# and SIGTERM must end it cleanly within a few seconds.
set -eu
program=$1
work=$(mktemp -d)
export HOME="$work/home"
mkdir -p "$HOME"
cd "$work"

fail() { echo "FAIL: $*"; exit 1; }

# A virtual display of our own: the server picks a free number itself and
# writes it once it takes connections, so nothing connects before the server
# is ready and no fixed number can be taken already. It does not reset when
# its last client goes, so the next run never meets a server that refuses
# connections while it starts over. $1 is the screen's size
# (WIDTHxHEIGHT, 1280x1024 by default). Sets DISPLAY and xvfb_pid.
xvfb_pid="" wm_pid=""
start_display() {
    for attempt in 1 2 3; do
        rm -f "$work/display"
        Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 "${1:-1280x1024}x24" 3>"$work/display" 2>"$work/xvfb.log" &
        xvfb_pid=$!
        i=0
        until [ -s "$work/display" ]; do
            i=$((i + 1)); [ $i -le 1000 ] || fail "no virtual display within 10 s: $(cat "$work/xvfb.log")"
            kill -0 $xvfb_pid 2>/dev/null || fail "the virtual display did not start: $(cat "$work/xvfb.log")"
            sleep 0.01
        done
        DISPLAY=:$(cat "$work/display")
        export DISPLAY
        # A server that lost a race for its number with another one starting
        # at the same time may take no clients: then it is started again.
        i=0
        until xprop -root >/dev/null 2>&1; do
            i=$((i + 1)); [ $i -le 300 ] || break
            sleep 0.01
        done
        [ $i -le 300 ] && return 0
        stop_display
    done
    fail "no client reaches the virtual display: $(cat "$work/xvfb.log")"
}
# For a failure's message: whether the display server still runs, and what it said.
display_state() {
    kill -0 "$xvfb_pid" 2>/dev/null && state=running || state=gone
    printf ' (display %s, server %s: %s)' "$DISPLAY" "$state" "$(cat "$work/xvfb.log" 2>/dev/null)"
}
stop_display() {
    [ -n "$xvfb_pid" ] || return 0
    kill $xvfb_pid 2>/dev/null || true
    wait $xvfb_pid 2>/dev/null || true
    xvfb_pid=""
    rm -f "$work/display"
}
# A failed check, or a test run ended from outside (a time-out), leaves no
# server or window manager of its own behind.
trap 'for p in $wm_pid $xvfb_pid; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT
trap 'exit 1' INT TERM HUP

# 1. The screenshot run: the program saves its windows and closes as Exit does.
start_display
ORLA_SCREENSHOTS="$work/shots" timeout 30 "$program" || fail "the screenshot run exited with $?"
grep -qx "windowTitle=Telescope control" "$work/shots/Main_View.txt" || fail "no window 'Telescope control'"
grep -qx "L_Object=Device not found" "$work/shots/Main_View.txt" || fail "status is not 'Device not found'"
grep -qx "Version=Version 1.4.0 by Loridan" "$work/shots/Main_View.txt" || fail "no version label"
# The pad, opened by the main window's button as an operator opens it, shows
# its translated texts whether or not anything activated it.
grep -qx "Button1=Up" "$work/shots/F_Manual.txt" || fail "the pad shows its design names: $(cat "$work/shots/F_Manual.txt")"
grep -qx "Button3=Slow" "$work/shots/F_Manual.txt" || fail "the pad's speed button is untranslated"
for w in Main_View F_Manual dev_int; do
    [ -s "$work/shots/$w.png" ] || fail "no picture of $w"
done
# The auxiliary windows, each opened from the main window's menu or button
# and closed again in the same run, and the sky windows, shown with a few
# entries, show their translated texts.
for shown in "Main_View:Button1=Graph + pad" "param_view:Exit_Button=Exit" "param_view:Save_Button=Save" \
    "param_view:Cancel_Button=Cancel" "F_Language:L_select=Language of the program" \
    "F_Language:ComboBox1=English" "F_Language:B_OK=OK" "F_About:L_Version=Version 1.4.0" \
    "F_About:build=Build: 25" "Form2:windowTitle=Form2" "Form2:Label2=Ha" \
    "F_list:Button1=Go to" "F_list:Button4=File..." "F_preselect:B_Left=Go to" "F_preselect:B_Right=Next" \
    "F_presel_add:Label2=Right ascension" "F_presel_add:B_save=OK"; do
    w=${shown%%:*}
    grep -qxF "${shown#*:}" "$work/shots/$w.txt" || fail "$w does not show '${shown#*:}'"
    [ -s "$work/shots/$w.png" ] || fail "no picture of $w"
done

# 2. SIGTERM closes the main window as Exit does; the program must be gone
# within 5 s, with status 0: once its window is up; the same with a FIFO
# named as the settings file, which counts as missing instead of blocking the
# start-up; and as soon as the program catches the signal (before that the
# loader runs), long before its window exists.
mkfifo "$work/fifo.ini"
window_up() { xwininfo -root -tree 2>/dev/null | grep -q "Telescope control"; }
# The program itself, not the shell that starts it (which catches TERM for
# this script's clean-up until it runs the program), catches SIGTERM.
catches_term() {
    [ "$(readlink /proc/$pid/exe 2>/dev/null)" = "$(readlink -f "$program")" ] &&
        mask=$(sed -n "s/^SigCgt:[[:space:]]*//p" /proc/$pid/status 2>/dev/null) &&
        [ -n "$mask" ] && [ $((0x$mask & 0x4000)) -ne 0 ]
}
gone() { ! kill -0 $pid 2>/dev/null; }
# Polls $1 up to $2 times, 10 ms apart; else kills the program and fails with $3.
within() {
    i=0
    until $1; do
        i=$((i + 1)); [ $i -le $2 ] || { kill -KILL $pid 2>/dev/null || true; fail "$3$(display_state)"; }
        sleep 0.01
    done
}
# Starts the program with the arguments after $2, waits for $2, then ends
# it by $1 (a signal's name, or "display" to end its display server); it
# must be gone within 5 s with status 0.
end_run() {
    how=$1 ready=$2; shift 2
    "$program" "$@" & pid=$!
    within $ready 1000 "$how: not $ready within 10 s"
    if [ "$how" = display ]; then kill $xvfb_pid; else kill -$how $pid; fi
    within gone 500 "$how: still running 5 s after"
    status=0; wait $pid || status=$?
    [ $status -eq 0 ] || fail "$how: exit status $status"
}
end_run TERM window_up
end_run TERM window_up "-i$work/fifo.ini"
end_run TERM catches_term

# 3. A start without sounds loads no sound library: the sound module, and Qt
# Multimedia with it, come with the first sound played.
"$program" & pid=$!
within window_up 1000 "the sound-free run: no window within 10 s"
loaded=$(grep -c -e orla_sound_qt -e libQt6Multimedia /proc/$pid/maps || true)
kill -TERM $pid
wait $pid || fail "the sound-free run exited with $?"
[ "$loaded" -eq 0 ] || fail "sound libraries were loaded at the start"
# 4. SIGINT, and SIGHUP (its terminal closed), end it as SIGTERM does; so
# does its display going away, which the toolkit answers with exit(): the
# control loop is stopped and joined, nothing aborts.
end_run INT window_up
end_run HUP window_up
end_run display window_up
stop_display

# 4b. Its display going away while a box the control loop waits for is up
# (Init with the dummy device brings "Motor Power not connected"), and while
# standard error is a pipe whose reader has gone (a remote session that
# dropped), ends it the same way: status 0, no crash, no SIGPIPE.
# shellcheck disable=SC2046
set -- $(sed -n "s/^geometry:B_Init=//p" "$work/shots/Main_View.txt")
[ $# -eq 4 ] || fail "the saved texts give no place of the Init button"
init_at="$(($1 + $3 / 2)) $(($2 + $4 / 2))"
box_up() { [ -n "$(xdotool search --onlyvisible --name '^orla_setup$' 2>/dev/null)" ]; }
# Presses Init once, as soon as the main window is shown; ready when the box
# has been up a while, as before an operator answers it: longer than the
# second the loop's clock keeps a zone reading, so the loop, let go at the
# end, reads the zone anew.
init_pressed=""
power_box_up() {
    if [ -z "$init_pressed" ]; then
        main=$(xdotool search --onlyvisible --name '^Telescope control$' 2>/dev/null | head -1)
        [ -n "$main" ] || return 1
        # shellcheck disable=SC2086
        xdotool mousemove --window "$main" $init_at click 1 || return 1
        init_pressed=1
    fi
    box_up && sleep 2
}
start_display
end_run display power_box_up
stop_display
start_display
mkfifo "$work/stderr"
cat "$work/stderr" >/dev/null &
reader=$!
# Ready once its window is up and the reader of its standard error is gone.
reader_gone() { window_up || return 1; kill $reader 2>/dev/null || true; wait $reader 2>/dev/null || true; }
"$program" 2>"$work/stderr" & pid=$!
within reader_gone 1000 "broken standard error: no window within 10 s"
kill $xvfb_pid
within gone 500 "broken standard error: still running 5 s after its display went"
status=0; wait $pid || status=$?
[ $status -eq 0 ] || fail "the display gone with standard error a broken pipe: exit status $status"
stop_display

# 4c. A display that is set but cannot be opened (no server has its number,
# or a Wayland socket nobody listens on) is met as no display is: one line
# naming it, status 1, not the toolkit's abort.
dead=4711
while [ -e /tmp/.X11-unix/X$dead ] || [ -e /tmp/.X$dead-lock ]; do dead=$((dead + 1)); done
# Each case: the message's reason|the environment.
for case in "DISPLAY is not set|-u DISPLAY" "DISPLAY=:$dead cannot be opened|DISPLAY=:$dead" \
    "WAYLAND_DISPLAY=gone cannot be opened, DISPLAY is not set|-u DISPLAY WAYLAND_DISPLAY=gone XDG_RUNTIME_DIR=$work"; do
    # shellcheck disable=SC2086
    status=0; env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY ${case#*|} timeout 10 "$program" 2>"$work/nodisplay.log" || status=$?
    [ $status -eq 1 ] || fail "${case#*|}: exit status $status, not 1: $(cat "$work/nodisplay.log")"
    grep -qxF "orla_setup: no display to open (${case%%|*}); to run without one, start it as: xvfb-run -a $program" \
        "$work/nodisplay.log" || fail "${case#*|}: not the no-display message: $(cat "$work/nodisplay.log")"
done

# 4d. Ctrl-Z (SIGTSTP) stops the program once the control loop has stopped
# the mount, also while the loop waits for a box of its own ("Motor Power
# not connected"); SIGCONT lets it go on, and SIGTERM then ends it as ever.
# Started in a process group of its own, as a shell with job control starts
# a job: the terminal's stops stop no orphaned group.
start_display
state() { sed -n 's/.*) \(.\).*/\1/p' /proc/$pid/stat 2>/dev/null; }
stopped() { [ "$(state)" = T ]; }
going_on() { s=$(state); [ -n "$s" ] && [ "$s" != T ]; }
for ready in window_up power_box_up; do
    init_pressed=""
    perl -e 'setpgrp(0, 0); exec @ARGV or exit 127' "$program" & pid=$!
    within $ready 1000 "Ctrl-Z ($ready): not ready within 10 s"
    kill -TSTP $pid
    within stopped 500 "Ctrl-Z ($ready): not stopped within 5 s"
    kill -CONT $pid
    within going_on 500 "Ctrl-Z ($ready): still stopped 5 s after SIGCONT"
    kill -TERM $pid
    within gone 500 "Ctrl-Z ($ready): still running 5 s after SIGTERM"
    status=0; wait $pid || status=$?
    [ $status -eq 0 ] || fail "Ctrl-Z ($ready): exit status $status after SIGCONT and SIGTERM"
done
stop_display

# --- Small screens under a window manager -----------------------------------
# A virtual screen of a laptop's size and a small one, each with openbox as
# the window manager, which frames the windows and places the main window.

# Starts openbox on DISPLAY, placing the main window at $1 (left, center or
# right) at the top of the screen; wm_pid is the window manager.
start_openbox() {
    x=0; [ "$1" = center ] && x=center; [ "$1" = right ] && x=-0
    printf '%s\n' '<?xml version="1.0" encoding="UTF-8"?>' \
        '<openbox_config xmlns="http://openbox.org/3.4/rc"><applications>' \
        "<application title=\"Telescope control\"><position force=\"yes\"><x>$x</x><y>0</y></position></application>" \
        '</applications></openbox_config>' > "$work/rc.xml"
    openbox --config-file "$work/rc.xml" > "$work/openbox.log" 2>&1 &
    wm_pid=$!
    i=0
    until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
        i=$((i + 1)); [ $i -le 1000 ] || fail "openbox did not start: $(cat "$work/openbox.log")$(display_state)"
        sleep 0.01
    done
}
stop_openbox() { kill "$wm_pid" 2>/dev/null || true; wait "$wm_pid" 2>/dev/null || true; wm_pid=""; }

# "left top width height" of line $2 ("frame", "screen", "geometry:Button1")
# in the saved texts of window $1.
rect_of() { sed -n "s/^$2=//p" "$work/small/$1.txt"; }
# Fails unless window $1 lies wholly on its screen's free area.
on_screen() {
    # shellcheck disable=SC2046
    set -- "$1" $(rect_of "$1" frame) $(rect_of "$1" screen)
    [ $# = 9 ] || fail "$1: no geometry saved"
    { [ "$2" -ge "$6" ] && [ "$3" -ge "$7" ] && [ $(($2 + $4)) -le $(($6 + $8)) ] && [ $(($3 + $5)) -le $(($7 + $9)) ]; } ||
        fail "$1 at $2,$3 size $4x$5 is not wholly on the screen $6,$7 $8x$9 ($size, main window $place at $(rect_of Main_View frame))"
}
# Fails if the frames of windows $1 and $2 overlap.
apart() {
    # shellcheck disable=SC2046
    set -- "$1" "$2" $(rect_of "$1" frame) $(rect_of "$2" frame)
    [ $# = 10 ] || fail "$1, $2: no geometry saved"
    { [ $(($3 + $5)) -le "$7" ] || [ $(($7 + $9)) -le "$3" ] || [ $(($4 + $6)) -le "$8" ] || [ $(($8 + ${10})) -le "$4" ]; } ||
        fail "$1 at $3,$4 ${5}x$6 and $2 at $7,$8 ${9}x${10} cover each other ($size, main window $place at $(rect_of Main_View frame))"
}
# Fails unless window $1 was stacked above window $2, as the window manager held them.
stacked_above() {
    a=$(rect_of "$1" stacked) b=$(rect_of "$2" stacked)
    { [ -n "$a" ] && [ -n "$b" ] && [ "$a" -ge 0 ] && [ "$b" -ge 0 ] && [ "$a" -gt "$b" ]; } ||
        fail "$1 (stacked $a) lies under $2 (stacked $b) ($size, $place)"
}

# 5. The screenshot run, the main window at the left edge, in the middle and
# at the right edge: the device window docked beside it and the pad below it
# lie wholly on the screen, the device window 20 px right of the main window
# where that fits, else 20 px left of it. The set-up, opened as Gear opens
# it: the encoder pulses dialog centred on the main window, then the set-up
# window and the pad side by side, neither on the other nor on the main
# window where they fit beside it, both wholly on the screen. The parameter
# editor and the language chooser open again where they were.
for size in 1366x768 1024x768; do
    start_display "$size"
    for place in left center right; do
        start_openbox "$place"
        rm -rf "$work/small"
        status=0
        env ORLA_SCREENSHOTS="$work/small" timeout 30 "$program" > "$work/small.log" 2>&1 || status=$?
        [ $status -eq 0 ] || fail "the screenshot run on $size ($place) exited with $status: $(cat "$work/small.log")"
        grep "^screenshot run: " "$work/small.log" || true
        for w in Main_View dev_int F_Manual setup/Form1 setup/Setup setup/F_Manual; do on_screen $w; done
        # shellcheck disable=SC2046
        set -- $(rect_of Main_View frame) $(rect_of dev_int frame) $(rect_of Main_View screen)
        if [ $(($1 + $3 + 20 + $7)) -le $((${9} + ${11})) ]; then
            { [ "$5" = $(($1 + $3 + 20)) ] && [ "$6" = "$2" ]; } ||
                fail "the device window left its place right of the main window on $size ($place): $*"
        elif [ $(($1 - 20 - $7)) -ge "$9" ]; then
            { [ $(($5 + $7 + 20)) = "$1" ] && [ "$6" = "$2" ]; } ||
                fail "the device window left its place left of the main window on $size ($place): $*"
        fi
        # shellcheck disable=SC2046
        set -- $(rect_of Main_View frame) $(rect_of setup/Setup frame) $(rect_of setup/F_Manual frame)
        { [ "$9" = $(($5 + $7 + 10)) ] && [ "${10}" = "$6" ]; } ||
            fail "the pad is not 10 px right of the set-up window on $size ($place): $*"
        row=$(($7 + 10 + ${11}))
        # shellcheck disable=SC2046
        set -- "$@" $(rect_of Main_View screen)
        if [ $(($1 + $3 + row)) -le $((${13} + ${15})) ] || [ $(($1 - row)) -ge "${13}" ]; then
            { [ $(($5 + row)) -le "$1" ] || [ "$5" -ge $(($1 + $3)) ]; } ||
                fail "the set-up window and the pad lie on the main window, though they fit beside it ($size, $place): $*"
        fi
        # shellcheck disable=SC2046
        set -- $(rect_of Main_View frame) $(rect_of setup/Form1 frame)
        { [ $((2 * $5 + $7 - 2 * $1 - $3)) -ge -3 ] && [ $((2 * $5 + $7 - 2 * $1 - $3)) -le 3 ] &&
            [ $((2 * $6 + $8 - 2 * $2 - $4)) -ge -3 ] && [ $((2 * $6 + $8 - 2 * $2 - $4)) -le 3 ]; } ||
            fail "the encoder pulses dialog is not centred on the main window on $size ($place): $*"
        # Hardware, then Gear; then Gear again with the pad left open where the
        # set-up window lands: the pad moves 10 px right of the set-up window,
        # and the two stand clear of the device window (these screens have
        # room for all three). The pulses dialog, and the box it shows for
        # "abc", come up above the pad, which stays on top.
        for w in setup/padopen/Setup setup/padopen/F_Manual setup/box/box; do on_screen $w; done
        for w in Setup F_Manual; do apart setup/$w dev_int; apart setup/padopen/$w setup/padopen/dev_int; done
        # shellcheck disable=SC2046
        set -- $(rect_of setup/padopen/Setup frame) $(rect_of setup/padopen/F_Manual frame)
        { [ "$5" = $(($1 + $3 + 10)) ] && [ "$6" = "$2" ]; } ||
            fail "Gear left the open pad where it was, not 10 px right of the set-up window on $size ($place): $*"
        stacked_above setup/pulses/Form1 setup/pulses/F_Manual
        stacked_above setup/box/box setup/box/F_Manual
        # By their client areas: under load the toolkit may save a frame it
        # has not yet learnt, where the client area is already in its place.
        for w in param_view F_Language; do
            [ "$(rect_of $w client)" = "$(rect_of again/$w client)" ] ||
                fail "$w opened again at $(rect_of again/$w client), not where it was: $(rect_of $w client) ($size, $place)"
        done
        stop_openbox
    done
    stop_display
done

# 5b. A window manager that stops answering, as a hung one does: no window of
# the screenshot run reaches the screen, yet the run ends well within its
# time, saves every window and says on standard error which it saved before
# they settled.
start_display 1366x768
start_openbox left
kill -STOP "$wm_pid"
status=0
env ORLA_SCREENSHOTS="$work/hung" timeout 30 "$program" > "$work/hung.log" 2>&1 || status=$?
kill -CONT "$wm_pid"
[ $status -eq 0 ] || fail "the screenshot run under a hung window manager exited with $status: $(cat "$work/hung.log")"
for w in Main_View F_Language setup/Setup; do
    grep -q "^screenshot run: ${w#setup/} saved unsettled after [0-9]* ms (not on the screen)" "$work/hung.log" ||
        fail "the screenshot run does not name $w as unsettled: $(cat "$work/hung.log")"
    [ -s "$work/hung/$w.png" ] || fail "no picture of $w under a hung window manager"
done
stop_openbox
stop_display

# 6. "Graph + pad" pressed again while the graph is behind the main window
# brings the graph over the main window and the pad to the front.
start_display 1366x768
start_openbox left
"$program" > "$work/front.log" 2>&1 &
pid=$!
stacking() { xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,//g'; }
position() { stacking | tr ' ' '\n' | grep -n -x "$(printf '0x%x' "$1")" | cut -d: -f1; }
# Whether window $1 is stacked above window $2.
above() { a=$(position "$1"); b=$(position "$2"); [ -n "$a" ] && [ -n "$b" ] && [ "$a" -gt "$b" ]; }
active_is() { [ "$(xprop -root _NET_ACTIVE_WINDOW | sed 's/.*# //')" = "$(printf '0x%x' "$1")" ]; }
# Runs its arguments until they succeed, up to 5 s.
soon() { i=0; until "$@"; do i=$((i + 1)); [ $i -le 500 ] || return 1; sleep 0.01; done; }
window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1; }
shown() { [ -n "$(window "$1")" ]; }
soon shown "Telescope control" || { kill -KILL $pid 2>/dev/null || true; fail "no main window under openbox"; }
main=$(window "Telescope control")
# shellcheck disable=SC2046
set -- $(rect_of Main_View geometry:Button1)
click_button1() { xdotool mousemove --window "$main" $(($1 + $3 / 2)) $(($2 + $4 / 2)) click 1; }
click_button1 "$@"
{ soon shown Form2 && soon shown F_Manual; } || { kill -KILL $pid 2>/dev/null || true; fail "Graph + pad opened no graph and pad"; }
graph=$(window Form2); pad=$(window F_Manual)
timeout 10 xdotool windowactivate --sync "$main" || { kill -KILL $pid 2>/dev/null || true; fail "the main window could not be activated"; }
soon above "$main" "$graph" || { kill -KILL $pid 2>/dev/null || true; fail "the main window did not come over the graph: $(stacking)"; }
click_button1 "$@"
soon above "$graph" "$main" ||
    { kill -KILL $pid 2>/dev/null || true; fail "a second Graph + pad left the graph behind the main window: $(stacking)"; }
soon active_is "$pad" ||
    { kill -KILL $pid 2>/dev/null || true; fail "a second Graph + pad did not activate the pad: $(xprop -root _NET_ACTIVE_WINDOW)"; }
kill -TERM $pid
wait $pid || fail "the program under openbox exited with $?"
stop_openbox
stop_display

echo "ok"
