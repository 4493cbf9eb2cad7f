#!/usr/bin/env bash
# Saving as a user does: "上書保存" (F8) of a camera's IMG_0001.JPG replaces that very file and
# makes no IMG_0001.jpg beside it; "名前を付けて保存" with the type PNG and a name without an
# extension writes a PNG file; and with the user data folder on a full tmpfs, the settings
# written when the program ends leave User.xml as it was.
source "$(dirname "$0")/lib.sh"

export QT_LOGGING_RULES="tolvik.commands.debug=true"

start_x
start_accessibility
DATA="$XDG_DATA_HOME/Quellen/$(basename "$TOLVIK_BIN")"
FULL=
if mount_tmpfs 256k "$DATA"; then
    FULL=1
    note "the user data folder is a tmpfs of 256 KB"
    # A first run writes User.xml; the disk is then filled for the second.
    start_tolvik
    close_tolvik
    [ -s "$DATA/User.xml" ] || fail "the first run wrote no User.xml"
    cp "$DATA/User.xml" "$E2E_TMP/User.before"
    dd if=/dev/zero of="$DATA/filler" bs=4k 2>/dev/null || true
    [ "$(df --output=avail "$DATA" | tail -n 1)" -eq 0 ] || fail "the tmpfs is not full"
else
    note "SKIP the full-disk step: mounting a tmpfs is not permitted here (not root)"
fi

OUT="$E2E_TMP/out"
mkdir -p "$OUT"
"$IMGTOOL" make 64 48 "$OUT/source.png"
convert "$OUT/source.png" "$OUT/IMG_0001.JPG"
rm "$OUT/source.png"
start_tolvik

note "上書保存 of IMG_0001.JPG"
xdotool key --clearmodifiers ctrl+o
type_into_dialog "$OUT/IMG_0001.JPG"
key ctrl+r "command 右90度"
key F8 "command 上書保存"
wait_for 20 "IMG_0001.JPG to hold the turned picture" \
    bash -c "[ \"\$(identify -format '%m %wx%h' '$OUT/IMG_0001.JPG' 2>/dev/null)\" = 'JPEG 48x64' ]"
[ "$(ls -A "$OUT")" = IMG_0001.JPG ] || fail "saving over made other files: $(ls -A "$OUT")"

note "名前を付けて保存 with the type PNG and no extension"
before=$(logged "command 名前を付けて保存")
click "ﾌｧｲﾙ(F)"
sleep 0.5
xdotool key Home Down Down Return # 開く, 上書保存, 名前を付けて保存
logged_more "$before" "command 名前を付けて保存 ran"
wait_for_dialog
# From the name box the type box is next: BMP, JPG, TIF, PCX, PNG.
xdotool key Tab Down Down Down Down shift+Tab
type_into_dialog "$OUT/r_out"
wait_for_file "$OUT/r_out.png" 20
[ "$(identify -format %m "$OUT/r_out.png")" = PNG ] || fail "r_out.png is not a PNG file"
[ ! -e "$OUT/r_out" ] && [ ! -e "$OUT/r_out.bmp" ] || fail "another file was written: $(ls -A "$OUT")"

if [ -n "$FULL" ]; then
    note "settings written at the end on a full disk"
    xdotool windowmove --sync "$TOLVIK_WIN" 170 130 # settings that differ from the file's
    sleep 0.5
    close_tolvik
    cmp -s "$DATA/User.xml" "$E2E_TMP/User.before" ||
        fail "User.xml changed on the full disk ($(stat -c %s "$DATA/User.xml") bytes)"
    ! ls -A "$DATA" | grep -q '^\.tolvik-' || fail "a temporary file was left: $(ls -A "$DATA")"
fi
note "PASS"
