#!/usr/bin/env bash
# Prints the map window to a PDF: starts a private CUPS scheduler (no service manager
# needed, its own socket, nothing of the system's CUPS touched), adds a cups-pdf queue as
# its default printer, runs the print window test against it, checks the PDF that cups-pdf
# writes into the printing user's PDF folder, and stops the scheduler it started.
# Usage: print_test.sh PRINT_WINDOW_TEST. Exit 77 (skipped) without root or cups-pdf.
set -u

test_program="${1:?usage: print_test.sh PRINT_WINDOW_TEST}"
queue=CorvantinePDF

skip() { echo "SKIPPED: $*"; exit 77; }
fail() {
  echo "FAILED: $*"
  if [ -n "${work:-}" ] && [ -f "$work/log/error_log" ]; then
    echo "--- scheduler log (last lines) ---"
    tail -n 30 "$work/log/error_log"
  fi
  exit 1
}

[ "$(id -u)" -eq 0 ] || skip "the scheduler and the cups-pdf backend need root"
cupsd_bin="$(command -v cupsd || echo /usr/sbin/cupsd)"
lpadmin_bin="$(command -v lpadmin || echo /usr/sbin/lpadmin)"
[ -x "$cupsd_bin" ] || skip "cupsd is not installed (package cups)"
[ -x "$lpadmin_bin" ] && command -v lpstat >/dev/null || skip "lpadmin/lpstat are not installed (cups-client)"
[ -x /usr/lib/cups/backend/cups-pdf ] || skip "the cups-pdf backend is not installed (printer-driver-cups-pdf)"
ppd="$(ls /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd /usr/share/ppd/cups-pdf/*.ppd 2>/dev/null | head -n 1)"
[ -n "$ppd" ] || skip "no cups-pdf PPD found"
[ -x "$test_program" ] || fail "no test program at $test_program"

work="$(mktemp -d /tmp/corvantine-print.XXXXXX)" || fail "no temporary folder"
chmod 755 "$work"
cupsd_pid=""

stop_scheduler() {
  if [ -n "$cupsd_pid" ] && kill -0 "$cupsd_pid" 2>/dev/null; then
    kill -TERM "$cupsd_pid" 2>/dev/null
    for _ in $(seq 1 50); do
      kill -0 "$cupsd_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -KILL "$cupsd_pid" 2>/dev/null
    wait "$cupsd_pid" 2>/dev/null
  fi
  cupsd_pid=""
}
cleanup() {
  stop_scheduler
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

mkdir -p "$work/spool/tmp" "$work/cache" "$work/state" "$work/log" "$work/ppd"
cat >"$work/cups-files.conf" <<CONF
ServerRoot $work
RequestRoot $work/spool
TempDir $work/spool/tmp
CacheDir $work/cache
StateDir $work/state
ErrorLog $work/log/error_log
AccessLog $work/log/access_log
PageLog $work/log/page_log
Printcap $work/printcap
SystemGroup root
CONF
cat >"$work/cupsd.conf" <<CONF
Listen $work/cups.sock
LogLevel info
Browsing No
BrowseLocalProtocols none
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF

# Under timeout, so that the scheduler cannot outlive a test that was killed outright.
timeout -k 5 290 "$cupsd_bin" -f -c "$work/cupsd.conf" -s "$work/cups-files.conf" >"$work/log/cupsd.out" 2>&1 &
cupsd_pid=$!
export CUPS_SERVER="$work/cups.sock"

running=""
for _ in $(seq 1 100); do
  kill -0 "$cupsd_pid" 2>/dev/null || { cat "$work/log/cupsd.out"; fail "the scheduler stopped at start"; }
  if [ -S "$work/cups.sock" ] && timeout 5 lpstat -r 2>/dev/null | grep -q "is running"; then
    running=yes
    break
  fi
  sleep 0.2
done
[ -n "$running" ] || fail "the scheduler did not answer within 20 seconds"

timeout 30 "$lpadmin_bin" -p "$queue" -E -v cups-pdf:/ -P "$ppd" 2>"$work/log/lpadmin.err" ||
  { cat "$work/log/lpadmin.err"; fail "could not add the cups-pdf queue"; }
timeout 30 "$lpadmin_bin" -d "$queue" || fail "could not make $queue the default printer"
timeout 10 lpstat -d | grep -q "$queue" || fail "$queue is not the default printer"

# cups-pdf writes into the folder named by Out in its settings, for the job's owner.
home="$(getent passwd "$(id -un)" | cut -d: -f6)"
out="$(sed -n 's/^[[:space:]]*Out[[:space:]]\+//p' /etc/cups/cups-pdf.conf 2>/dev/null | tail -n 1)"
[ -n "$out" ] || out='${HOME}/PDF'
out="$(printf '%s' "$out" | sed -e "s|\${HOME}|$home|g" -e "s|\${USER}|$(id -un)|g")"
touch "$work/marker"

echo "Printing the map window to $queue (PDF into $out)"
CORVANTINE_PRINT_QUEUE="$queue" QT_QPA_PLATFORM=offscreen timeout 120 "$test_program" ||
  fail "the print window test failed"

pdf=""
for _ in $(seq 1 240); do
  pdf="$(find "$out" -maxdepth 1 -name '*.pdf' -newer "$work/marker" 2>/dev/null | head -n 1)"
  if [ -n "$pdf" ] && [ -z "$(timeout 5 lpstat -o "$queue" 2>/dev/null)" ]; then
    break
  fi
  pdf=""
  sleep 0.5
done
[ -n "$pdf" ] || { timeout 5 lpstat -l -p "$queue"; fail "no PDF appeared in $out within 2 minutes"; }

[ "$(head -c 5 "$pdf")" = "%PDF-" ] || fail "$pdf is not a PDF"
[ "$(stat -c %s "$pdf")" -gt 1000 ] || fail "$pdf is too small to hold the map window"
# Landscape: the window, wider than tall, lies with its long side along the page's long
# side (a landscape job may come back as a turned portrait page).
if command -v pdftoppm >/dev/null; then
  pdftoppm -r 20 -gray "$pdf" "$work/page" || fail "pdftoppm could not read $pdf"
  pgm="$(ls "$work"/page*.pgm | head -n 1)"
  read -r pw ph < <(sed -n '2p' "$pgm")
  header=$(head -n 3 "$pgm" | wc -c)
  box="$(tail -c +$((header + 1)) "$pgm" | od -An -tu1 -v -w"$pw" | awk '
    { for (x = 1; x <= NF; x++) if ($x < 250) {
        if (!seen || x < x0) x0 = x; if (!seen || x > x1) x1 = x
        if (!seen || NR < y0) y0 = NR; if (!seen || NR > y1) y1 = NR; seen = 1 } }
    END { if (seen) print x1 - x0 + 1, y1 - y0 + 1; else print 0, 0 }')"
  read -r bw bh <<<"$box"
  echo "PDF page ${pw}x${ph} pixels, printed window ${bw}x${bh}"
  [ "$bw" -gt 0 ] || fail "the printed page is blank"
  if [ "$pw" -gt "$ph" ]; then [ "$bw" -gt "$bh" ] || fail "the window was not printed landscape"
  else [ "$bh" -gt "$bw" ] || fail "the window was not printed landscape"; fi
fi
mv "$pdf" "$PWD/map_print_output.pdf" 2>/dev/null || rm -f "$pdf"
echo "PASSED: the map window was printed to $queue (copy: $PWD/map_print_output.pdf)"
exit 0
