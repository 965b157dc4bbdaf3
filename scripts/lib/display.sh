# scripts/lib/display.sh — sourced by the scripts: a virtual display for Wine where none is set.

# Starts Xvfb (1280x1024, 24-bit, 96 dpi) on a display number the server picks itself, so that callers running at
# the same time never share or kill each other's display; exports DISPLAY and sets TAVISK_XVFB_PID, which the
# caller stops when done.
tavisk_start_xvfb() {
    local fdfile
    fdfile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
    TAVISK_XVFB_PID=$!
    for _ in $(seq 100); do [ -s "$fdfile" ] && break; sleep 0.1; done
    export DISPLAY=":$(head -n1 "$fdfile")"
    rm -f "$fdfile"
}
