#!/usr/bin/env bash
# Picture files and the clipboard through the window: a range copied with Ctrl+C and read back
# from the X clipboard; the picture saved as GIF, JPEG, PNG, TIFF and PCX through the menu
# and the save dialog, and each reopened through the open dialog (Ctrl+O) and stored (Ctrl+W).
source "$(dirname "$0")/lib.sh"

export QT_LOGGING_RULES="tolvik.commands.debug=true"

bmp_count_now() { find "$WORK_DIR" -maxdepth 1 -name '*.bmp' | wc -l; }

start_x
start_accessibility
WORK_DIR="$XDG_DATA_HOME/Quellen/$(basename "$TOLVIK_BIN")/Temp"
mkdir -p "$WORK_DIR" "$E2E_TMP/out"
# 64 colours, so a GIF keeps every one of them exactly.
/usr/bin/python3 - "$WORK_DIR/pic.bmp" <<'PY'
import struct, sys
w, h = 160, 120
rows = []
for y in range(h - 1, -1, -1):
    row = b"".join(bytes(((x // 20) * 36 & 255, (y // 15) * 32 & 255, 128)) for x in range(w))
    rows.append(row)
data = b"".join(rows)  # 480 bytes a row: a multiple of four
head = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 3780, 3780, 0, 0)
open(sys.argv[1], "wb").write(head + info + data)
PY
start_tolvik
click "pic.bmp"
atspi selected "$APP" "pic.bmp" || fail "pic.bmp was not selected"

note "copy a range with Ctrl+C"
where=$(atspi where "$APP" "画像") || fail "the picture view is not showing"
read -r vx vy vw vh <<<"$where"
xdotool mousemove --sync $((vx + 30)) $((vy + 20)) mousedown 1
xdotool mousemove --sync $((vx + 60)) $((vy + 50))
xdotool mousemove --sync $((vx + 110)) $((vy + 90)) mouseup 1
wait_for 10 "a range" bash -c "grep -q 'range [1-9]' '$E2E_TMP/tolvik.log'"
read -r x1 y1 x2 y2 <<<"$(last_range)"
before=$(logged "key Ctrl+C")
xdotool key --clearmodifiers ctrl+c
logged_more "$before" "key Ctrl+C ran"
wait_for 10 "the clipboard to offer a picture" \
    bash -c "xclip -selection clipboard -t TARGETS -o 2>/dev/null | grep -q image/png"
xclip -selection clipboard -t image/png -o >"$E2E_TMP/copied.png" || fail "xclip could not read the copy"
"$IMGTOOL" edit "$WORK_DIR/pic.bmp" "$E2E_TMP/range.png" crop "$x1" "$y1" "$x2" "$y2"
out=$("$IMGTOOL" diff "$E2E_TMP/copied.png" "$E2E_TMP/range.png")
[ "$out" = same ] || fail "the clipboard holds another picture than the range $x1 $y1 $x2 $y2: $out"
xdotool key --clearmodifiers Escape

note "save under new names through the file menu"
for ext in png tif pcx gif jpg; do
    before=$(logged "command 名前を付けて保存")
    click "ﾌｧｲﾙ(F)"
    sleep 0.5
    # The first Down reaches 開く; "上書保存" takes a step only while enabled: once the GIF
    # has turned the picture into 256 colours it differs from pic.bmp.
    downs="Down Down"
    [ "$ext" = jpg ] && downs="Down Down Down"
    # shellcheck disable=SC2086
    xdotool key Home $downs Return
    logged_more "$before" "command 名前を付けて保存 ran"
    type_into_dialog "$E2E_TMP/out/saved.$ext"
    wait_for_file "$E2E_TMP/out/saved.$ext" 20
done
identify "$E2E_TMP/out/saved.jpg" >/dev/null 2>&1 || fail "saved.jpg is not a JPEG ImageMagick reads"

# The GIF and the JPEG each turned the picture into their form; taken back, it is pic.bmp
# again, and opening another picture has no edits to ask about.
key ctrl+z "key Ctrl+Z"
key ctrl+z "key Ctrl+Z"

note "reopen each through the open dialog and store it"
n=$(bmp_count_now)
for ext in png tif pcx gif jpg; do
    xdotool key --clearmodifiers ctrl+o
    type_into_dialog "$E2E_TMP/out/saved.$ext"
    sleep 1
    before=$(logged "command 作業ﾌｫﾙﾀﾞに保存")
    xdotool key --clearmodifiers ctrl+w
    logged_more "$before" "command 作業ﾌｫﾙﾀﾞに保存 ran"
    n=$((n + 1))
    wait_for 10 "the reopened $ext to be stored" bash -c "[ \$(find '$WORK_DIR' -maxdepth 1 -name '*.bmp' | wc -l) -ge $n ]"
    stored=$(ls -t "$WORK_DIR"/*.bmp | head -n 1)
    wait_for_file "$stored" 10
    out=$("$IMGTOOL" diff "$stored" "$WORK_DIR/pic.bmp")
    if [ "$ext" = jpg ]; then
        case $out in same | diff*) ;; *) fail "the reopened JPEG has another size: $out" ;; esac
    else
        [ "$out" = same ] || fail "saved.$ext reopened differs from the picture: $out"
    fi
    note "saved.$ext reopened: $out"
done

note "copy and minimise: the copy is not taken back in as a capture"
n=$(bmp_count_now)
before=$(logged "command ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ・最小化 ran")
click "画像" 3
sleep 0.5
xdotool key Down Down Return # ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ, ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ・最小化
logged_more "$before" "command ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ・最小化 ran"
wait_for 10 "the window to be iconified" is_hidden "$TOLVIK_WIN"
wait_for 10 "the clipboard to offer the copy" \
    bash -c "xclip -selection clipboard -t TARGETS -o 2>/dev/null | grep -q image/png"
sleep 3
[ "$(bmp_count_now)" -eq "$n" ] || fail "the program took its own copy back in: $(ls "$WORK_DIR")"
tolvik_alive
note "PASS"
