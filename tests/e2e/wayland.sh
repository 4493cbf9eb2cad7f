#!/usr/bin/env bash
# Under a headless sway with XWayland: a picture a Wayland program puts on the clipboard is
# stored once while sway hides the window in its scratchpad, both through the compositor's
# data control and through XWayland; showing the window ends the capture wait. A screenshot of
# the shown window is left in SHOT_DIR. sway will not run as root: as root the run makes (or
# reuses) an unprivileged user for the session; otherwise it runs as the current user.
source "$(dirname "$0")/lib.sh"

for tool in sway Xwayland swaymsg wl-copy grim; do
    command -v "$tool" >/dev/null || fail "'$tool' is not installed (scripts/deps.sh installs it)"
done

SESSION_USER=$(id -un)
if [ "$(id -u)" -eq 0 ]; then
    SESSION_USER=tolvik-e2e
    id "$SESSION_USER" >/dev/null 2>&1 ||
        useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin \
            "$SESSION_USER" || fail "could not make the user $SESSION_USER"
fi

# Everything the session touches lives in a scratch folder that user owns.
SCRATCH="$E2E_TMP/session"
mkdir -p "$SCRATCH/run" "$SCRATCH/home/.local/share" "$SCRATCH/home/.config" "$SCRATCH/prog"
# The program with what it finds beside it (the tests' executables share its folder).
cp -r "$TOLVIK_BIN" "$(dirname "$TOLVIK_BIN")/UserData.ini" "$(dirname "$TOLVIK_BIN")/apData" \
    "$SCRATCH/prog/"
cp "$CLIPOFFER" "$SCRATCH/prog/"
chmod 755 "$E2E_TMP"
chmod 700 "$SCRATCH/run"
[ "$(id -u)" -eq 0 ] && chown -R "$SESSION_USER" "$SCRATCH"
# The program's log, shown with the others when the run fails.
ln -s "$SCRATCH/tolvik.log" "$E2E_TMP/tolvik.log"
BIN="$SCRATCH/prog/$(basename "$TOLVIK_BIN")"
WORK_DIR="$SCRATCH/home/.local/share/Quellen/$(basename "$TOLVIK_BIN")/Temp"

# user_cmd COMMAND...: CMD becomes COMMAND run in the session's environment, as its user (an
# array, so spawn gets the process itself); as_user runs it.
user_cmd() {
    local envs=(HOME="$SCRATCH/home" XDG_RUNTIME_DIR="$SCRATCH/run" PATH=/usr/bin:/bin
        XDG_DATA_HOME="$SCRATCH/home/.local/share" XDG_CONFIG_HOME="$SCRATCH/home/.config"
        LANG=C.UTF-8 ${WAYLAND_SOCKET:+WAYLAND_DISPLAY=$WAYLAND_SOCKET} ${SWAYSOCK:+SWAYSOCK=$SWAYSOCK})
    CMD=(env -i "${envs[@]}" "$@")
    if [ "$(id -u)" -eq 0 ]; then
        CMD=(setpriv --reuid="$SESSION_USER" --regid="$(id -g "$SESSION_USER")" --init-groups
            "${CMD[@]}")
    fi
}
as_user() {
    user_cmd "$@"
    "${CMD[@]}"
}

cat >"$SCRATCH/sway.conf" <<'CONF'
xwayland enable
output HEADLESS-1 resolution 1280x800
CONF
WAYLAND_SOCKET= SWAYSOCK=
user_cmd env WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    sway -c "$SCRATCH/sway.conf"
spawn sway "${CMD[@]}"
wait_for 20 "sway to start" bash -c "ls '$SCRATCH/run'/sway-ipc.*.sock >/dev/null 2>&1"
SWAYSOCK=$(ls "$SCRATCH/run"/sway-ipc.*.sock)
WAYLAND_SOCKET=$(basename "$(ls "$SCRATCH/run"/wayland-* | grep -v '\.lock$' | head -n 1)")
note "sway at $WAYLAND_SOCKET as $SESSION_USER"

tree() { as_user swaymsg -t get_tree; }
holder_shown() { tree | grep -q '"holder"'; }
# The pid of the window named Tolvik, empty while there is none.
tolvik_pid() {
    tree | python3 -c 'import json, sys
def walk(n):
    if n.get("name") == "Tolvik" and n.get("pid"):
        print(n["pid"]); sys.exit()
    for c in n.get("nodes", []) + n.get("floating_nodes", []):
        walk(c)
walk(json.load(sys.stdin))'
}

