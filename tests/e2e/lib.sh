# shellcheck shell=bash
# Shared set-up of the end-to-end runs, sourced by each scenario: a private Xvfb with openbox,
# a scratch home, and Tolvik started in it. Everything started here is stopped on exit.
# Needs TOLVIK_BIN, CLIPOFFER and IMGTOOL (set by CTest). No input, no DISPLAY needed.
set -euo pipefail

E2E_NAME=$(basename "$0" .sh)
SCREEN_W=1280
SCREEN_H=800

fail() {
    echo "FAIL [$E2E_NAME]: $*" >&2
    exit 1
}
note() { echo "[$E2E_NAME] $*"; }

for tool in Xvfb openbox xdotool xclip xprop xwininfo wmctrl; do
    command -v "$tool" >/dev/null || fail "'$tool' is not installed (scripts/deps.sh installs it)"
done
: "${TOLVIK_BIN:=}" "${CLIPOFFER:=}" "${IMGTOOL:=}"
for var in TOLVIK_BIN CLIPOFFER IMGTOOL; do
    [ -x "${!var:-}" ] || fail "$var must name an executable (got '${!var:-}')"
done

E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/tolvik-e2e.XXXXXX")
_pids=()
_mounts=()

_cleanup() {
    local rc=$?
    # Newest first, so the program goes before its X server.
    local i
    for ((i = ${#_pids[@]} - 1; i >= 0; i--)); do
        kill "${_pids[i]}" 2>/dev/null || true
    done
    for ((i = ${#_pids[@]} - 1; i >= 0; i--)); do
        wait "${_pids[i]}" 2>/dev/null || true
    done
    # Unmounted once nothing runs in them any more, before the scratch folder goes.
    for ((i = ${#_mounts[@]} - 1; i >= 0; i--)); do
        umount "${_mounts[i]}" 2>/dev/null || umount -l "${_mounts[i]}" 2>/dev/null || true
    done
    if [ "$rc" -ne 0 ]; then
        echo "--- work folder ---" >&2
        ls -l "${WORK_DIR:-/nonexistent}" >&2 2>/dev/null || echo "(none)" >&2
        for log in "$E2E_TMP"/*.log; do
            [ -s "$log" ] || continue
            echo "--- $(basename "$log") (last lines) ---" >&2
            tail -n 30 "$log" >&2
        done
    fi
    rm -rf "$E2E_TMP"
    exit "$rc"
}
trap _cleanup EXIT
trap 'exit 130' INT TERM

# Runs a command in the background, output to $E2E_TMP/NAME.log; its pid is in LAST_PID.
spawn() {
    local name=$1
    shift
    "$@" >"$E2E_TMP/$name.log" 2>&1 &
    LAST_PID=$!
    _pids+=("$LAST_PID")
}

# wait_for SECONDS DESCRIPTION COMMAND...: polls COMMAND every 0.1 s until it succeeds.
wait_for() {
    local secs=$1 what=$2
    shift 2
    local end=$((SECONDS + secs))
    until "$@"; do
        [ "$SECONDS" -lt "$end" ] || fail "timed out after ${secs} s waiting for $what"
        sleep 0.1
    done
}

start_x() {
    unset WAYLAND_DISPLAY XAUTHORITY XDG_SESSION_TYPE
    export HOME="$E2E_TMP/home"
    export XDG_DATA_HOME="$HOME/.local/share" XDG_CONFIG_HOME="$HOME/.config"
    export XDG_CACHE_HOME="$HOME/.cache" XDG_RUNTIME_DIR="$E2E_TMP/run"
    mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
    mkdir -p "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"

    # Xvfb picks a free display and writes its number to fd 3 once it accepts clients.
    "Xvfb" -displayfd 3 -screen 0 "${SCREEN_W}x${SCREEN_H}x24" -nolisten tcp -noreset \
        3>"$E2E_TMP/display" >"$E2E_TMP/xvfb.log" 2>&1 &
    _pids+=("$!")
    wait_for 20 "Xvfb to start" grep -q '^[0-9]' "$E2E_TMP/display"
    DISPLAY=":$(head -n 1 "$E2E_TMP/display")"
    export DISPLAY

    # No other capture tool: openbox's stock configuration gives Print and Alt+Print to scrot.
    local rc=()
    if [ -r /etc/xdg/openbox/rc.xml ]; then
        sed -e '/<keybind key="\(A-\)\{0,1\}Print">/,/<\/keybind>/d' /etc/xdg/openbox/rc.xml \
            >"$E2E_TMP/openbox-rc.xml"
        rc=(--config-file "$E2E_TMP/openbox-rc.xml")
    fi
    spawn openbox openbox --sm-disable "${rc[@]}"
    wait_for 20 "openbox to manage the screen" \
        bash -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'
    note "X server $DISPLAY with openbox"
}

# A private session bus with the accessibility bus on it; programs started afterwards publish
# their controls through AT-SPI, which atspi.py reads. Call after start_x.
start_accessibility() {
    command -v dbus-daemon >/dev/null || fail "dbus-daemon is not installed (scripts/deps.sh)"
    /usr/bin/python3 -c 'import pyatspi' 2>/dev/null ||
        fail "python3-pyatspi is not installed (scripts/deps.sh installs it)"
    spawn session-bus dbus-daemon --session --nofork --print-address=1
    wait_for 10 "the session bus" grep -q '^unix:' "$E2E_TMP/session-bus.log"
    DBUS_SESSION_BUS_ADDRESS=$(grep -m 1 '^unix:' "$E2E_TMP/session-bus.log")
    export DBUS_SESSION_BUS_ADDRESS
    # Qt looks for the accessibility bus once, at start: it must be running by then.
    atspi ready || fail "the accessibility bus did not start"
    export QT_ACCESSIBILITY=1 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
}

# atspi ARGS...: the accessibility helper (see atspi.py), with the system's Python and its
# pyatspi; given up after 30 s.
ATSPI_PY="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/atspi.py"
atspi() { timeout 30 /usr/bin/python3 "$ATSPI_PY" "$@"; }

# mount_tmpfs SIZE DIR: a tmpfs of SIZE (mount's form, "64k") at DIR, unmounted at the end;
# false where mounting is not permitted (not root).
mount_tmpfs() {
    mkdir -p "$2"
    mount -t tmpfs -o "size=$1" tmpfs "$2" 2>/dev/null || return 1
    _mounts+=("$2")
}

# Starts the program; its window id is in TOLVIK_WIN, its work folder in WORK_DIR.
start_tolvik() {
    WORK_DIR="$XDG_DATA_HOME/Quellen/$(basename "$TOLVIK_BIN")/Temp"
    spawn tolvik env QT_QPA_PLATFORM=xcb "$TOLVIK_BIN"
    TOLVIK_PID=$LAST_PID
    # Polled rather than "search --sync": a window that vanishes during xdotool's walk of the
    # tree (the window manager's own, a closing one) makes it fail outright.
    TOLVIK_WIN=
    local end=$((SECONDS + 30))
    while [ -z "$TOLVIK_WIN" ] && [ "$SECONDS" -lt "$end" ]; do
        TOLVIK_WIN=$(xdotool search --onlyvisible --name '^Tolvik$' 2>/dev/null | head -n 1) || true
        sleep 0.3
        # Only a window that is still there a moment later counts.
        if [ -n "$TOLVIK_WIN" ] && ! xwininfo -id "$TOLVIK_WIN" >/dev/null 2>&1; then
            TOLVIK_WIN=
        fi
    done
    [ -n "$TOLVIK_WIN" ] || fail "no visible window named 'Tolvik' within 30 s"
    tolvik_alive
    [ -d "$WORK_DIR" ] || fail "the work folder $WORK_DIR was not created"
    note "Tolvik window $TOLVIK_WIN, work folder $WORK_DIR"
}

# Closes the program from its frame: the window manager's close request (_NET_CLOSE_WINDOW,
# which openbox turns into WM_DELETE_WINDOW, as its close button does). Waits until the program
# has ended and its window is gone.
close_tolvik() {
    wmctrl -i -c "$TOLVIK_WIN" || fail "could not ask the window manager to close the window"
    wait_for 15 "Tolvik to end after the close request" bash -c "! kill -0 $TOLVIK_PID 2>/dev/null"
    wait_for 10 "the old window to go" bash -c "! xwininfo -id $TOLVIK_WIN >/dev/null 2>&1"
}

tolvik_alive() {
    kill -0 "$TOLVIK_PID" 2>/dev/null || fail "Tolvik is no longer running"
}

# True while the window is iconified.
is_hidden() { xprop -id "$1" _NET_WM_STATE | grep -q _NET_WM_STATE_HIDDEN; }
is_viewable() { xwininfo -id "$1" | grep -q 'Map State: IsViewable'; }

# Puts FILE on the clipboard as MIME type TYPE through xclip, which holds it until replaced.
xclip_offer() {
    spawn "xclip-$(basename "$2")" xclip -quiet -selection clipboard -t "$1" -i "$2"
}

# Offers formats through clipoffer (its arguments as given) and waits until it owns them.
clipoffer_offer() {
    local log="clipoffer-$RANDOM"
    spawn "$log" "$CLIPOFFER" "$@"
    wait_for 10 "clipoffer to own the clipboard" grep -q '^ready$' "$E2E_TMP/$log.log"
}

# Number of stored pictures in the work folder.
bmp_count() { find "$WORK_DIR" -maxdepth 1 -name '*.bmp' | wc -l; }

# Waits until FILE exists and its size has stopped changing.
wait_for_file() {
    local file=$1 secs=$2
    wait_for "$secs" "$(basename "$file") to be stored" test -s "$file"
    local before=-1 now
    now=$(stat -c %s "$file")
    while [ "$now" != "$before" ]; do
        sleep 0.3
        before=$now
        now=$(stat -c %s "$file")
    done
}

# The application's name in the accessibility tree.
APP=$(basename "$TOLVIK_BIN")

# click NAME [BUTTON]: a click in the middle of the showing control of that accessible name.
click() {
    local where x y w h
    where=$(atspi where "$APP" "$1") || fail "nothing named '$1' is showing"
    read -r x y w h <<<"$where"
    xdotool mousemove --sync $((x + w / 2)) $((y + h / 2)) click "${2:-1}"
}
# drag FX FY TX TY: a left-button drag inside the picture view, at percentages of it.
drag() {
    local where x y w h
    where=$(atspi where "$APP" "画像") || fail "the picture view is not showing"
    read -r x y w h <<<"$where"
    xdotool mousemove --sync $((x + w * $1 / 100)) $((y + h * $2 / 100)) mousedown 1
    xdotool mousemove --sync $((x + w * ($1 + $3) / 200)) $((y + h * ($2 + $4) / 200))
    xdotool mousemove --sync $((x + w * $3 / 100)) $((y + h * $4 / 100)) mouseup 1
}
# Number of lines of the program's log that hold the text (the command log is on when
# QT_LOGGING_RULES="tolvik.commands.debug=true").
logged() { grep -c -F "$1" "$E2E_TMP/tolvik.log" || true; }
# logged_more BEFORE TEXT: waits until more lines than BEFORE hold TEXT.
logged_more() {
    wait_for 20 "'$2' in the log" bash -c "[ \$(grep -c -F '$2' '$E2E_TMP/tolvik.log') -gt $1 ]"
}
# key COMBO WHAT: the key to the window, then waits until the log says "WHAT ran" once more
# (WHAT is "command CAPTION", or "key KEYS" for a key no menu shows).
key() {
    local before
    before=$(logged "$2 ran")
    xdotool key --clearmodifiers "$1"
    logged_more "$before" "$2 ran"
}
# The range last set, as "X1 Y1 X2 Y2", from the command log.
last_range() {
    grep -o 'range [0-9-]* [0-9-]* [0-9-]* [0-9-]*' "$E2E_TMP/tolvik.log" | tail -n 1 | cut -d' ' -f2-
}

# capture_and_restore PNG: takes PNG in as 001.bmp while minimised, then restores the window
# with the clipboard empty again (so "ｸﾘｯﾌﾟﾎﾞｰﾄﾞから貼付" is disabled, as menu walks count on).
capture_and_restore() {
    timeout 10 xdotool windowminimize --sync "$TOLVIK_WIN" || fail "could not minimise the window"
    wait_for 10 "the window to be iconified" is_hidden "$TOLVIK_WIN"
    sleep 1
    xclip_offer image/png "$1"
    wait_for_file "$WORK_DIR/001.bmp" 10
    kill "$LAST_PID"
    timeout 10 xdotool windowactivate --sync "$TOLVIK_WIN" ||
        timeout 10 xdotool windowmap --sync "$TOLVIK_WIN" || fail "could not restore the window"
    wait_for 10 "the window to be shown again" is_viewable "$TOLVIK_WIN"
    sleep 1
}

# Waits until a file dialog has the focus, its name box ready.
wait_for_dialog() {
    wait_for 15 "the file dialog" bash -c "[ \"\$(xdotool getactivewindow)\" != $TOLVIK_WIN ]"
    sleep 0.3
}
# type_into_dialog PATH: the path into the file dialog's name box and Return; then the window
# has the focus again.
type_into_dialog() {
    wait_for_dialog
    xdotool type --delay 10 "$1"
    xdotool key Return
    wait_for 15 "the file dialog to close" bash -c "[ \"\$(xdotool getactivewindow)\" = $TOLVIK_WIN ]"
}

# The largest pointer image we allow for, and slack around its corner.
CURSOR_MAX=64
SLACK=8

# check_pointer_drawn STORED.bmp PLAIN.png X Y: equal except for the pointer, which must be
# there, drawn for the pointer position X Y of the picture.
check_pointer_drawn() {
    local stored=$1 plain=$2 out
    local dx=$(($3 - 6)) dy=$(($4 - 8))
    out=$("$IMGTOOL" diff "$stored" "$plain") || fail "imgtool could not compare $stored"
    note "$(basename "$stored") vs $(basename "$plain"): $out"
    # shellcheck disable=SC2086
    set -- $out
    case $1 in
    same) fail "$(basename "$stored") has no pointer drawn in (identical to $(basename "$plain"))" ;;
    size) fail "$(basename "$stored") is $2, $(basename "$plain") $3" ;;
    diff) ;;
    *) fail "unexpected imgtool answer: $out" ;;
    esac
    local x1=$2 y1=$3 x2=$4 y2=$5
    if [ "$x1" -lt $((dx - SLACK)) ] || [ "$y1" -lt $((dy - SLACK)) ] ||
        [ "$x2" -gt $((dx + CURSOR_MAX)) ] || [ "$y2" -gt $((dy + CURSOR_MAX)) ]; then
        fail "$(basename "$stored") differs from $(basename "$plain") outside the pointer" \
            "area near ($dx,$dy): box ($x1,$y1)-($x2,$y2)"
    fi
}
