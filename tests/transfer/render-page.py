#!/usr/bin/env python3
# tests/transfer/render-page.py <page folder> <work folder>
# Renders the exported results page (render.html beside its picture render.png, written by transfer_export) in
# headless Chromium on the host and checks that the picture is shown: the screenshot holds the PNG's pixels at
# one place, in its own size, with every dominant colour of the graph there. The same page without its picture is
# rendered too and must not pass, so a check that finds the graph anywhere is caught. Chromium reads file:// only,
# with a private profile in the work folder, no name resolution and a proxy that goes nowhere, and each run is
# bounded to 60 s and its whole process group killed afterwards.
import os
import shutil
import signal
import subprocess
import sys
from collections import Counter
from pathlib import Path

WINDOW = (1600, 1200)
TOLERANCE = 16  # per channel, for colour handling on the way to the screen
THRESHOLD = 236  # the anchor search sees each value as below this or not
MARGIN = 12  # the values of an anchor row keep this far from the threshold
BELOW = bytes(1 if v < THRESHOLD else 0 for v in range(256))


def fail(message):
    print(message)
    sys.exit(1)


def browser():
    for name in ("chromium-headless-shell", "chromium"):
        path = shutil.which(name)
        if path:
            return path
    fail("headless Chromium is not installed (scripts/setup)")


def render(chromium, page, shot, work):
    profile = work / "profile"
    shutil.rmtree(profile, ignore_errors=True)
    profile.mkdir(parents=True)
    env = dict(os.environ, HOME=str(work), XDG_CONFIG_HOME=str(work / "config"), XDG_CACHE_HOME=str(work / "cache"))
    command = [
        chromium, "--headless", "--disable-gpu", "--no-sandbox", "--disable-dev-shm-usage",
        "--user-data-dir=" + str(profile), "--screenshot=" + str(shot),
        "--window-size=%d,%d" % WINDOW, "--force-device-scale-factor=1", "--hide-scrollbars",
        "--no-first-run", "--no-default-browser-check", "--disable-extensions", "--disable-sync",
        "--disable-background-networking", "--disable-component-update", "--disable-breakpad",
        "--host-resolver-rules=MAP * ~NOTFOUND", "--proxy-server=127.0.0.1:9",
        page.as_uri(),
    ]
    if shot.exists():
        shot.unlink()
    proc = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            env=env, start_new_session=True)
    try:
        out, _ = proc.communicate(timeout=60)
    except subprocess.TimeoutExpired:
        out = b"(timed out after 60 s)"
    finally:
        try:
            os.killpg(proc.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        proc.wait()
    if not shot.is_file():
        fail("no screenshot of %s:\n%s" % (page, out.decode(errors="replace")))


def pixels(path):
    """(width, height, bytes of RGB rows) through ImageMagick."""
    data = subprocess.run(["convert", str(path), "-alpha", "off", "-depth", "8", "ppm:-"], check=True,
                          capture_output=True, timeout=60).stdout
    fields = []
    at = 0
    while len(fields) < 4:
        while data[at:at + 1].isspace():
            at += 1
        end = at
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[at:end])
        at = end
    if fields[0] != b"P6" or fields[3] != b"255":
        fail("%s: not an 8-bit picture" % path)
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[at + 1:at + 1 + width * height * 3]


def anchors(width, height, rgb):
    """Pieces of the picture's rows to search for, as (row, first column, last column + 1): the stretches with the
    most non-white pixels among those whose every value keeps clear of the threshold, so that a shift of colour on
    the way to the screen cannot move one of them across it."""
    stride = width * 3
    pieces = []
    for y in range(height):
        row = rgb[y * stride:(y + 1) * stride]
        start = 0
        for x in range(width + 1):
            if x < width and all(abs(v - THRESHOLD) > MARGIN for v in row[x * 3:x * 3 + 3]):
                continue
            if x - start >= width // 4:
                piece = row[start * 3:x * 3]
                inked = sum(1 for i in range(0, len(piece), 3) if piece[i:i + 3] != b"\xff\xff\xff")
                pieces.append((inked, y, start, x))
            start = x + 1
    pieces.sort(reverse=True)
    return [(y, x0, x1) for inked, y, x0, x1 in pieces[:3] if inked >= 16]


