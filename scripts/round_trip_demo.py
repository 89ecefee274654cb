"""The whole round trip on the bundled sample draft: the stand-in mail client starts
fudekko.exe (/GIF) as its editor, the picture is drawn, Send hands draft and picture
back, and the stand-in shows the mail with the picture attached.

    round_trip_demo.py --person    a person draws and presses Send; ends when every
                                   window is closed
    round_trip_demo.py --scripted  draws a few strokes itself and photographs each stage

Either way it leaves the program, the written picture and draft, the stand-in's log
and (scripted) the screenshots in build/run and names that folder at the end. It
expects DISPLAY and WINEPREFIX set up as scripts/wine_session.sh does.
"""

import math
import os
import re
import shutil
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
os.environ.setdefault("FUDEKKO_E2E_ARTIFACTS", str(ROOT / "build"))
sys.path.insert(0, str(ROOT / "tests" / "e2e"))

from harness import (MAIN_CAPTION, WINDOWS_BUILD, WM_CLOSE, WM_COMMAND, Failure,  # noqa: E402
                     Session, check, wait_until, windows_path)

SEND_TITLE = "メール送信"
SEND_BUTTON, COLOR_BUTTON, DRAWING_BUTTON = 201, 202, 205
DRAWING_BUTTON_X = 256  # its centre in the tool bar, which the tool bar must see clicked
# The pen colour entries that COLOR_BUTTON steps through from the default black.
BLUE, RED, GREEN = 1, 2, 11
RED_INK = (255, 0, 0)


class Demo:
    def __init__(self, session):
        self.session = session
        self.folder = session.folder
        self.program = session.install_program()
        self.standin = self.program.parent / "almail-standin.exe"
        shutil.copy2(WINDOWS_BUILD / "tools" / "mailer" / "almail-standin.exe", self.standin)
        (self.program.parent / "Fudek.ini").write_bytes(
            b"[Main]\r\nALMailPath=" + windows_path(self.standin).encode("cp932") + b"\r\n")
        self.draft = self.folder / "sample_draft.txt"
        shutil.copy2(ROOT / "tools" / "samples" / "sample_draft.txt", self.draft)
        self.log = self.folder / "mailer.log"
        session.env["FUDEKKO_MAILER_LOG"] = windows_path(self.log)
        self.color = 0

    def start(self):
        return self.session.start(self.standin, "--edit", windows_path(self.program), "/GIF",
                                  windows_path(self.draft))

    def hand_back(self):
        """The draft and picture paths of the stand-in's command line from Send, or None
        while the log holds none."""
        pattern = re.escape(windows_path(self.standin)) + r' /file:"([^"]+)" /attach:"([^"]+)"'
        if self.log.exists():
            for line in self.log.read_text("utf-8").splitlines():
                match = re.search(pattern, line)
                if match:
                    return match.group(1), match.group(2)
        return None

    def keep_files(self, hand_back):
        """Copies the picture and the draft that Send wrote into the folder."""
        kept = []
        for windows in reversed(hand_back):
            unix = self.session.unix_path(windows)
            if unix.exists():
                target = self.folder / ("sent_" + Path(unix).name)
                shutil.copy2(unix, target)
                kept.append(target)
        return kept

    # Drawing, for the scripted run.

    def pen(self, color):
        while self.color != color:
            self.session.driver("message", self.main, WM_COMMAND, COLOR_BUTTON, 0)
            self.color = (self.color + 1) % 16

    def stroke(self, points):
        coordinates = []
        for x, y in points:
            coordinates += [round(x), round(y) + self.top]
        self.session.driver("stroke", self.main, *coordinates)


def ellipse(cx, cy, rx, ry, steps=28, start=-0.4):
    return [(cx + rx * math.cos(start + 2 * math.pi * 1.08 * i / steps),
             cy + ry * math.sin(start + 2 * math.pi * 1.08 * i / steps)) for i in range(steps + 1)]


def screenshot_showing(session, hwnd, name, shows, what):
    """Photographs the window again until `shows` accepts the picture: a window is
    painted a moment after it appears or changes."""
    def taken():
        picture = session.screenshot(hwnd, name)
        return picture if shows(picture) else None

    return wait_until(taken, what)


