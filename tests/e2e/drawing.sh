#!/usr/bin/env bash
# Drawing on a capture with the drawing toolbar: the toolbar opened from the picture's popup,
# its "四角形" button clicked, a rectangle dragged on the picture, then trimmed (Ctrl+T) with
# no range dragged, so the rectangle is the range, and stored (Ctrl+W). The stored picture is
# the rectangle's size and its border is the drawing colour.
source "$(dirname "$0")/lib.sh"

export QT_LOGGING_RULES="tolvik.commands.debug=true"


start_x
start_accessibility
"$IMGTOOL" make "$SCREEN_W" "$SCREEN_H" "$E2E_TMP/shot.png" 7
start_tolvik

note "capture"
capture_and_restore "$E2E_TMP/shot.png"

note "open the toolbar from the picture's popup"
# Copy, copy and minimise, 範囲, ﾄﾘﾐﾝｸﾞ, ﾘｻｲｽﾞ, 綴じ込み, 回転, 色数, then ﾂｰﾙﾊﾞｰを表示 (the
# disabled paste is passed over; popups are not in the accessibility tree).
before=$(logged "command ﾂｰﾙﾊﾞｰを表示 ran")
click "画像" 3
sleep 0.5
xdotool key Down Down Down Down Down Down Down Down Down Return
wait_for 10 "the toolbar command" bash -c "[ \$(grep -c -F 'command ﾂｰﾙﾊﾞｰを表示 ran' '$E2E_TMP/tolvik.log') -gt $before ]"
bar=$(xdotool search --onlyvisible --name '^ToolBar$' 2>/dev/null | head -n 1) || true
[ -n "$bar" ] || fail "no window named 'ToolBar' is showing"

note "draw a rectangle"
click "四角形"
drag 25 25 65 75
sleep 0.5
ranges=$(grep -c 'range [1-9]' "$E2E_TMP/tolvik.log" || true)
[ "$ranges" -eq 0 ] || fail "drawing set a range of its own"

note "trim to the rectangle and store"
timeout 10 xdotool windowactivate --sync "$TOLVIK_WIN" || true
key ctrl+t "command ﾄﾘﾐﾝｸﾞ"
range=$(grep -o 'range [0-9]* [0-9]* [0-9]* [0-9]*' "$E2E_TMP/tolvik.log" | grep -v 'range 0 0 0 0' | tail -n 1)
[ -n "$range" ] || fail "the rectangle did not become the range"
read -r _ x1 y1 x2 y2 <<<"$range"
note "range $x1 $y1 $x2 $y2"
key ctrl+w "command 作業ﾌｫﾙﾀﾞに保存"
wait_for_file "$WORK_DIR/002.bmp" 10

# Size and border of the stored bitmap (bottom-up rows of 24 or 32 bits).
out=$(/usr/bin/python3 - "$WORK_DIR/002.bmp" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
offset = struct.unpack_from("<I", data, 10)[0]
w, h, _, bpp = struct.unpack_from("<iiHH", data, 18)
step = bpp // 8
stride = (w * step + 3) & ~3
def px(x, y):
    i = offset + (abs(h) - 1 - y if h > 0 else y) * stride + x * step
    return data[i + 2], data[i + 1], data[i]
h = abs(h)
border = [(x, 0) for x in range(w)] + [(x, h - 1) for x in range(w)] + \
         [(0, y) for y in range(h)] + [(w - 1, y) for y in range(h)]
off = sum(1 for x, y in border if px(x, y) != (255, 0, 0))
print(w, h, off)
PY
) || fail "could not read the stored picture"
read -r w h off <<<"$out"
[ "$w" -eq $((x2 - x1 + 1)) ] && [ "$h" -eq $((y2 - y1 + 1)) ] ||
    fail "stored $w x $h for the range $x1 $y1 $x2 $y2"
[ "$off" -eq 0 ] || fail "$off border pixels are not the drawing colour"
note "PASS"
