#!/usr/bin/env bash
# Captures Tolvik takes itself, with no other capture tool about: Print (the screen), Alt+Print
# (the active window), Shift+Print and a drag (a region; Escape gives up), and
# "tolvik --capture" from another shell. Each is the next numbered file, equal to an
# independent grab of the same place but for the pointer drawn in, and the plain picture is on
# the clipboard for other programs. With Print held by another client Tolvik says so, and the
# command still captures (a start with --capture starts it minimised in capture wait). A second
# start without arguments raises the running one's window.
source "$(dirname "$0")/lib.sh"
: "${KEYGRAB:=}"
[ -x "$KEYGRAB" ] || fail "KEYGRAB must name an executable (got '$KEYGRAB')"
command -v import >/dev/null || fail "ImageMagick's import is not installed (scripts/deps.sh)"

# The pointer stands inside the picture window for the whole run.
PX=300
PY=200

# An independent grab of the whole screen.
reference() { import -window root "$E2E_TMP/$1" || fail "import could not grab the screen"; }
# crop IN OUT X Y W H
crop() {
    "$IMGTOOL" edit "$E2E_TMP/$1" "$E2E_TMP/$2" crop "$3" "$4" $(($3 + $5 - 1)) $(($4 + $6 - 1)) ||
        fail "could not crop $1"
}
# The clipboard's picture equals PLAIN.png exactly (no pointer: it is what the key would give).
check_clipboard() {
    timeout 10 xclip -selection clipboard -t image/png -o >"$E2E_TMP/clip.png" ||
        fail "xclip could not read a PNG from the clipboard"
    local out
    out=$("$IMGTOOL" diff "$E2E_TMP/clip.png" "$E2E_TMP/$1") || fail "could not compare clip.png"
    [ "$out" = same ] || fail "the clipboard does not hold the capture ($1): $out"
}
# press KEYS NUMBER: the keys to the session, then NUMBER.bmp is stored and no other file.
press() {
    local before
    before=$(bmp_count)
    xdotool key "$1"
    wait_for_file "$WORK_DIR/$2.bmp" 10
    [ "$(bmp_count)" -eq $((before + 1)) ] || fail "$1 stored $(($(bmp_count) - before)) files"
}
overlay() { xdotool search --onlyvisible --name '^Tolvik .' 2>/dev/null | head -n 1; }
no_overlay() { [ -z "$(overlay)" ]; }

start_x
start_accessibility

# Something to see: a picture in a window of its own, in front.
"$IMGTOOL" make 400 300 "$E2E_TMP/pic.png" 7
spawn display display -title picwin -geometry +160+120 "$E2E_TMP/pic.png"
wait_for 20 "the picture window" bash -c "xdotool search --onlyvisible --name '^picwin$' >/dev/null"
PICWIN=$(xdotool search --onlyvisible --name '^picwin$' | head -n 1)

start_tolvik
timeout 10 xdotool windowminimize --sync "$TOLVIK_WIN" || fail "could not minimise the window"
wait_for 10 "the window to be iconified" is_hidden "$TOLVIK_WIN"
sleep 1
timeout 10 xdotool windowactivate --sync "$PICWIN" || fail "could not activate the picture window"
timeout 10 xdotool mousemove --sync "$PX" "$PY" || fail "could not move the pointer"
sleep 0.5

note "Print: the screen"
reference screen1.png
press Print 001
check_pointer_drawn "$WORK_DIR/001.bmp" "$E2E_TMP/screen1.png" "$PX" "$PY"
check_clipboard screen1.png

note "Alt+Print: the active window, its frame included"
read -r WX WY WW WH < <(xwininfo -id "$PICWIN" |
    awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
         /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x, y, w, h}')
IFS=', ' read -r EL ER ET EB < <(xprop -id "$PICWIN" _NET_FRAME_EXTENTS | cut -d= -f2)
FX=$((WX - EL)) FY=$((WY - ET)) FW=$((WW + EL + ER)) FH=$((WH + ET + EB))
note "frame ($FX,$FY) ${FW}x$FH"
reference screen2.png
crop screen2.png window2.png "$FX" "$FY" "$FW" "$FH"
press alt+Print 002
check_pointer_drawn "$WORK_DIR/002.bmp" "$E2E_TMP/window2.png" $((PX - FX)) $((PY - FY))

