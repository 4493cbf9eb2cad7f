#!/usr/bin/env bash
# Editing a capture with the mouse, the keys and the toolbar: a range dragged on the picture,
# trimmed (Ctrl+T), a band folded out (toolbar button 6), a turn (Ctrl+R) undone (Ctrl+Z), the
# result stored (Ctrl+W) and compared pixel for pixel with the same edits made the plain way.
# Then a size registered through the range menu's dialog, picked from the menu and trimmed to.
source "$(dirname "$0")/lib.sh"

export QT_LOGGING_RULES="tolvik.commands.debug=true"

# Opens the picture's popup with a right click and its "範囲" submenu with the keys (Qt does
# not publish popup menus to the accessibility tree): copy, copy and minimise, then "範囲", as
# the paste between them is disabled. The submenu's first item is then highlighted.
open_range_menu() {
    click "画像" 3
    sleep 0.5
    xdotool key Down Down Down Right
    sleep 0.5
}
ranges() { grep -c 'range [0-9]' "$E2E_TMP/tolvik.log" || true; }

start_x
start_accessibility
"$IMGTOOL" make "$SCREEN_W" "$SCREEN_H" "$E2E_TMP/shot.png" 5
start_tolvik

note "capture"
capture_and_restore "$E2E_TMP/shot.png"

note "range and trim"
n=$(ranges)
drag 20 20 70 80
wait_for 10 "a range to be set" bash -c "[ \$(grep -c 'range [0-9]' '$E2E_TMP/tolvik.log') -gt $n ]"
read -r x1 y1 x2 y2 <<<"$(last_range)"
[ "$x2" -gt "$x1" ] && [ "$y2" -gt "$y1" ] || fail "the drag gave the range $x1 $y1 $x2 $y2"
key ctrl+t "command ﾄﾘﾐﾝｸﾞ"
edits=(crop "$x1" "$y1" "$x2" "$y2")

note "fold with toolbar button 6"
n=$(ranges)
drag 10 40 90 60
wait_for 10 "a second range" bash -c "[ \$(grep -c 'range [0-9]' '$E2E_TMP/tolvik.log') -gt $n ]"
read -r _ fy1 _ fy2 <<<"$(last_range)"
before=$(logged "command 縦方向 ran")
click "縦方向に綴じこめます"
wait_for 20 "the fold to run" bash -c "[ \$(grep -c -F 'command 縦方向 ran' '$E2E_TMP/tolvik.log') -gt $before ]"
edits+=(foldrows "$fy1" "$fy2")

note "turn and undo, then store"
key ctrl+r "command 右90度"
key ctrl+z "key Ctrl+Z"
key ctrl+w "command 作業ﾌｫﾙﾀﾞに保存"
wait_for_file "$WORK_DIR/002.bmp" 10
"$IMGTOOL" edit "$WORK_DIR/001.bmp" "$E2E_TMP/expected.png" "${edits[@]}" ||
    fail "imgtool could not make the expected picture"
out=$("$IMGTOOL" diff "$WORK_DIR/002.bmp" "$E2E_TMP/expected.png")
[ "$out" = same ] || fail "the stored edit differs from the expected picture: $out (${edits[*]})"

note "register a size through the range menu's dialog"
n=$(ranges)
drag 30 30 60 50
wait_for 10 "a range to register" bash -c "[ \$(grep -c 'range [0-9]' '$E2E_TMP/tolvik.log') -gt $n ]"
read -r rx1 ry1 rx2 ry2 <<<"$(last_range)"
open_range_menu
xdotool key Return # "範囲の登録", first while no size is registered
atspi where "$APP" "登録済みのｻｲｽﾞ" >/dev/null || fail "the size dialog did not open"
click "指定ｻｲｽﾞの登録名"
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 50 "e2e"
click "追加"
click "閉じる"
wait_for 10 "the dialog to close" bash -c "! timeout 5 /usr/bin/python3 '$ATSPI_PY' where '$APP' '登録済みのｻｲｽﾞ' >/dev/null 2>&1"

note "pick it from the menu and trim"
n=$(ranges)
before=$(logged "command RG:0 ran")
open_range_menu
xdotool key Return # the registered size, now first
wait_for 10 "the registered size to be picked" bash -c "[ \$(grep -c -F 'command RG:0 ran' '$E2E_TMP/tolvik.log') -gt $before ]"
wait_for 10 "the registered range" bash -c "[ \$(grep -c 'range [0-9]' '$E2E_TMP/tolvik.log') -gt $n ]"
read -r px1 py1 px2 py2 <<<"$(last_range)"
[ "$px1 $py1" = "10 10" ] || fail "the registered range starts at $px1 $py1, not 10 10"
key ctrl+t "command ﾄﾘﾐﾝｸﾞ"
"$IMGTOOL" edit "$WORK_DIR/002.bmp" "$E2E_TMP/expected2.png" crop 10 10 "$px2" "$py2" ||
    fail "imgtool could not make the second expected picture"
key ctrl+w "command 作業ﾌｫﾙﾀﾞに保存"
wait_for_file "$WORK_DIR/003.bmp" 10
out=$("$IMGTOOL" diff "$WORK_DIR/003.bmp" "$E2E_TMP/expected2.png")
[ "$out" = same ] || fail "the trim to the registered size differs: $out"
[ $((px2 - px1)) -eq $((rx2 - rx1)) ] && [ $((py2 - py1)) -eq $((ry2 - ry1)) ] ||
    fail "registered $((rx2 - rx1)) x $((ry2 - ry1)), picked $((px2 - px1)) x $((py2 - py1))"
note "PASS"
