#!/usr/bin/env bash
# tests/report/print-to-pdf.sh <source dir> <build dir> <report_print.exe>
# Prints the report through Wine's print dialog to the CUPS PDF queue, extracts the PDF's text with pdftotext and
# lets the test program check it. Exits 77 (skipped) with a message only when CUPS cannot be brought up.
# Every step is bounded in time; nothing reads standard input. Other runs may print to the same queue at the
# same time: this run's PDF is the one that carries the run's token.
set -uo pipefail
src=$1 build=$2 exe=$3
winerun="$src/scripts/wine-run"
exec </dev/null

. "$src/tests/support/pdf-queue.sh"
pdf_queue_start "$src" "$build/report-print" pdftotext pdfinfo

# Phase 1, in a private prefix so that its Wine server starts after the queue exists and lists it.
"$winerun" --name report_print.print --fresh-prefix --timeout 150 \
    --env "REPORT_PRINT_DIR=$windata" --env "REPORT_PRINT_TOKEN=$token" -- \
    "$exe" --gtest_filter=ReportPrint.ThroughThePrintDialog || exit 1
[ -f "$data/expected.txt" ] || { echo "SKIPPED: the print phase was skipped (see its output above)"; exit 77; }

pdf_queue_take report.pdf
timeout 30 pdfinfo "$pdf" | grep -E '^(Title|Creator|Pages|Page size):'
timeout 60 pdftotext -layout -enc UTF-8 "$pdf" "$data/report-pdf.txt" || exit 1

# Phase 2: the checks, on the text of the PDF.
"$winerun" --name report_print.check --timeout 60 --env "REPORT_PRINT_DIR=$windata" -- \
    "$exe" --gtest_filter=ReportPrint.PdfHoldsTheReport
