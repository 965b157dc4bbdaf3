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
# Letters and digits only: the PDF's text reads a '-' back as a soft hyphen.
token="T$(date +%s%N)P$$R$RANDOM"
marker="$data/started"
touch "$marker"
sleep 1

# Phase 1, in a private prefix so that its Wine server starts after the queue exists and lists it.
"$winerun" --name report_print.print --fresh-prefix --timeout 150 \
    --env "REPORT_PRINT_DIR=$windata" --env "REPORT_PRINT_TOKEN=$token" -- \
    "$exe" --gtest_filter=ReportPrint.ThroughThePrintDialog || exit 1
[ -f "$data/expected.txt" ] || { echo "SKIPPED: the print phase was skipped (see its output above)"; exit 77; }

# cups-pdf writes the file asynchronously: wait for a new PDF that is complete (its size settled, readable) and
# holds this run's token.
pdf=""
declare -A sizes=() others=()
for _ in $(seq 1 180); do
    while IFS= read -r candidate; do
        [ -z "${others[$candidate]:-}" ] || continue
        size=$(stat -c %s "$candidate" 2>/dev/null) || continue
        if [ "$size" -gt 0 ] && [ "${sizes[$candidate]:-}" = "$size" ] &&
           timeout 30 pdfinfo "$candidate" >/dev/null 2>&1; then
            if timeout 30 pdftotext "$candidate" "$data/candidate.txt" 2>/dev/null &&
               grep -qF "$token" "$data/candidate.txt"; then
                pdf=$candidate
                break 2
            fi
            others[$candidate]=1
        fi
        sizes[$candidate]=$size
    done < <(find "$out" -maxdepth 1 -name '*.pdf' -newer "$marker" 2>/dev/null)
    sleep 0.5
done
if [ -z "$pdf" ]; then
    echo "no PDF of this run appeared in $out within 90 s; CUPS says:"
    timeout 10 lpstat -W all -o 2>&1 | tail -n 5
    timeout 10 lpstat -p PDF 2>&1
    exit 1
fi
echo "printed: $pdf"
timeout 30 pdfinfo "$pdf" | grep -E '^(Title|Creator|Pages|Page size):'
mv "$pdf" "$data/report.pdf" || exit 1
pdf="$data/report.pdf"
timeout 60 pdftotext -layout -enc UTF-8 "$pdf" "$data/report-pdf.txt" || exit 1

# Phase 2: the checks, on the text of the PDF.
"$winerun" --name report_print.check --timeout 60 --env "REPORT_PRINT_DIR=$windata" -- \
    "$exe" --gtest_filter=ReportPrint.PdfHoldsTheReport