def matching(picture, shot, ox, oy):
    """Share of the picture's pixels that the screenshot shows at (ox, oy) within the tolerance."""
    pw, ph, prgb = picture
    sw, sh, srgb = shot
    if ox + pw > sw or oy + ph > sh:
        return 0.0
    good = 0
    for y in range(ph):
        a = prgb[y * pw * 3:(y + 1) * pw * 3]
        b = srgb[((oy + y) * sw + ox) * 3:((oy + y) * sw + ox + pw) * 3]
        if a == b:
            good += pw
            continue
        good += sum(1 for i in range(0, pw * 3, 3)
                    if abs(a[i] - b[i]) <= TOLERANCE and abs(a[i + 1] - b[i + 1]) <= TOLERANCE
                    and abs(a[i + 2] - b[i + 2]) <= TOLERANCE)
    return good / (pw * ph)


def locate(picture, shot):
    """The picture's top-left corner in the screenshot and the share of pixels that match there, or None."""
    pw, ph, prgb = picture
    sw, sh, srgb = shot
    qshot = [srgb[y * sw * 3:(y + 1) * sw * 3].translate(BELOW) for y in range(sh)]
    best = None
    for ay, ax0, ax1 in anchors(pw, ph, prgb):
        needle = prgb[(ay * pw + ax0) * 3:(ay * pw + ax1) * 3].translate(BELOW)
        tried = 0
        for sy in range(ay, sh - (ph - ay) + 1):
            at = qshot[sy].find(needle)
            while at >= 0 and tried < 50:
                if at % 3 == 0 and at // 3 >= ax0:
                    tried += 1
                    origin = (at // 3 - ax0, sy - ay)
                    share = matching(picture, shot, *origin)
                    if best is None or share > best[1]:
                        best = (origin, share)
                    if share >= 0.99:
                        return best
                at = qshot[sy].find(needle, at + 1)
    return best


def dominant_colours(width, height, rgb):
    counts = Counter(rgb[i:i + 3] for i in range(0, width * height * 3, 3))
    for colour in [c for c in counts if min(c) >= 255 - TOLERANCE]:
        del counts[colour]  # white and what passes for it
    total = sum(counts.values())
    return [(c, n) for c, n in counts.most_common(8) if n * 100 >= total]


def colour_count(shot, origin, size, colour):
    sw, sh, srgb = shot
    (ox, oy), (pw, ph) = origin, size
    n = 0
    for y in range(oy, oy + ph):
        row = srgb[(y * sw + ox) * 3:(y * sw + ox + pw) * 3]
        n += sum(1 for i in range(0, pw * 3, 3)
                 if abs(row[i] - colour[0]) <= TOLERANCE and abs(row[i + 1] - colour[1]) <= TOLERANCE
                 and abs(row[i + 2] - colour[2]) <= TOLERANCE)
    return n


def picture_shown(picture, shot, label):
    """Prints what was found; True when the screenshot shows the whole picture with its colours."""
    pw, ph, prgb = picture
    found = locate(picture, shot)
    if found is None or found[1] < 0.98:
        print("%s: the picture is not in the screenshot (best match %s)" % (label, found))
        return False
    origin, share = found
    print("%s: the %dx%d picture at %s, %.2f%% of its pixels" % (label, pw, ph, origin, share * 100))
    shown = True
    for colour, n in dominant_colours(pw, ph, prgb):
        seen = colour_count(shot, origin, (pw, ph), colour)
        ok = seen * 10 >= n * 9
        print("  %s #%s: %d in the picture, %d there" % ("ok:" if ok else "MISSING:", colour.hex(), n, seen))
        shown = shown and ok
    return shown


def main():
    if len(sys.argv) != 3:
        fail("usage: render-page.py PAGE-FOLDER WORK-FOLDER")
    folder, work = Path(sys.argv[1]).resolve(), Path(sys.argv[2]).resolve()
    page, png = folder / "render.html", folder / "render.png"
    for f in (page, png):
        if not f.is_file():
            fail("missing %s (written by transfer_export)" % f)
    if shutil.which("convert") is None:
        fail("ImageMagick is not installed (scripts/setup)")
    chromium = browser()
    shutil.rmtree(work, ignore_errors=True)
    (work / "without").mkdir(parents=True)

    picture = pixels(png)
    colours = dominant_colours(*picture)
    if len(colours) < 3:
        fail("the picture has %d dominant colours; no graph to look for" % len(colours))

    shot = work / "render-shot.png"
    render(chromium, page, shot, work)
    shown = picture_shown(picture, pixels(shot), "page")

    # The same page with its picture gone must not pass.
    shutil.copy(page, work / "without" / "render.html")
    bare = work / "without-shot.png"
    render(chromium, work / "without" / "render.html", bare, work)
    if picture_shown(picture, pixels(bare), "page without its picture"):
        print("WRONG: the check passes without the picture")
        shown = False
    print("the page shows its picture" if shown else "the page does not show its picture")
    return 0 if shown else 1


if __name__ == "__main__":
    sys.exit(main())
