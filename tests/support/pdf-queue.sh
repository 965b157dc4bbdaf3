# tests/support/pdf-queue.sh — sourced by the print tests' scripts (bash): brings up the CUPS PDF queue and finds
# the PDF that one run printed to it. Other runs may print to the same queue at the same time: a run's PDF is the
# one that carries the run's token. Every step is bounded in time.

# pdf_queue_start <source dir> <data dir> <tool>...
# Starts the queue and checks that the named tools are installed; exits 77 (skipped) with a message when either is
# missing. Empties <data dir> and sets `out` (the queue's output folder), `data`, `windata` (the data folder as
# Wine names it), `token` and `marker` (a file older than any PDF of this run).
pdf_queue_start() {
    local src=$1 tool
    data=$2
    shift 2
    if ! out=$("$src/scripts/cups-pdf" 2>&1); then
        echo "SKIPPED: the CUPS PDF printer is not available: $out"
        exit 77
    fi
    out=$(printf '%s\n' "$out" | tail -n 1)
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is not installed"; exit 77; }
    done
    rm -rf "$data" && mkdir -p "$data" "$out" || exit 1
    windata="Z:$(printf '%s' "$data" | tr / '\\')"
    # Letters and digits only: the PDF's text reads a '-' back as a soft hyphen.
    token="T$(date +%s%N)P$$R$RANDOM"
    marker="$data/started"
    touch "$marker"
    sleep 1
}

# pdf_queue_take <file name>
# Waits up to 90 s for this run's PDF and moves it to <data dir>/<file name>, setting `pdf` to that path; exits 1
# with what CUPS says when none appeared. cups-pdf writes the file asynchronously: the PDF taken is a new one that
# is complete (its size settled, readable) and holds the token.
pdf_queue_take() {
    local candidate size
    local -A sizes=() others=()
    pdf=""
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
        echo "no PDF with $token appeared in $out within 90 s; CUPS says:"
        timeout 10 lpstat -W all -o 2>&1 | tail -n 5
        timeout 10 lpstat -p PDF 2>&1
        exit 1
    fi
    echo "printed: $pdf"
    mv "$pdf" "$data/$1" || exit 1
    pdf="$data/$1"
}
