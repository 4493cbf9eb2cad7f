#!/usr/bin/env bash
# Settings survive a restart: with no User.xml the program starts, is moved and resized,
# closed from its frame; User.xml then holds both groups in code page 932 with CR LF, and
# the next start puts the window back where it was.
source "$(dirname "$0")/lib.sh"

# Prints "X Y W H" of the window's client area in root coordinates.
geometry() {
    xdotool getwindowgeometry --shell "$1" | awk -F= '
        /^X=/ {x=$2} /^Y=/ {y=$2} /^WIDTH=/ {w=$2} /^HEIGHT=/ {h=$2}
        END {print x, y, w, h}'
}

start_x
SETTINGS="$XDG_DATA_HOME/Quellen/$(basename "$TOLVIK_BIN")/User.xml"
start_tolvik
[ -f "$SETTINGS" ] || fail "User.xml was not created at start"

xdotool windowsize --sync "$TOLVIK_WIN" 700 480
xdotool windowmove --sync "$TOLVIK_WIN" 140 110
sleep 0.5
BEFORE=$(geometry "$TOLVIK_WIN")
note "window before closing: $BEFORE"

close_tolvik

command -v iconv >/dev/null || fail "iconv is not installed"
TEXT=$(iconv -f CP932 -t UTF-8 "$SETTINGS") || fail "User.xml is not code page 932"
head -c 46 "$SETTINGS" | grep -q "^<?xml version='1.0' encoding='Shift-JIS' ?>"$'\r' ||
    fail "User.xml does not start with the Shift-JIS declaration and CR LF"
[ "$(tail -c 7 "$SETTINGS" | iconv -f CP932 -t UTF-8)" = "</運用>" ] ||
    fail "User.xml does not end with </運用> (without a line break)"
LINES=$(grep -c '' "$SETTINGS")
CRLF=$(grep -c $'\r$' "$SETTINGS" || true)
[ "$CRLF" -eq $((LINES - 1)) ] || fail "not every line ends with CR LF ($CRLF of $LINES)"
FORM=$(grep -n '^   <ﾌｫｰﾑ>' <<<"$TEXT" | cut -d: -f1)
USER=$(grep -n '^   <ﾕｰｻﾞｰ>' <<<"$TEXT" | cut -d: -f1)
[ -n "$FORM" ] && [ -n "$USER" ] && [ "$FORM" -lt "$USER" ] ||
    fail "the groups ﾌｫｰﾑ and ﾕｰｻﾞｰ are not both there in that order: $TEXT"
for k in Left Top Width Height ｽｹｰﾙ表示 QN_RNG 減色 ﾏｳｽﾎﾟｲﾝﾀ ｺﾋﾟｰｲﾍﾞﾝﾄ; do
    grep -q "^      <$k>.*</$k>"$'\r$' <<<"$TEXT" || fail "key $k missing or misformed"
done
grep -q '<Width>10500</Width>' <<<"$TEXT" || fail "width of 700 pixels not stored as 10500 twips"
note "User.xml written as expected"

start_tolvik
sleep 0.5
AFTER=$(geometry "$TOLVIK_WIN")
note "window after restart: $AFTER"
[ "$AFTER" = "$BEFORE" ] || fail "the window came back at $AFTER instead of $BEFORE"