"$IMGTOOL" make 640 400 "$SCRATCH/shot1.png" 1
"$IMGTOOL" make 640 400 "$SCRATCH/shot2.png" 2
"$IMGTOOL" make 320 200 "$SCRATCH/late.png" 3
chmod 644 "$SCRATCH"/*.png

# run_road ROAD: one start of the program with the clipboard watched through ROAD.
run_road() {
    local road=$1 pid
    rm -rf "$WORK_DIR"
    as_user swaymsg exec "TOLVIK_CLIPBOARD=$road QT_LOGGING_RULES='tolvik.*.info=true' \
        '$BIN' >'$SCRATCH/tolvik.log' 2>&1" >/dev/null
    pid=
    local end=$((SECONDS + 30))
    while [ -z "$pid" ] && [ "$SECONDS" -lt "$end" ]; do
        pid=$(tolvik_pid) || true
        sleep 0.3
    done
    [ -n "$pid" ] || fail "no window named Tolvik within 30 s"
    _pids+=("$pid")
    wait_for 10 "the work folder" test -d "$WORK_DIR"
    local expect="the X server"
    [ "$road" = wayland ] && expect="the compositor"
    grep -q "clipboard watched through $expect" "$SCRATCH/tolvik.log" ||
        fail "the clipboard is not watched through $expect: $(grep -m1 'watched' "$SCRATCH/tolvik.log")"
    note "$road: Tolvik $pid, watched through $expect"

    as_user swaymsg '[title="Tolvik"] move scratchpad' >/dev/null
    wait_for 10 "capture wait to begin in the scratchpad" \
        bash -c "grep -q 'capture wait begins' '$SCRATCH/tolvik.log'"
    if [ "$road" = wayland ]; then
        # Our own offers come back from XWayland marked, and are passed over (here one made
        # by another X program with our mark, standing in for the window's own copy). sway
        # hands an X offer on to Wayland only while an X window has the focus.
        as_user swaymsg exec "xmessage -name holder -title holder focus" >/dev/null
        wait_for 10 "an X window with the focus" holder_shown
        as_user swaymsg exec "QT_QPA_PLATFORM=xcb '$SCRATCH/prog/clipoffer' --png '$SCRATCH/late.png' \
            --data application/x-tolvik-offer '$SCRATCH/late.png' >'$SCRATCH/clipoffer.log' 2>&1" >/dev/null
        wait_for 15 "the marked offer to be passed over" \
            bash -c "grep -q 'is our own: passed over' '$SCRATCH/tolvik.log'"
        as_user swaymsg '[title="holder"] kill' >/dev/null
    fi
    local shot="$SCRATCH/shot1.png"
    [ "$road" = x11 ] && shot="$SCRATCH/shot2.png"
    # (A job in the background reads /dev/null unless it opens its input itself.)
    user_cmd sh -c "exec wl-copy --foreground --type image/png <'$shot'"
    spawn "wl-copy-$road" "${CMD[@]}"
    local copier=$LAST_PID
    wait_for_file "$WORK_DIR/001.bmp" 15
    out=$("$IMGTOOL" diff "$WORK_DIR/001.bmp" "$shot") || fail "imgtool could not compare 001.bmp"
    if [ "$road" = wayland ]; then
        # No pointer comes with an offer of the compositor: the picture as offered.
        [ "$out" = same ] || fail "$road: 001.bmp is not the offered picture: $out"
    else
        case $out in same | diff*) ;; *) fail "$road: 001.bmp vs the offer: $out" ;; esac
    fi
    # Once: nothing else comes of the one offer, by either road.
    sleep 2
    [ "$(bmp_count)" -eq 1 ] || fail "$road: the offer was stored $(bmp_count) times: $(ls "$WORK_DIR")"
    kill "$copier" 2>/dev/null || true

    as_user swaymsg '[title="Tolvik"] scratchpad show' >/dev/null
    wait_for 10 "capture wait to end when shown" \
        bash -c "grep -q 'capture wait ends' '$SCRATCH/tolvik.log'"
    if [ "$road" = wayland ]; then
        user_cmd sh -c "exec wl-copy --foreground --type image/png <'$SCRATCH/late.png'"
        spawn wl-copy-late "${CMD[@]}"
        sleep 2
        [ "$(bmp_count)" -eq 1 ] || fail "a picture was taken in while the window was shown"
        kill "$LAST_PID" 2>/dev/null || true
        sleep 0.5
        as_user grim "$SCRATCH/shown.png" || fail "grim could not take the screen"
        if [ -n "${SHOT_DIR:-}" ]; then
            cp "$SCRATCH/shown.png" "$SHOT_DIR/wayland-tolvik.png" && note "screenshot in $SHOT_DIR/wayland-tolvik.png"
        fi
    fi
    kill "$pid"
    wait_for 15 "Tolvik to end" bash -c "! kill -0 $pid 2>/dev/null"
}

run_road wayland
run_road x11
note "passed"
