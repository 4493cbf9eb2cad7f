#!/usr/bin/env bash
# Screen captures taken in while minimised: numbered bitmaps with the pointer drawn in, one
# for each capture even of an unchanged screen; a copy of markup and picture is not taken as
# a capture; restoring ends the capture wait.
source "$(dirname "$0")/lib.sh"

# Where the pointer stands (and stands later) and where its image lands in a full-screen
# capture.
PX=200
PY=150
PX2=700
PY2=420
# check_capture STORED.bmp OFFERED.png [X Y]: the pointer drawn for X Y (PX PY when not given).
check_capture() { check_pointer_drawn "$1" "$2" "${3:-$PX}" "${4:-$PY}"; }

start_x
start_tolvik

"$IMGTOOL" make "$SCREEN_W" "$SCREEN_H" "$E2E_TMP/shot1.png" 1
"$IMGTOOL" make "$SCREEN_W" "$SCREEN_H" "$E2E_TMP/shot2.png" 2
"$IMGTOOL" make 320 200 "$E2E_TMP/shot3.png" 3
"$IMGTOOL" make "$SCREEN_W" "$SCREEN_H" "$E2E_TMP/shot4.png" 4
printf '<p>Hello <b>there</b></p>\n' >"$E2E_TMP/page.html"
[ "$(bmp_count)" -eq 0 ] || fail "the work folder is not empty at start"

timeout 10 xdotool windowminimize --sync "$TOLVIK_WIN" || fail "could not minimise the window"
wait_for 10 "the window to be iconified" is_hidden "$TOLVIK_WIN"
# The program switches to capture wait on its own state-change event.
sleep 1
tolvik_alive
timeout 10 xdotool mousemove --sync "$PX" "$PY" || fail "could not move the pointer"

note "first capture"
xclip_offer image/png "$E2E_TMP/shot1.png"
wait_for_file "$WORK_DIR/001.bmp" 10
check_capture "$WORK_DIR/001.bmp" "$E2E_TMP/shot1.png"

note "second capture"
xclip_offer image/png "$E2E_TMP/shot2.png"
wait_for_file "$WORK_DIR/002.bmp" 10
check_capture "$WORK_DIR/002.bmp" "$E2E_TMP/shot2.png"
[ "$(bmp_count)" -eq 2 ] || fail "expected 2 stored pictures, found $(bmp_count)"

note "the same screen captured again, the pointer moved between"
timeout 10 xdotool mousemove --sync "$PX2" "$PY2" || fail "could not move the pointer"
xclip_offer image/png "$E2E_TMP/shot2.png"
wait_for_file "$WORK_DIR/003.bmp" 10
check_capture "$WORK_DIR/003.bmp" "$E2E_TMP/shot2.png" "$PX2" "$PY2"
[ "$(bmp_count)" -eq 3 ] || fail "expected 3 stored pictures, found $(bmp_count)"

note "copy of markup and picture"
# With copy events on it may be stored, but as the picture it is: no pointer drawn in.
# (The pointer lies inside this smaller picture, as no window is active while minimised.)
clipoffer_offer --html "$E2E_TMP/page.html" --png "$E2E_TMP/shot3.png"
sleep 4
tolvik_alive
case $(bmp_count) in
3) note "the copy was not stored as a picture" ;;
4)
    [ -s "$WORK_DIR/004.bmp" ] || fail "the fourth picture is not 004.bmp: $(ls "$WORK_DIR")"
    wait_for_file "$WORK_DIR/004.bmp" 5
    out=$("$IMGTOOL" diff "$WORK_DIR/004.bmp" "$E2E_TMP/shot3.png") ||
        fail "imgtool could not compare 004.bmp"
    [ "$out" = same ] ||
        fail "the copy of markup and picture was taken as a capture (004.bmp vs offer: $out)"
    note "the copy was stored as a copy: 004.bmp equals the offered picture"
    ;;
*) fail "a copy of markup and picture gave $(($(bmp_count) - 3)) pictures: $(ls "$WORK_DIR")" ;;
esac
stored=$(bmp_count)

note "restore"
timeout 10 xdotool windowactivate --sync "$TOLVIK_WIN" ||
    timeout 10 xdotool windowmap --sync "$TOLVIK_WIN" || fail "could not restore the window"
wait_for 10 "the window to be shown again" is_viewable "$TOLVIK_WIN"
is_hidden "$TOLVIK_WIN" && fail "the restored window is still marked hidden"
[ "$(xdotool getwindowname "$TOLVIK_WIN")" = "Tolvik" ] ||
    fail "the window title is '$(xdotool getwindowname "$TOLVIK_WIN")', not 'Tolvik'"

# The README's picture of the window, as a user sees it after collecting.
if [ -n "${SCREENSHOT_DIR:-}" ]; then
    sleep 1
    import -window "$TOLVIK_WIN" "$SCREENSHOT_DIR/screenshot-x11.png" ||
        fail "import could not grab the window"
    note "screenshot: $SCREENSHOT_DIR/screenshot-x11.png"
fi

# Restored, the capture wait is over: a new picture on the clipboard stays there.
xclip_offer image/png "$E2E_TMP/shot4.png"
sleep 3
tolvik_alive
[ "$(bmp_count)" -eq "$stored" ] ||
    fail "a capture was taken in after restoring: $(ls "$WORK_DIR")"

note "PASS"
