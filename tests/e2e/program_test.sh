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
# writes it once it takes connections, so two runs never race for one number
# and nothing connects before the server is ready. Sets DISPLAY and xvfb_pid.
xvfb_pid=""
start_display() {
    Xvfb -displayfd 3 -nolisten tcp -screen 0 "${1:-1280x1024x24}" 3>"$work/display" 2>"$work/xvfb.log" &
    xvfb_pid=$!
    i=0
    until [ -s "$work/display" ]; do
        i=$((i + 1)); [ $i -le 1000 ] || fail "no virtual display within 10 s: $(cat "$work/xvfb.log")"
        kill -0 $xvfb_pid 2>/dev/null || fail "the virtual display did not start: $(cat "$work/xvfb.log")"
        sleep 0.01
    done
    DISPLAY=:$(cat "$work/display")
    export DISPLAY
}
stop_display() {
    [ -n "$xvfb_pid" ] || return 0
    kill $xvfb_pid 2>/dev/null || true
    wait $xvfb_pid 2>/dev/null || true
    xvfb_pid=""
    rm -f "$work/display"
}
trap 'stop_display; rm -rf "$work"' EXIT

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
catches_term() {
    mask=$(sed -n "s/^SigCgt:[[:space:]]*//p" /proc/$pid/status 2>/dev/null) &&
        [ -n "$mask" ] && [ $((0x$mask & 0x4000)) -ne 0 ]
}
gone() { ! kill -0 $pid 2>/dev/null; }
# Polls $1 up to $2 times, 10 ms apart; else kills the program and fails with $3.
within() {
    i=0
    until $1; do
        i=$((i + 1)); [ $i -le $2 ] || { kill -KILL $pid 2>/dev/null; fail "$3"; }
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
# 3. SIGINT, and SIGHUP (its terminal closed), end it as SIGTERM does; so
# does its display going away, which the toolkit answers with exit(): the
# control loop is stopped and joined, nothing aborts.
end_run INT window_up
end_run HUP window_up
end_run display window_up
stop_display

# 3. A start without sounds loads no sound library: the sound module, and Qt
# Multimedia with it, come with the first sound played.
xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
    "$1" & pid=$!
    i=0
    until xwininfo -root -tree 2>/dev/null | grep -q "Telescope control"; do
        i=$((i + 1)); [ $i -le 1000 ] || { kill -KILL $pid; exit 11; }
        sleep 0.01
    done
    loaded=$(grep -c -e orla_sound_qt -e libQt6Multimedia /proc/$pid/maps || true)
    kill -TERM $pid
    wait $pid || exit 13
    [ "$loaded" -eq 0 ] || exit 14
' sh "$program" || fail "the sound-free run ended with $? (11: no window within 10 s, 13: exit status not 0, 14: sound libraries loaded at start)"

echo "ok"
