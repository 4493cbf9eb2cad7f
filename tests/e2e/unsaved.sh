#!/usr/bin/env bash
# Nothing the user did is lost: an 8K picture turned (Ctrl+R, edited in the background) and
# stored at once (Ctrl+W) is stored turned; an edited picture is not replaced by a click on
# another file without the question, and cancelling it keeps the edit.
source "$(dirname "$0")/lib.sh"

export QT_LOGGING_RULES="tolvik.commands.debug=true"

size_of() { identify -format '%w %h' "$1"; }
tolvik_windows() { xdotool search --onlyvisible --name '^Tolvik$' 2>/dev/null | wc -l; }

start_x
start_accessibility
"$IMGTOOL" make 7680 4320 "$E2E_TMP/8k.png" 3
start_tolvik

note "an 8K capture"
capture_and_restore "$E2E_TMP/8k.png"
[ "$(size_of "$WORK_DIR/001.bmp")" = "7680 4320" ] || fail "001.bmp is $(size_of "$WORK_DIR/001.bmp")"

note "Ctrl+R then Ctrl+W at once"
before=$(logged "command 作業ﾌｫﾙﾀﾞに保存 ran")
xdotool key --clearmodifiers ctrl+r ctrl+w
logged_more "$before" "command 作業ﾌｫﾙﾀﾞに保存 ran"
wait_for_file "$WORK_DIR/002.bmp" 30
[ "$(size_of "$WORK_DIR/002.bmp")" = "4320 7680" ] ||
    fail "the picture stored right after the turn is $(size_of "$WORK_DIR/002.bmp"), not turned"
"$IMGTOOL" edit "$WORK_DIR/001.bmp" "$E2E_TMP/turned.png" turn90
[ "$("$IMGTOOL" diff "$WORK_DIR/002.bmp" "$E2E_TMP/turned.png")" = same ] ||
    fail "002.bmp is not 001.bmp turned right"

note "an edit, then a click on another file: the question, and cancel keeps the edit"
key ctrl+r "command 右90度"
sleep 1 # the turn runs in the background; the question waits for it
click "001.bmp"
wait_for 20 "the question about the unsaved edit" bash -c "[ \$(xdotool search --onlyvisible --name '^Tolvik\$' 2>/dev/null | wc -l) -ge 2 ]"
xdotool key Escape
wait_for 10 "the question to close" bash -c "[ \$(xdotool search --onlyvisible --name '^Tolvik\$' 2>/dev/null | wc -l) -eq 1 ]"
key ctrl+w "command 作業ﾌｫﾙﾀﾞに保存"
wait_for_file "$WORK_DIR/003.bmp" 30
[ "$(size_of "$WORK_DIR/003.bmp")" = "7680 4320" ] ||
    fail "after cancel the picture shown is $(size_of "$WORK_DIR/003.bmp"), not the edited one"
[ "$("$IMGTOOL" diff "$WORK_DIR/001.bmp" "$WORK_DIR/003.bmp")" != same ] ||
    fail "after cancel 001.bmp was shown instead of the edited picture"
tolvik_alive
note "PASS"
