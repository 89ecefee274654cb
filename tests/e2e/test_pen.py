"""Pen input under Wine, where no pen exists: real WM_POINTER messages posted to the real
window. The test build (fudekko_pen_script.exe, the program's own libraries behind an entry
whose pointer data comes from a script) draws a pressure stroke whose width grows and
shrinks, and its eraser end erases, on the screen and in the picture Send writes. The
shipped fudekko.exe, whose pointer functions Wine lacks, takes the same messages without
drawing or failing and draws with the mouse as before."""

import shutil
import sys

from harness import (BODY, DRAWING_BUTTON, WINDOWS_BUILD, Mail, MainWindow, check,
                     check_sent_picture, run, wait_until, windows_path)

PEN_SCRIPT_EXE = WINDOWS_BUILD / "fudekko_pen_script.exe"

WM_POINTERUPDATE = 0x0245
WM_POINTERDOWN = 0x0246
WM_POINTERUP = 0x0247
# Pointer flags (in range, in contact, first button, down / update / up) and pen flags.
DOWN = 0x2 | 0x4 | 0x10 | 0x10000
UPDATE = 0x2 | 0x4 | 0x10 | 0x20000
UP = 0x2 | 0x40000
PEN_INVERTED = 2
PEN_MASK_PRESSURE = 1
POINTER_ID = 3

# Drawing-area positions below the text: the pressure stroke along y = 145, full pressure
# in its middle, light at its ends; the eraser end across it at x = 230.
STROKE_Y = 145.5
PRESSURE = [(30.25 + 10 * i, STROKE_Y, max(60, 1024 - abs(i - 13) * 75)) for i in range(27)]
ERASER_X = 230.5
ERASER = [(ERASER_X, 115.5 + 10 * i, 700) for i in range(7)]


def pointer_messages(points, pen_flags=0, per_update=4):
    """The messages of one stroke: a down, updates each carrying `per_update` merged
    samples, and an up; each as (message, frames newest first, position)."""
    frames = [(DOWN if i == 0 else UPDATE, pen_flags if i == 0 else 0, x, y, pressure)
              for i, (x, y, pressure) in enumerate(points)]
    messages = [(WM_POINTERDOWN, frames[:1])]
    for start in range(1, len(frames), per_update):
        messages.append((WM_POINTERUPDATE, frames[start:start + per_update][::-1]))
    x, y, _ = points[-1]
    messages.append((WM_POINTERUP, [(UP, 0, x, y, 0)]))
    return messages


class Pen:
    """Posts a pen's messages to the window; the test build reads their frames from the
    script this writes, in screen positions."""

    def __init__(self, session, window, script=None):
        self.session, self.window, self.script = session, window, script
        client = [int(v) for v in session.driver("rect", window.hwnd).split("\t")[1].split()]
        self.left, self.top = client[0], client[1] + window.drawing_top
        self.lines, self.time = [], 1000

    def prepare(self, *strokes):
        """Writes the script of every stroke's messages; returns the messages to post."""
        posts = []
        for messages in strokes:
            for message, frames in messages:
                entries = []
                for flags, pen_flags, x, y, pressure in frames:
                    self.time += 4
                    entries.append(f"{flags:#x} {pen_flags} {PEN_MASK_PRESSURE} {pressure} "
                                   f"{self.left + x} {self.top + y} {self.time}")
                self.lines.append("pen " + " | ".join(entries))
                _, _, x, y, _ = frames[0]
                posts.append((message, int(self.left + x), int(self.top + y)))
        if self.script:
            self.script.write_text("\n".join(self.lines) + "\n")
        return posts

    def post(self, posts):
        for message, x, y in posts:
            # wParam: the pointer's id (and the message's flags); lParam: the screen position.
            self.session.driver("post", self.window.hwnd, message, POINTER_ID,
                                (y & 0xFFFF) << 16 | (x & 0xFFFF))


def inked_rows(picture, x, top=0, rows=range(115, 176)):
    """The rows of column x (around the pen's stroke) that hold the red pen's ink."""
    return sum(1 for y in rows if picture.pixel(x, y + top)[1] < 200)


