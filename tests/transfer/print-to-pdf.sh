#!/usr/bin/env bash
# tests/transfer/print-to-pdf.sh <source dir> <build dir> <transfer_print.exe>
# Prints a test page through its "Print" command to the CUPS PDF queue, then checks the PDF: two pages, the
# header, the run's texts and the note cut at 70 characters in pdftotext's text, and the run's red curve on the
# first page as pdftoppm renders it. Exits 77 (skipped) only when CUPS cannot be brought up. Every step is bounded
# in time; this run's PDF is the one that carries its token.
set -uo pipefail
src=$1 build=$2 exe=$3
winerun="$src/scripts/wine-run"
exec </dev/null

. "$src/tests/support/pdf-queue.sh"
pdf_queue_start "$src" "$build/transfer-print" pdftotext pdfinfo pdftoppm convert

"$winerun" --name transfer_print.print --fresh-prefix --timeout 150 \
    --env "TRANSFER_PRINT_DIR=$windata" --env "TRANSFER_PRINT_TOKEN=$token" -- "$exe" || exit 1
[ -f "$data/printed" ] || { echo "SKIPPED: the print phase was skipped (see its output above)"; exit 77; }

pdf_queue_take print.pdf
timeout 60 pdftotext -layout "$pdf" "$data/print.txt" || exit 1

status=0
check() {
    if grep -qF -- "$1" "$data/print.txt"; then echo "ok: $1"; else echo "MISSING: $1"; status=1; fi
}
pages=$(timeout 30 pdfinfo "$pdf" | sed -n 's/^Pages: *//p')
if [ "$pages" = 2 ]; then echo "ok: 2 pages"; else echo "WRONG: $pages pages, expected 2"; status=1; fi
check "Tavisk V1.25"
check "Read Transfer Rate Test"
check "KORVATH CD 4810 $token"
check "Average 20.00 X"
check "Printed by the transfer test"
# The 103-character paragraph is cut at the last blank within its first 70 characters.
check "alpha bravo charlie delta echo foxtrot golf hotel india juliett kilo"
if grep -qF "kilo lima" "$data/print.txt"; then echo "WRONG: the note was not cut"; status=1; fi
check "lima mike november oscar papa"

# Page 1: the graph's red curve (run 1) is drawn.
timeout 60 pdftoppm -r 60 -f 1 -l 1 -png "$pdf" "$data/page" || exit 1
red=$(convert "$data"/page*1.png txt:- | awk -F'[(),]' 'NR > 1 && $2 > 200 && $3 < 90 && $4 < 90 { n++ } END { print n + 0 }')
if [ "$red" -gt 20 ]; then echo "ok: $red red pixels on page 1"; else echo "WRONG: no curve on page 1 ($red red pixels)"; status=1; fi
exit $status
