#!/usr/bin/env bash
# Copy events: text and picture copies of another program become the next ".txt" and
# ".bmp"; "ｷｬﾌﾟﾁｬ以外は取込まない" from the "設定" menu stops them while captures go on;
# Ctrl+W stores the shown picture as the next number; the choice survives a restart.
source "$(dirname "$0")/lib.sh"

TEXT='日本語のﾃｷｽﾄ、コピー 〜 end 😀'

# decoded FILE: prints a stored text file as UTF-8 (byte-order mark: UTF-8, else CP932).
decoded() {
    if [ "$(head -c 3 "$1" | od -An -tx1 | tr -d ' ')" = efbbbf ]; then
        tail -c +4 "$1"
    else
        iconv -f CP932 -t UTF-8 "$1"
    fi
}
minimise() {
    timeout 10 xdotool windowminimize --sync "$TOLVIK_WIN" || fail "could not minimise"
    wait_for 10 "the window to be iconified" is_hidden "$TOLVIK_WIN"
    sleep 1
}
restore() {
    timeout 10 xdotool windowactivate --sync "$TOLVIK_WIN" || fail "could not restore"
    wait_for 10 "the window to be shown" is_viewable "$TOLVIK_WIN"
    sleep 0.5
}
file_count() { find "$WORK_DIR" -maxdepth 1 -type f ! -name '.*' | wc -l; }
# Clicks the label "設定(&U)" and picks the copy-event item given (1 first, 2 second).
choose_copy_option() {
    restore
    local x y
    x=$(xwininfo -id "$TOLVIK_WIN" | awk '/Absolute upper-left X/ {print $4}')
    y=$(xwininfo -id "$TOLVIK_WIN" | awk '/Absolute upper-left Y/ {print $4}')
    # The label stands at 1645, 45 twips (110, 3 pixels) in the client area.
    xdotool mousemove --sync $((x + 120)) $((y + 10)) click 1
    sleep 0.7
    local downs="Down Down Down Right"
    [ "$1" -eq 2 ] && downs="$downs Down"
    # shellcheck disable=SC2086
    xdotool key --delay 150 $downs Return
    sleep 0.5
}

start_x
start_tolvik
"$IMGTOOL" solid 300 200 0cc822 "$E2E_TMP/copy.png"
"$IMGTOOL" make "$SCREEN_W" "$SCREEN_H" "$E2E_TMP/shot.png" 6
printf '<p>a <b>picture</b></p>\n' >"$E2E_TMP/page.html"

minimise
note "text copy"
clipoffer_offer --text "$TEXT"
wait_for_file "$WORK_DIR/001.txt" 10
[ "$(decoded "$WORK_DIR/001.txt")" = "$TEXT" ] ||
    fail "001.txt holds '$(decoded "$WORK_DIR/001.txt")' instead of the copied text"

note "picture copy with markup"
clipoffer_offer --html "$E2E_TMP/page.html" --png "$E2E_TMP/copy.png"
wait_for_file "$WORK_DIR/002.bmp" 10
[ "$("$IMGTOOL" diff "$WORK_DIR/002.bmp" "$E2E_TMP/copy.png")" = same ] ||
    fail "002.bmp is not the copied picture as it was (pointer drawn in or pixels changed)"

note "the copied picture is what the view shows"
restore
"$IMGTOOL" grab "$TOLVIK_WIN" "$E2E_TMP/window.png" || fail "could not grab the window"
shown=$("$IMGTOOL" count "$E2E_TMP/window.png" 0cc822)
[ "$shown" -ge 20000 ] || fail "the view does not show the copied picture ($shown of its pixels)"
minimise

note "copy events off from the settings menu"
choose_copy_option 2
minimise
before=$(file_count)
clipoffer_offer --text "not to be kept"
clipoffer_offer --html "$E2E_TMP/page.html" --png "$E2E_TMP/copy.png"
sleep 3
[ "$(file_count)" -eq "$before" ] || fail "a copy was stored with copy events off: $(ls "$WORK_DIR")"
xclip_offer image/png "$E2E_TMP/shot.png"
wait_for_file "$WORK_DIR/003.bmp" 10
note "screen capture still taken in as 003.bmp"

note "Ctrl+W stores the shown picture"
restore
xdotool key --window "$TOLVIK_WIN" --clearmodifiers ctrl+w
wait_for_file "$WORK_DIR/004.bmp" 10
[ "$("$IMGTOOL" diff "$WORK_DIR/004.bmp" "$WORK_DIR/003.bmp")" = same ] ||
    fail "004.bmp is not the shown picture"

note "the choice survives a restart"
close_tolvik
SETTINGS="$XDG_DATA_HOME/Quellen/$(basename "$TOLVIK_BIN")/User.xml"
iconv -f CP932 -t UTF-8 "$SETTINGS" | grep -q '<ｺﾋﾟｰｲﾍﾞﾝﾄ>取込まない</ｺﾋﾟｰｲﾍﾞﾝﾄ>' ||
    fail "User.xml does not hold the copy-event choice"
start_tolvik
minimise
before=$(file_count)
clipoffer_offer --text "still not kept"
sleep 3
[ "$(file_count)" -eq "$before" ] || fail "copy events came back on after the restart"
note "PASS"