def start(session, exe=None):
    """The editor on a mail handed back as PNG, the red pen 20 pixels wide, in handwriting
    mode; with `exe` that program instead of fudekko.exe."""
    mail = Mail(session, ["To: a@example.com", "Subject: Re: Pen"], list(BODY))
    if exe:
        shutil.copy2(exe, mail.program)
    settings = mail.program.parent / "Fudek.ini"
    settings.write_bytes(settings.read_bytes() + b"PenColor=2\r\nPenWidth=20\r\n")
    process = mail.start_as_editor("/PNG")
    window = MainWindow(session, mail.program, process=process)
    window.click_tool(DRAWING_BUTTON)
    check(window.is_down(DRAWING_BUTTON), "handwriting mode did not start")
    return mail, window, process


def test_pen_pressure(session):
    check(PEN_SCRIPT_EXE.exists(), f"{PEN_SCRIPT_EXE} is missing: build the Windows tree first")
    script = session.folder / "pen_script.txt"
    session.env["FUDEKKO_PEN_SCRIPT"] = windows_path(script)
    mail, window, process = start(session, PEN_SCRIPT_EXE)
    pen = Pen(session, window, script)
    stroke = pen.prepare(pointer_messages(PRESSURE))
    eraser = pen.prepare(pointer_messages(ERASER, PEN_INVERTED))
    top = window.drawing_top

    def screen(name):
        return session.screenshot(window.hwnd, name, client=True)

    def screen_when(name, condition):
        shot = screen(name)
        return shot if condition(shot) else None

    pen.post(stroke)
    drawn = wait_until(lambda: screen_when("pressure", lambda shot: inked_rows(shot, 290, top)),
                       "the pen stroke to reach its end")
    start_, middle, end = (inked_rows(drawn, x, top) for x in (40, 160, 280))
    check(middle >= 18, f"the stroke is only {middle} pixels wide at full pressure")
    check(start_ < middle - 5 and end < middle - 5,
          f"the width does not follow the pressure: {start_}, {middle}, {end} pixels")
    check(inked_rows(drawn, int(ERASER_X), top) > 10, "no ink where the eraser will pass")

    # The eraser end: the ink it crosses goes; the pen and the tool buttons stay.
    pen.post(eraser)
    erased = wait_until(
        lambda: screen_when("erased", lambda shot: inked_rows(shot, int(ERASER_X), top) == 0),
        "the eraser end to erase")
    check(inked_rows(erased, 160, top) == middle, "the eraser took ink beyond its path")
    check(process.poll() is None, "the program ended")

    sent = check_sent_picture(mail, window, erased, ".png")
    widths = [inked_rows(sent, x) for x in (40, 160, int(ERASER_X), 280)]
    check(widths == [start_, middle, 0, end], f"the sent picture's widths are {widths}")


def test_pen_product(session):
    """fudekko.exe under Wine: no pointer functions, so pointer messages go to the system
    and the mouse draws as it always did."""
    _, window, process = start(session)
    blank = session.screenshot(window.hwnd, "blank", client=True)
    pen = Pen(session, window)
    pen.post(pen.prepare(pointer_messages(PRESSURE)))
    # The mouse afterwards, whose messages come after the posted ones.
    window.stroke([(40, 60), (160, 70), (280, 60)])
    top = window.drawing_top

    def mouse_ink():
        shot = session.screenshot(window.hwnd, "mouse", client=True)
        return shot if inked_rows(shot, 160, top, range(40, 100)) >= 18 else None

    shown = wait_until(mouse_ink, "the mouse stroke to show at the pen's full width")
    check(process.poll() is None, "the program ended on pointer messages")
    check(all(shown.pixel(x, y + top) == blank.pixel(x, y + top)
              for x in range(20, 300, 5) for y in range(125, 166)),
          "the pointer messages drew without pointer data")


if __name__ == "__main__":
    run({"pen_pressure": test_pen_pressure, "pen_product": test_pen_product}[sys.argv[1]])