def scripted(demo):
    session = demo.session
    demo.start()
    demo.main = session.find_window(MAIN_CAPTION, exact=True, window_class="TMainForm")
    check(demo.main, "fudekko.exe did not show its window")
    controls = {c["class"]: c for c in session.children(demo.main)}
    demo.top = controls["Edit"]["rect"][1]

    def shows_text(picture):
        # Dark pixels below the tool bar (and below a caption's height to spare).
        dark = sum(sum(picture.pixel(x, y)) < 200 for y in range(demo.top + 30, picture.height)
                   for x in range(picture.width))
        return dark > 200

    screenshot_showing(session, demo.main, "1_text_mode", shows_text,
                       "the draft's text on the screen")

    tool_bar = controls["ToolbarWindow32"]["hwnd"]
    session.driver("mouse", tool_bar, "down", DRAWING_BUTTON_X, 20)
    session.driver("mouse", tool_bar, "up", DRAWING_BUTTON_X, 20)
    # A sunflower beside the letter, a ring round ひまわり and a wavy line under a wish.
    demo.pen(BLUE)
    demo.stroke([(8 + 6 * i, 144 + 3 * math.sin(i * 1.3)) for i in range(22)])
    demo.pen(RED)
    demo.stroke(ellipse(76, 59, 42, 13))
    for angle in range(0, 360, 30):
        a = math.radians(angle)
        demo.stroke([(560 + 22 * math.cos(a), 90 + 22 * math.sin(a)),
                     (560 + 50 * math.cos(a + 0.2), 90 + 50 * math.sin(a + 0.2)),
                     (560 + 22 * math.cos(a + 0.4), 90 + 22 * math.sin(a + 0.4))])
    demo.pen(GREEN)
    demo.stroke([(560, 112), (556, 170), (562, 230), (560, 280)])
    demo.stroke([(559, 210), (530, 190), (505, 200), (530, 215), (559, 210)])
    demo.stroke(ellipse(560, 90, 16, 16, steps=16))
    session.screenshot(demo.main, "2_handwriting")

    session.driver("post", demo.main, WM_COMMAND, SEND_BUTTON, 0)
    hand_back = wait_until(demo.hand_back, "Send to start the mail client again", timeout=60)
    mail = session.find_window(SEND_TITLE, visible=True, window_class="FudekkoMailerMail",
                               timeout_ms=20000)
    check(mail, "the stand-in does not show the mail")
    screenshot_showing(session, mail, "3_mail_client",
                       lambda picture: any(RED_INK in row for row in picture.rows),
                       "the attached picture's red ink in the mail window")
    kept = demo.keep_files(hand_back)
    session.driver("post", mail, WM_CLOSE, 0, 0)
    return kept


def person(demo):
    process = demo.start()
    print("The stand-in mail client has started Fudekko on the sample draft: press 手書き,\n"
          "draw, then press the Send button (the envelope). The stand-in then shows the mail\n"
          "with the picture attached; close its window to finish.")
    process.wait()
    # The mail window is the stand-in's second copy: wait until it is closed too, however
    # long the person takes. By then the log holds its command line, if Send started it.
    wait_until(lambda: not [w for w in demo.session.window_list()
                            if w["visible"] and w["class"] in ("FudekkoMailerMail", "TMainForm")],
               "every window to be closed", timeout=24 * 3600)
    hand_back = demo.hand_back()
    return demo.keep_files(hand_back) if hand_back else []


def main():
    mode = sys.argv[1] if len(sys.argv) > 1 else "--scripted"
    with Session("run") as session:
        demo = Demo(session)
        try:
            kept = scripted(demo) if mode == "--scripted" else person(demo)
        except Failure as failure:
            print(f"The round trip failed: {failure}")
            print(f"What there is of it is in {demo.folder}")
            return 1
    print(f"\nThe round trip's files are in {demo.folder}:")
    for path in sorted(demo.folder.iterdir()):
        if path.is_file():
            print(f"  {path.name}")
    if not kept:
        print("  (no picture was sent)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
