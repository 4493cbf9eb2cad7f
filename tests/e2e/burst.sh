#!/usr/bin/env bash
# Captures in quick succession while minimised: with 50 ms between them every capture is
# stored exactly once, in order, also while an 8K capture is being written; at any pace, even
# all at once, every capture is stored or told lost in the notice box, none is stored twice
# and none with another's picture.
source "$(dirname "$0")/lib.sh"
[ -x "${CLIPBURST:-}" ] || fail "CLIPBURST must name an executable"

# Captures offered so far.
ANNOUNCED=0

# burst NAME COUNT GAP_MS [BIG_W BIG_H SETTLE_MS]: runs clipburst until it is done.
burst() {
    local name=$1
    shift
    mkdir -p "$E2E_TMP/$name"
    spawn "clipburst-$name" "$CLIPBURST" "$E2E_TMP/$name" "$@"
    local pid=$LAST_PID
    wait_for 60 "the $name burst to be offered" grep -q '^done$' "$E2E_TMP/clipburst-$name.log"
    wait "$pid" || fail "clipburst ($name) failed"
    ANNOUNCED=$((ANNOUNCED + $1 + ($# > 3 ? 1 : 0)))
}

# Waits until the folder holds N pictures and no store is under way.
settle_count() {
    local n=$1 secs=$2
    wait_for "$secs" "$n stored pictures (have $(bmp_count))" test "$(bmp_count)" -ge "$n"
    sleep 1
    [ -z "$(find "$WORK_DIR" -maxdepth 1 -name '.tolvik-*' -print -quit)" ] ||
        wait_for 20 "the last store to finish" \
            bash -c "[ -z \"\$(find '$WORK_DIR' -maxdepth 1 -name '.tolvik-*' -print -quit)\" ]"
}

# The offers the notice box has told the user were lost: the count its newest one gives.
told_lost() {
    local n
    n=$(atspi texts "$APP" | grep -o 'これまでに [0-9]* 件' | tr -dc '0-9\n' | sort -n |
        tail -n 1) || true
    echo "${n:-0}"
}

# Waits until every capture offered so far is stored or told lost; the count told is in LOST.
all_told() {
    local end=$((SECONDS + 30))
    while LOST=$(told_lost) && [ $(($(bmp_count) + LOST)) -ne "$ANNOUNCED" ]; do
        [ "$SECONDS" -lt "$end" ] ||
            fail "of $ANNOUNCED captures $(bmp_count) were stored and $LOST told lost"
        sleep 0.5
    done
}

# stored_matches FIRST COUNT DIR OFFSET: files FIRST.. hold DIR/burst-(i-OFFSET).png exactly.
stored_matches() {
    local first=$1 count=$2 dir=$3 i n out
    for ((i = 0; i < count; i++)); do
        n=$(printf '%03d' $((first + i)))
        out=$("$IMGTOOL" diff "$WORK_DIR/$n.bmp" "$dir/burst-$(printf '%03d' $((i + 1))).png") ||
            fail "could not compare $n.bmp"
        [ "$out" = same ] || fail "$n.bmp is not the capture offered as number $((i + 1)): $out"
    done
}

# stored_in_order FIRST DIR: every picture stored from number FIRST on is one of
# DIR/burst-*.png, each offered after the one stored before it.
stored_in_order() {
    local first=$1 dir=$2 j=1 f n offered
    offered=$(find "$dir" -name 'burst-*.png' | wc -l)
    for f in $(find "$WORK_DIR" -maxdepth 1 -name '*.bmp' | sort); do
        n=$(basename "$f" .bmp)
        [ $((10#$n)) -ge "$first" ] || continue
        until [ "$("$IMGTOOL" diff "$f" "$dir/burst-$(printf '%03d' "$j").png")" = same ]; do
            j=$((j + 1))
            [ "$j" -le "$offered" ] || fail "$n.bmp is none of the pictures offered after the last"
        done
        j=$((j + 1))
    done
}

no_repeats() {
    local files unique
    files=$(find "$WORK_DIR" -maxdepth 1 -name '*.bmp' | wc -l)
    unique=$(find "$WORK_DIR" -maxdepth 1 -name '*.bmp' -exec md5sum {} + | cut -d' ' -f1 |
        sort -u | wc -l)
    [ "$files" -eq "$unique" ] || fail "$((files - unique)) pictures were stored more than once"
}

start_x
start_accessibility
export QT_LOGGING_RULES="tolvik.clipboard.info=true"
start_tolvik
timeout 10 xdotool windowminimize --sync "$TOLVIK_WIN" || fail "could not minimise the window"
wait_for 10 "the window to be iconified" is_hidden "$TOLVIK_WIN"
sleep 1
# The pointer stays off the small pictures, so they are stored exactly as offered.
timeout 10 xdotool mousemove --sync 1200 750 || fail "could not move the pointer"

note "30 captures 50 ms apart"
burst steady 30 50
settle_count 30 30
[ "$(bmp_count)" -eq 30 ] || fail "expected 30 pictures, found $(bmp_count)"
stored_matches 1 30 "$E2E_TMP/steady"

note "an 8K capture, then 20 captures 50 ms apart while it is written"
burst big 20 50 7680 4320 400
settle_count 51 60
[ "$(bmp_count)" -eq 51 ] || fail "expected 51 pictures, found $(bmp_count)"
out=$("$IMGTOOL" diff "$WORK_DIR/031.bmp" "$E2E_TMP/big/big.png") || fail "could not compare 031.bmp"
case $out in same | diff*) ;; *) fail "031.bmp is not the 8K capture: $out" ;; esac
stored_matches 32 20 "$E2E_TMP/big"
all_told
[ "$LOST" -eq 0 ] || fail "$LOST captures 50 ms apart were told lost"

note "40 captures as fast as they come"
burst fast 40 2
all_told
no_repeats
stored_in_order 52 "$E2E_TMP/fast"
note "$(($(bmp_count) - 51)) of 40 fast captures stored, $LOST told lost, none twice"

note "40 captures by one owner at once"
before=$(bmp_count)
burst instant 40 0
all_told
no_repeats
stored_in_order $((before + 1)) "$E2E_TMP/instant"
note "$(($(bmp_count) - before)) of 40 captures at once stored, $LOST told lost in all"
tolvik_alive

note "ended by SIGTERM while an 8K capture is being stored"
before=$(bmp_count)
SETTINGS="$XDG_DATA_HOME/Quellen/$(basename "$TOLVIK_BIN")/User.xml"
settings_before=$(md5sum "$SETTINGS" 2>/dev/null || true)
mkdir -p "$E2E_TMP/last"
spawn clipburst-last "$CLIPBURST" "$E2E_TMP/last" 0 0 7680 4320 300
wait_for 60 "the 8K capture to be offered" grep -q '^done$' "$E2E_TMP/clipburst-last.log"
kill -TERM "$TOLVIK_PID"
wait_for 30 "Tolvik to end after SIGTERM" bash -c "! kill -0 $TOLVIK_PID 2>/dev/null"
[ "$(bmp_count)" -eq $((before + 1)) ] ||
    fail "the capture announced before SIGTERM was not stored ($(bmp_count) pictures, $before before)"
last=$(find "$WORK_DIR" -maxdepth 1 -name '*.bmp' | sort | tail -n 1)
out=$("$IMGTOOL" diff "$last" "$E2E_TMP/last/big.png") || fail "could not compare $(basename "$last")"
case $out in same | diff*) ;; *) fail "$(basename "$last") is not the whole 8K capture: $out" ;; esac
[ -z "$(find "$WORK_DIR" -maxdepth 1 -name '.tolvik-*' -print -quit)" ] ||
    fail "temporary files were left behind: $(ls -a "$WORK_DIR" | grep tolvik)"
# Like any close not from the window frame, it does not write the settings.
[ "$(md5sum "$SETTINGS" 2>/dev/null || true)" = "$settings_before" ] ||
    fail "the settings were written on SIGTERM"
note "PASS"
