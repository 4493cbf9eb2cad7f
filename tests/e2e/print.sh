#!/usr/bin/env bash
# Printing with Ctrl+P to the printer named in IkPrn.Ik, with no dialog: a private CUPS scheduler
# takes the job for a PDF queue, and the PDF that comes out holds the picture at its true size
# (from its resolution, each axis its own) on an A4 page. The settings still name the printer.
source "$(dirname "$0")/lib.sh"

QUEUE=TolvikPDF
export QT_LOGGING_RULES="tolvik.commands.debug=true"

for tool in pdfinfo pdfimages; do
    command -v "$tool" >/dev/null || fail "'$tool' is not installed (scripts/deps.sh installs it)"
done


# A scheduler of our own, not the system's: its files in $E2E_TMP/cups, its clients reaching it
# through CUPS_SERVER. Sets OUT_KIND to how the job's PDF is found; false when cupsd will not run.
start_cups() {
    command -v cupsd >/dev/null && command -v lpadmin >/dev/null || return 1
    local d=$E2E_TMP/cups
    mkdir -p "$d"/{conf,spool,cache,state,tmp,log}
    local owner=""
    if [ "$(id -u)" -eq 0 ]; then
        # As root, filters run as lp: they must get through the scratch folder to the job's
        # files and write their own temporary files.
        chmod 711 "$E2E_TMP" "$d"
        chmod 1777 "$d/tmp"
        owner=$'User lp\nGroup lp\nSystemGroup root'
    else
        owner="SystemGroup $(id -gn)"
    fi
    cat >"$d/conf/cups-files.conf" <<EOF
ServerRoot $d/conf
RequestRoot $d/spool
CacheDir $d/cache
StateDir $d/state
TempDir $d/tmp
ErrorLog stderr
AccessLog $d/log/access_log
PageLog $d/log/page_log
FileDevice Yes
Sandboxing Relaxed
$owner
EOF
    cat >"$d/conf/cupsd.conf" <<EOF
Listen $E2E_TMP/cups.sock
LogLevel info
WebInterface No
Browsing No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
    spawn cupsd cupsd -f -c "$d/conf/cupsd.conf" -s "$d/conf/cups-files.conf"
    local pid=$LAST_PID
    export CUPS_SERVER=$E2E_TMP/cups.sock
    local end=$((SECONDS + 10))
    until lpstat -r >/dev/null 2>&1; do
        kill -0 "$pid" 2>/dev/null && [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.1
    done
    # cups-pdf is a root-only backend (mode 0700), run only by a scheduler started as root;
    # otherwise a file device with the generic PDF driver writes the job's PDF.
    local cupspdf=/usr/lib/cups/backend/cups-pdf ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
    if [ "$(id -u)" -eq 0 ] && [ -x "$cupspdf" ] && [ -r "$ppd" ]; then
        lpadmin -p "$QUEUE" -E -v cups-pdf:/ -P "$ppd" 2>/dev/null || return 1
        OUT_KIND=cups-pdf
    else
        ppd=/usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd
        [ -r "$ppd" ] || return 1
        lpadmin -p "$QUEUE" -E -v "file://$E2E_TMP/out.pdf" -P "$ppd" 2>/dev/null || return 1
        OUT_KIND=file-queue
    fi
    lpstat -p "$QUEUE" >/dev/null 2>&1
}

# Sets OUT_PDF to the job's PDF once there is one: cups-pdf writes to the job owner's ~/PDF,
# or to its spool for anonymous jobs.
found_output() {
    if [ "$OUT_KIND" = cups-pdf ]; then
        local home
        home=$(getent passwd "$(id -un)" | cut -d: -f6)
        OUT_PDF=$(find "$home/PDF" /var/spool/cups-pdf -name '*.pdf' -newer "$E2E_TMP/started" \
            -size +0 2>/dev/null | head -n 1)
    elif [ -s "$E2E_TMP/out.pdf" ]; then
        OUT_PDF=$E2E_TMP/out.pdf
    fi
    [ -n "$OUT_PDF" ]
}
job_done() { [ -z "$(lpstat -W not-completed -o "$QUEUE" 2>/dev/null)" ]; }

start_x
start_accessibility
touch "$E2E_TMP/started"

USER_DIR="$XDG_DATA_HOME/Quellen/$APP"
WORK_DIR="$USER_DIR/Temp"
mkdir -p "$WORK_DIR"
if start_cups; then
    note "private cupsd with queue $QUEUE ($OUT_KIND)"
    TARGET="printer=$QUEUE"
else
    note "cupsd could not start: printing to a PDF file instead"
    unset CUPS_SERVER
    OUT_KIND=pdf
    TARGET="output=$E2E_TMP/out.pdf"
fi
printf '%s\npaper=A4\norientation=portrait\n' "$TARGET" >"$USER_DIR/IkPrn.Ik"
OUT_PDF=
# cups-pdf writes outside the scratch folder: its file goes with the run.
_cleanup_print() {
    local rc=$?
    set +e # a failing step here must not skip the rest
    [ "$OUT_KIND" = cups-pdf ] && [ -n "$OUT_PDF" ] && rm -f "$OUT_PDF"
    (exit "$rc") # _cleanup reports by the status it starts with
    _cleanup
}
trap _cleanup_print EXIT

# 480 x 240 pixels at 96 x 144 dpi (3780 x 5669 pixels a metre): 127 x 42.3 mm, which fits A4
# as it is, so the PDF must place it at 96 ppi across and 144 ppi down.
/usr/bin/python3 - "$WORK_DIR/pic.bmp" <<'PY'
import struct, sys
w, h = 480, 240
data = bytes(v for y in range(h) for x in range(w) for v in ((x * 7 + y) & 255, y & 255, (x ^ y) & 255))
head = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 3780, 5669, 0, 0)
open(sys.argv[1], "wb").write(head + info + data)
PY

