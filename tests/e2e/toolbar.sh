#!/usr/bin/env bash
# The eight toolbar buttons, found through the accessibility tree and clicked with the mouse:
# each one's command is dispatched (the command log names it), button 2 stores the shown
# picture as the next number and button 3 hands the work folder to the file manager.
source "$(dirname "$0")/lib.sh"

# Accessible name (the tooltip) and command text of each button, in order.
NAMES=("Ctrl+O 画像ﾌｧｲﾙを開きます" "Ctrl+S 上書き保存" "Ctrl+W 作業ﾌｫﾙﾀﾞに保存"
    "Ctrl+E 作業ﾌｫﾙﾀﾞをｴｸｽﾌﾟﾛｰﾗｰで開きます" "Ctrl+V 現在の画像をｸﾘｯﾌﾟﾎﾞｰﾄﾞに貼り付けます"
    "Ctrl+T 画像をﾄﾘﾐﾝｸﾞします" "縦方向に綴じこめます" "横方向に綴じこめます")
COMMANDS=("開く" "上書保存" "作業ﾌｫﾙﾀﾞに保存" "作業ﾌｫﾙﾀﾞをｴｸｽﾌﾟﾛｰﾗｰで開く" "ｸﾘｯﾌﾟﾎﾞｰﾄﾞから貼付"
    "ﾄﾘﾐﾝｸﾞ" "縦方向" "横方向")


start_x
start_accessibility

# The file manager: a stand-in that records what it is asked to open. Qt hands a folder to
# xdg-open when it finds one on the path; no desktop is named, so it picks no other.
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID
mkdir -p "$E2E_TMP/bin"
cat >"$E2E_TMP/bin/xdg-open" <<SH
#!/bin/sh
printf '%s\n' "\$@" >>"$E2E_TMP/opened"
SH
chmod +x "$E2E_TMP/bin/xdg-open"
export PATH="$E2E_TMP/bin:$PATH"
export QT_LOGGING_RULES="tolvik.commands.debug=true"

# A picture in the work folder to show and store again.
WORK_DIR="$XDG_DATA_HOME/Quellen/$(basename "$TOLVIK_BIN")/Temp"
mkdir -p "$WORK_DIR"
/usr/bin/python3 - "$WORK_DIR/pic.bmp" <<'PY'
import struct, sys
w, h = 40, 30
row = bytes((x * 5) & 255 for x in range(w * 3))
data = row * h  # 120 bytes a row: already a multiple of four
head = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 3780, 3780, 0, 0)
open(sys.argv[1], "wb").write(head + info + data)
PY

start_tolvik
unnamed=$(atspi unnamed "$APP") || fail "could not read the accessibility tree"
[ -z "$unnamed" ] || fail "controls without an accessible name: $unnamed"

note "show pic.bmp"
click "pic.bmp"
# Selecting a file shows it in the same step.
atspi selected "$APP" "pic.bmp" || fail "pic.bmp was not selected by the click"

for i in "${!NAMES[@]}"; do
    cmd=${COMMANDS[$i]}
    before=$(logged "command $cmd ")
    note "button $i: $cmd"
    click "${NAMES[$i]}"
    wait_for 10 "the command log to name '$cmd'" \
        bash -c "[ \$(grep -c -F 'command $cmd ' '$E2E_TMP/tolvik.log') -gt $before ]"
    tolvik_alive
    case $i in
    0)
        sleep 1.5
        xdotool key Escape # the open dialog: cancelled
        ;;
    2)
        wait_for_file "$WORK_DIR/001.bmp" 10
        [ "$("$IMGTOOL" diff "$WORK_DIR/001.bmp" "$WORK_DIR/pic.bmp")" = same ] ||
            fail "001.bmp is not the shown picture"
        grep -q -F "command $cmd ran" "$E2E_TMP/tolvik.log" || fail "'$cmd' did not run"
        ;;
    3)
        wait_for 10 "the file manager to be asked" test -s "$E2E_TMP/opened"
        grep -q -F "$WORK_DIR" "$E2E_TMP/opened" ||
            fail "the file manager was asked to open $(cat "$E2E_TMP/opened"), not $WORK_DIR"
        ;;
    esac
done
note "PASS"