note "Shift+Print, Escape: nothing"
xdotool key shift+Print
wait_for 10 "the region overlay" bash -c '[ -n "$(xdotool search --onlyvisible --name "^Tolvik ." 2>/dev/null)" ]'
xdotool key Escape
wait_for 10 "the overlay to go" no_overlay
sleep 1
[ "$(bmp_count)" -eq 2 ] || fail "a region given up was stored: $(ls "$WORK_DIR")"

note "Shift+Print, a drag: that region"
reference screen3.png
xdotool key shift+Print
wait_for 10 "the region overlay" bash -c '[ -n "$(xdotool search --onlyvisible --name "^Tolvik ." 2>/dev/null)" ]'
sleep 0.5
xdotool mousemove --sync 100 90 mousedown 1
xdotool mousemove --sync 200 150
xdotool mousemove --sync 340 260 mouseup 1
wait_for_file "$WORK_DIR/003.bmp" 10
wait_for 10 "the overlay to go" no_overlay
crop screen3.png region3.png 100 90 240 170
# The pointer was where it stood when the key was pressed.
check_pointer_drawn "$WORK_DIR/003.bmp" "$E2E_TMP/region3.png" $((PX - 100)) $((PY - 90))
check_clipboard region3.png
timeout 10 xdotool mousemove --sync "$PX" "$PY" || fail "could not move the pointer back"

note "tolvik --capture screen --delay 1 from another shell"
reference screen4.png
timeout 20 env QT_QPA_PLATFORM=xcb "$TOLVIK_BIN" --capture screen --delay 1 >"$E2E_TMP/second.log" 2>&1 ||
    fail "the second start failed: $(cat "$E2E_TMP/second.log")"
tolvik_alive
wait_for_file "$WORK_DIR/004.bmp" 10
check_pointer_drawn "$WORK_DIR/004.bmp" "$E2E_TMP/screen4.png" "$PX" "$PY"
check_clipboard screen4.png
sleep 1
[ "$(bmp_count)" -eq 4 ] || fail "expected 4 stored pictures, found $(bmp_count)"

note "a second start without arguments brings the running window to the front"
timeout 20 env QT_QPA_PLATFORM=xcb "$TOLVIK_BIN" >"$E2E_TMP/raise.log" 2>&1 ||
    fail "the second start failed: $(cat "$E2E_TMP/raise.log")"
wait_for 10 "the window to be shown again" is_viewable "$TOLVIK_WIN"
is_hidden "$TOLVIK_WIN" && fail "the raised window is still marked hidden"
tolvik_alive

note "Print held by another client"
kill "$TOLVIK_PID"
wait_for 15 "Tolvik to end" bash -c "! kill -0 $TOLVIK_PID 2>/dev/null"
spawn keygrab "$KEYGRAB"
wait_for 10 "the other client to hold Print" grep -q '^ready$' "$E2E_TMP/keygrab.log"
# Started with --capture and none running: minimised in capture wait, and it captures.
reference screen5.png
spawn tolvik2 env QT_QPA_PLATFORM=xcb "$TOLVIK_BIN" --capture screen
TOLVIK_PID=$LAST_PID
wait_for_file "$WORK_DIR/005.bmp" 20
check_pointer_drawn "$WORK_DIR/005.bmp" "$E2E_TMP/screen5.png" "$PX" "$PY"
# The notice box may still be taking its text when first read.
wait_for 10 "the notice that another program holds Print" bash -c \
    "timeout 30 /usr/bin/python3 '$ATSPI_PY' texts '$APP' 2>/dev/null | grep 'Print Screen.*は他のﾌﾟﾛｸﾞﾗﾑが使っています' >/dev/null"
xdotool key Print
sleep 2
[ "$(bmp_count)" -eq 5 ] || fail "Print held by another client still captured: $(ls "$WORK_DIR")"
timeout 20 env QT_QPA_PLATFORM=xcb "$TOLVIK_BIN" --capture window >"$E2E_TMP/third.log" 2>&1 ||
    fail "the capture command failed: $(cat "$E2E_TMP/third.log")"
wait_for_file "$WORK_DIR/006.bmp" 10
tolvik_alive

note "PASS"