start_tolvik
click "pic.bmp"
atspi selected "$APP" "pic.bmp" || fail "pic.bmp was not selected by the click"

note "Ctrl+P"
xdotool key --clearmodifiers ctrl+p
wait_for 30 "printing to run" grep -q -E 'command 印刷[^ ]* ran' "$E2E_TMP/tolvik.log"
tolvik_alive
[ "$OUT_KIND" = pdf ] || wait_for 30 "the print job to complete" job_done
wait_for 10 "the printed PDF" found_output
wait_for_file "$OUT_PDF" 10
note "printed to $OUT_PDF"

info=$(pdfinfo "$OUT_PDF") || fail "pdfinfo cannot read $OUT_PDF"
pages=$(awk '/^Pages:/ {print $2}' <<<"$info")
[ "$pages" = 1 ] || fail "the PDF has ${pages:-no} pages, not 1"
read -r pw ph < <(awk '/^Page size:/ {print $3, $5}' <<<"$info")
awk -v w="$pw" -v h="$ph" 'BEGIN { exit !((w - 595)^2 <= 1 && (h - 842)^2 <= 1) }' ||
    fail "the page is $pw x $ph pt, not A4 (595 x 842)"

# page num type width height color comp bpc enc interp object ID x-ppi y-ppi size ratio
images=$(pdfimages -list "$OUT_PDF" | awk '$3 == "image"')
note "page $pw x $ph pt; image: $(awk "{print \$4, \$5, \$13, \$14}" <<<"$images")"
[ "$(wc -l <<<"$images")" = 1 ] || fail "expected one image in the PDF, found: $images"
read -r iw ih xppi yppi < <(awk '{print $4, $5, $13, $14}' <<<"$images")
[ "$iw x $ih" = "480 x 240" ] || fail "the printed image is $iw x $ih pixels, not 480 x 240"
awk -v x="$xppi" -v y="$yppi" 'BEGIN { exit !((x - 96)^2 <= 1 && (y - 144)^2 <= 1) }' ||
    fail "the image is placed at $xppi x $yppi ppi, not 96 x 144 (its true size)"

grep -q -x -F "$TARGET" "$USER_DIR/IkPrn.Ik" ||
    fail "IkPrn.Ik no longer has $TARGET: $(cat "$USER_DIR/IkPrn.Ik")"
note "PASS"
