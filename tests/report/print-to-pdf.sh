#!/usr/bin/env bash
# tests/report/print-to-pdf.sh <source dir> <build dir> <report_print.exe>
# Prints the report through Wine's print dialog to the CUPS PDF queue, extracts the PDF's text with pdftotext and
# lets the test program check it. Exits 77 (skipped) with a message only when CUPS cannot be brought up.
set -uo pipefail
src=$1 build=$2 exe=$3
winerun="$src/scripts/wine-run"

if ! out=$("$src/scripts/cups-pdf" 2>&1); then
    echo "SKIPPED: the CUPS PDF printer is not available: $out"
    exit 77
fi
out=$(printf '%s\n' "$out" | tail -n 1)
for tool in pdftotext pdfinfo; do
    command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is not installed (poppler-utils)"; exit 77; }
done

data="$build/report-print"
rm -rf "$data" && mkdir -p "$data" "$out" || exit 1
windata="Z:$(printf '%s' "$data" | tr / '\\')"
marker="$data/started"
touch "$marker"
sleep 1

# Phase 1, in a private prefix so that its Wine server starts after the queue exists and lists it.
"$winerun" --name report_print.print --fresh-prefix --timeout 120 --env "REPORT_PRINT_DIR=$windata" -- \
    "$exe" --gtest_filter=ReportPrint.ThroughThePrintDialog || exit 1
[ -f "$data/expected.txt" ] || { echo "the print phase was skipped"; exit 77; }

# cups-pdf writes the file asynchronously: wait for a new PDF whose size has settled.
pdf="" last=-1
for _ in $(seq 1 180); do
    candidate=$(find "$out" -maxdepth 1 -name '*.pdf' -newer "$marker" -printf '%T@ %p\n' 2>/dev/null |
                sort -n | tail -n 1 | cut -d' ' -f2-)
    if [ -n "$candidate" ]; then
        size=$(stat -c %s "$candidate")
        if [ "$size" -gt 0 ] && [ "$size" = "$last" ] && pdfinfo "$candidate" >/dev/null 2>&1; then
            pdf=$candidate
            break
        fi
        last=$size
    fi
    sleep 0.5
done
if [ -z "$pdf" ]; then
    echo "no PDF appeared in $out; CUPS says:"
    lpstat -W all -o 2>&1 | tail -n 5
    exit 1
fi
echo "printed: $pdf"
pdfinfo "$pdf" | grep -E '^(Title|Creator|Pages|Page size):'
mv "$pdf" "$data/report.pdf" || exit 1
pdf="$data/report.pdf"
pdftotext -layout -enc UTF-8 "$pdf" "$data/report-pdf.txt" || exit 1

# Phase 2: the checks, on the text of the PDF.
"$winerun" --name report_print.check --timeout 60 --env "REPORT_PRINT_DIR=$windata" -- \
    "$exe" --gtest_filter=ReportPrint.PdfHoldsTheReport
