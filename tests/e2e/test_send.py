"""Send: the round trip between the real fudekko.exe and the stand-in mail client."""

import re
import shutil
import subprocess
import sys
import time

from harness import (MAIN_CAPTION, WINDOWS_BUILD, WM_COMMAND, check, read_bmp, run,
                     windows_path)

STANDIN_EXE = WINDOWS_BUILD / "tools" / "mailer" / "almail-standin.exe"
SEND_TITLE = "メール送信"
SEND_BUTTON_ID = 201
VK_Y = "0x59"
SIGNATURES = {".bmp": b"BM", ".png": b"\x89PNG\r\n\x1a\n", ".gif": b"GIF8"}


class Mail:
    """A program folder with fudekko.exe, the stand-in at a path with a blank in it and
    a decoy program at the shorter prefix of that path, and a draft."""

    def __init__(self, session, header, body):
        self.session = session
        self.program = session.install_program()
        folder = self.program.parent
        (folder / "mail client").mkdir()
        self.standin = folder / "mail client" / "almail-standin.exe"
        shutil.copy2(STANDIN_EXE, self.standin)
        shutil.copy2(STANDIN_EXE.parent.parent / "e2e_driver" / "e2e_driver.exe",
                     folder / "mail.exe")
        (folder / "Fudek.ini").write_bytes(
            b"[Main]\r\nALMailPath=" + windows_path(self.standin).encode("cp932") + b"\r\n")
        self.header = [line.encode("cp932") for line in header]
        self.body = [line.encode("cp932") for line in body]
        self.draft = session.folder / "draft.txt"
        self.draft.write_bytes(b"".join(line + b"\r\n" for line in self.header + [b""] +
                                        self.body))
        self.log = session.folder / "mailer.log"
        session.env["FUDEKKO_MAILER_LOG"] = windows_path(self.log)

    def start_as_editor(self, *switch, visible=False):
        extra = ["--visible"] if visible else []
        self.session.start(self.standin, *extra, "--edit", windows_path(self.program), *switch,
                           windows_path(self.draft))

    def events(self):
        if not self.log.exists():
            return []
        return [line.split(" ", 2) + [""] * (3 - len(line.split(" ", 2)))
                for line in self.log.read_text("utf-8").splitlines()]

    def wait_for(self, event, timeout=40):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            found = [e for e in self.events() if e[1] == event]
            if found:
                return found
            time.sleep(0.3)
        return []

    def press_send(self):
        main = self.session.find_window(MAIN_CAPTION, exact=True)
        check(main, "the main window did not appear")
        self.session.screenshot(main, "before_send")
        self.session.driver("post", main, WM_COMMAND, SEND_BUTTON_ID, 0)
        return main

    def hand_back(self):
        """The stand-in's copy started by Send: its command line and the two files."""
        pattern = (re.escape(windows_path(self.standin)) +
                   r' /file:"([^"]+)" /attach:"([^"]+)"')
        deadline = time.monotonic() + 40
        while time.monotonic() < deadline:
            for _, event, details in self.events():
                if event == "command-line" and "--edit" not in details:
                    match = re.fullmatch(pattern, details)
                    check(match, f"the mail client's command line is {details!r}")
                    return unix_path(match.group(1)), unix_path(match.group(2))
            time.sleep(0.3)
        raise AssertionError("the mail client was not started again")

    def expected_draft(self):
        return b"".join(line + b"\r\n" for line in self.header + [b""] + self.body)


def unix_path(windows):
    from pathlib import Path
    out = subprocess.run(["winepath", "-u", windows], capture_output=True, text=True,
                         check=True)
    return Path(out.stdout.strip())


def check_picture(mail, picture, stem, extension):
    check(picture.name == stem + extension, f"the picture is named {picture.name!r}")
    data = picture.read_bytes()
    check(data.startswith(SIGNATURES[extension]), f"{picture.name} is no {extension} file")
    shown = mail.wait_for("attachment", timeout=20)
    check(shown, "the mail client could not decode the picture")
    if extension == ".bmp":
        decoded = read_bmp(picture)
        check(shown[0][2].startswith(f"{decoded.width}x{decoded.height} "),
              "the mail client's decoder and ours disagree on the size")


def round_trip(session, switch, extension, header=("To: a@example.com", "Subject: Re: Hello"),
               body=("こんにちは", "line two"), stem="Re_ Hello"):
    mail = Mail(session, list(header), list(body))
    mail.start_as_editor(*switch)
    check(session.find_window(SEND_TITLE, visible=False), "no hidden send window")
    mail.press_send()
    draft, picture = mail.hand_back()
    check(draft.read_bytes() == mail.expected_draft(), "the draft's bytes differ")
    check(draft.name.startswith("Fud") and draft.suffix.lower() == ".tmp",
          f"the draft is named {draft.name}")
    check_picture(mail, picture, stem, extension)
    events = [(e[1], e[2]) for e in mail.events()]
    check(("close-request", "hidden") in events, "the hidden send window got no close request")
    check(("key-down", VK_Y) in events or ("key-up", VK_Y) in events, "no key Y arrived")
    check(("close-accepted", "") in events, "the close was not confirmed")
    check(mail.wait_for("editor-ended", timeout=20), "fudekko.exe did not end")
    shown = session.find_window(SEND_TITLE, visible=True)
    check(shown, "the mail client shows no send window")
    session.screenshot(shown, "mail_client")
    return mail


def test_no_hidden_window(session):
    mail = Mail(session, ["Subject: alone"], ["text"])
    session.start(mail.program, "/GIF", windows_path(mail.draft))
    mail.press_send()
    _, picture = mail.hand_back()
    check_picture(mail, picture, "alone", ".gif")
    check(not mail.wait_for("close-request", timeout=2), "something was asked to close")


def test_visible_only(session):
    mail = Mail(session, ["Subject: shown"], ["text"])
    mail.start_as_editor("/PNG", visible=True)
    mail.press_send()
    mail.hand_back()
    check(not mail.wait_for("close-request", timeout=3), "the visible send window was closed")


CASES = {
    "send_bmp": lambda s: round_trip(s, ["/BMP"], ".bmp"),
    "send_png": lambda s: round_trip(s, ["/PNG"], ".png"),
    "send_gif": lambda s: round_trip(s, ["/GIF"], ".gif"),
    "send_no_switch": lambda s: round_trip(s, [], ".bmp"),
    "send_gi": lambda s: round_trip(s, ["/gi"], ".bmp"),
    "send_subject_from_body": lambda s: round_trip(
        s, ["/PNG"], ".png", header=("To: a",), body=("  Hello  ", "more"), stem="Hello"),
    "send_untitled": lambda s: round_trip(s, ["/PNG"], ".png", header=("To: a",),
                                          body=("", "later"), stem="無題"),
    "send_unsafe_subject": lambda s: round_trip(
        s, ["/PNG"], ".png", header=("Subject: ..\\表/CON",), stem="___表_CON"),
    "send_no_hidden_window": test_no_hidden_window,
    "send_visible_only": test_visible_only,
}

if __name__ == "__main__":
    test = CASES[sys.argv[1]]
    test.__name__ = sys.argv[1]
    run(test)
