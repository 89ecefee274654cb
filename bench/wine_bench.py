"""What a user waits for, timed under Wine with the real fudekko.exe and printed, never
asserted: the main window of a draft of one line of 1 MB beside the same bytes in short
lines, of drafts of 5 and 10 MB, and the window showing 1,000 restored strokes after the
answer Yes. The driver times each inside Wine (e2e_driver launch-timed, post-timed).

    bash scripts/wine_bench.sh            # every case
    bash scripts/wine_bench.sh restore    # the cases whose names hold "restore"
"""

import math
import struct
import sys
import zlib
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))

from harness import MAIN_CAPTION, WM_CLOSE, WM_COMMAND, Session, check, wait_until, windows_path  # noqa: E402
from test_recovery import QUESTION, dialog_saying, journal_of  # noqa: E402
from test_window import DRAWING_BUTTON, IDYES, MainWindow  # noqa: E402

SHORT_LINE = "> 引用された長いスレッドの一行です quoted text 0123456789\r\n".encode("cp932")
STROKE_RECORD = 8


def draft_of(session, name, megabytes, one_line=False):
    """A draft of about `megabytes` MB of Shift-JIS text after a blank header."""
    unit = SHORT_LINE.replace(b"\r\n", b" ") if one_line else SHORT_LINE
    body = unit * (megabytes * 1_000_000 // len(unit))
    path = session.folder / f"{name}.txt"
    path.write_bytes(b"\r\n" + body + (b"\r\n" if one_line else b""))
    return path


def time_to_window(session, program, draft):
    """Milliseconds from the start of fudekko.exe on `draft` to its main window shown, or
    nothing when none showed within the driver's 300 s."""
    out = session.driver("launch-timed", "TMainForm", MAIN_CAPTION, windows_path(program),
                         windows_path(draft), timeout=330, check_exit=False)
    if out is None:
        session.stop_wine()  # the copy still laying the text out holds the single instance
        return None
    milliseconds, window = out.split("\t")
    session.driver("post", window, WM_CLOSE, 0, 0)
    check(session.driver("gone", window, "--timeout", 120000, check_exit=False) is not None,
          "the window did not close")
    return int(milliseconds)


def bench_open(session):
    program = session.install_program()
    cases = [("1 MB in short lines", draft_of(session, "short1", 1)),
             ("1 MB in one line", draft_of(session, "line1", 1, one_line=True)),
             ("5 MB in short lines", draft_of(session, "short5", 5)),
             ("10 MB in short lines", draft_of(session, "short10", 10))]
    for name, draft in cases:
        milliseconds = time_to_window(session, program, draft)
        shown = f"{milliseconds:>7} ms" if milliseconds is not None else "> 300 s, no"
        print(f"open {name:<22} {shown} to the window", flush=True)


def records(data):
    """The journal's records as (type, payload), framed as journal/journal_records.h says."""
    at, found = 0, []
    while at + 9 <= len(data):
        length, kind = struct.unpack_from("<IB", data, at)
        found.append((kind, data[at + 5:at + 5 + length]))
        at += 9 + length
    return found


def framed(kind, payload):
    typed = bytes([kind]) + payload
    return struct.pack("<I", len(payload)) + typed + struct.pack("<I", zlib.crc32(typed))


def stroke_payload(pen, points, reach):
    """A stroke record's payload: the pen as recorded, the points' box widened by `reach`
    and the points (x, y, pressure, time)."""
    xs, ys = [x for x, _ in points], [y for _, y in points]
    bounds = (int(min(xs) - reach), int(min(ys) - reach), int(max(xs) + reach) + 2,
              int(max(ys) + reach) + 2)
    return (pen + struct.pack("<4i", *bounds) + struct.pack("<I", len(points)) +
            b"".join(struct.pack("<fffI", x, y, 1.0, 8 * i) for i, (x, y) in enumerate(points)))


def bench_restore(session):
    program = session.install_program()
    draft = session.folder / "draft.txt"
    draft.write_bytes("\r\n本文の一行目\r\n".encode("cp932"))
    journal = journal_of(session, draft)
    # A real run's journal: the draft, its text, handwriting mode with the text's picture,
    # one black stroke of the default pen.
    window = MainWindow(session, program, windows_path(draft))
    window.click_tool(DRAWING_BUTTON)
    window.stroke([(60, 100), (200, 100)])
    wait_until(lambda: journal.exists() and journal.stat().st_size > 1000, "the journal")
    client = [int(v) for v in session.driver("rect", window.hwnd).split("\t")[1].split()]
    width, height = client[2] - client[0], client[3] - client[1] - window.drawing_top
    session.driver("terminate", window.hwnd)

    # Its stroke gives way to 1,000 kana-sized ones, 40 across and 25 down the page; the
    # middle of the last one is watched.
    kept = [(kind, payload) for kind, payload in records(journal.read_bytes())
            if kind != STROKE_RECORD]
    pen = next(payload for kind, payload in records(journal.read_bytes())
               if kind == STROKE_RECORD)[:14]
    cell_width, cell_height = width / 40, height / 25
    strokes, last = [], None
    for index in range(1000):
        cx = (index % 40 + 0.5) * cell_width
        cy = (index // 40 + 0.5) * cell_height
        # 41 positions over 16 pixels, a wave with a tremble, as a mouse gives a kana.
        points = [(cx - 8 + i * 0.4, cy + 4 * math.sin(i * 0.157) * (1 if index % 2 else -1) +
                   (i % 3 - 1) * 0.3) for i in range(41)]
        strokes.append(framed(STROKE_RECORD, stroke_payload(pen, points, 8)))
        last = (cx, cy)
    journal.write_bytes(b"".join(framed(k, p) for k, p in kept) + b"".join(strokes))

    process = session.start(program, windows_path(draft))
    question = dialog_saying(session, QUESTION)
    main = session.find_window(MAIN_CAPTION, exact=True, window_class="TMainForm")
    drawing_top = next(c for c in session.children(main) if c["class"] == "Edit")["rect"][1]
    x, y = int(last[0]), int(last[1]) + drawing_top
    check(session.driver("pixel", main, x, y) != "0x000000",
          "the last stroke's pixel is black before the restore")
    milliseconds = session.driver("post-timed", question, WM_COMMAND, IDYES, 0, main, x, y,
                                  "0x000000", timeout=330)
    print(f"restore 1,000 strokes    {milliseconds:>7} ms from Yes to the window showing them",
          flush=True)
    window = MainWindow(session, program, process=process)
    session.screenshot(window.hwnd, "restored", client=True)
    window.close()


CASES = {"open": bench_open, "restore": bench_restore}

if __name__ == "__main__":
    wanted = sys.argv[1] if len(sys.argv) > 1 else ""
    for name, case in CASES.items():
        if wanted in name:
            with Session(f"bench_{name}") as session:
                case(session)
