"""The recovery journal in the real fudekko.exe: a terminated run comes back, after Yes,
with the screen the user last saw (window sizes replayed, a torn end of the journal cut
off and said), undo and
redo still working, and Send writes that picture; closing with Yes, and Send, leave no
journal; a log-off during handwriting leaves one that the next start offers; a journal
of an older format is said in one line and not offered; old journals go at start."""

import os
import shutil
import struct
import sys
import time
import zlib
from pathlib import Path

from harness import (DRAWING_BUTTON, IDNO, IDYES, MAIN_CAPTION, VK_CONTROL, VK_X, VK_Y, VK_Z,
                     WM_COMMAND, MainWindow, check, check_sent_picture, run, start_with_red_pen,
                     wait_until, windows_path)

QUESTION = "前回、送信せずに終わった手書きが残っています。復元しますか?"
TORN = "記録の終わりが壊れていた"
FAULT_NOTICE = "異常が起きたため"
OLDER = "古い形式"
WM_QUERYENDSESSION, WM_ENDSESSION = 0x0011, 0x0016
IDOK = 1
FIRST = [(20, 30), (120, 60), (220, 40)]
SECOND = [(30, 100), (140, 80), (240, 110)]
THIRD = [(40, 140), (150, 150), (260, 135)]


def journal_folder(session):
    local = list(Path(session.env["WINEPREFIX"]).glob("drive_c/users/*/AppData/Local"))
    check(len(local) == 1, f"the prefix's local application data folder: {local}")
    return local[0] / "Fudekko"


def journal_of(session, draft):
    """The journal of a draft: FNV-1a (64 bits) of its full path's UTF-16 units, folded."""
    value = 14695981039346656037
    for byte in windows_path(draft).lower().encode("utf-16-le"):
        value = ((value ^ byte) * 1099511628211) % 2**64
    return journal_folder(session) / f"{value:016x}.journal"


def record(kind, payload):
    typed = bytes([kind]) + payload
    return struct.pack("<I", len(payload)) + typed + struct.pack("<I", zlib.crc32(typed))


def dialog_saying(session, *texts):
    """Waits for the program's message box and checks that it says `texts`."""
    box = session.find_window(MAIN_CAPTION, exact=True, window_class="#32770", timeout_ms=20000)
    check(box, f"no message box saying {texts}")
    said = " ".join(session.driver("text", c["hwnd"]) for c in session.children(box))
    for text in texts:
        check(text in said, f"the message box says {said!r}, not {text!r}")
    return box


def answer(session, box, button):
    session.driver("post", box, WM_COMMAND, button, 0)
    session.driver("gone", box, "--timeout", 5000)


def test_recovery(session):
    mail, window = start_with_red_pen(session)
    first_mail_client = window.process
    journal = journal_of(session, mail.draft)
    loaded = window.text()
    session.foreground(window.hwnd)
    session.driver("key", VK_X)
    wait_until(lambda: window.text() != loaded, "typing to reach the text area")
    window.click_tool(DRAWING_BUTTON)
    check(window.is_down(DRAWING_BUTTON), "handwriting mode did not start")
    # Narrowed and widened again in handwriting mode: the text the narrower window cut
    # off is white now, and a restored window must show it so too.
    width, height = window.size()
    session.driver("move", window.hwnd, 10, 10, 160, height)
    wait_until(lambda: window.size()[0] < 200, "the narrower window")
    session.driver("move", window.hwnd, 10, 10, width, height)
    wait_until(lambda: window.size()[0] == width, "the window widened again")

    def screen(name):
        return session.screenshot(window.hwnd, name, client=True)

    window.stroke(FIRST)
    one = screen("one")
    window.stroke(SECOND)
    window.stroke(THIRD)
    three = screen("three")
    session.foreground(window.hwnd)
    session.driver("key", VK_CONTROL, VK_Z)
    wait_until(lambda: screen("before").rows != three.rows, "Ctrl+Z to take the third back")
    before = screen("before")
    wait_until(journal.exists, "the journal")

    # Ended as a crash ends it: no message reaches the window.
    session.driver("terminate", window.hwnd)
    first_mail_client.kill()
    first_mail_client.wait()
    # A torn append at the end: the whole records before it are still offered.
    with open(journal, "ab") as torn:
        torn.write(b"\x40\x00\x00\x00\x08")
    process = mail.start_as_editor("/PNG")
    answer(session, dialog_saying(session, QUESTION, TORN), IDYES)
    window = MainWindow(session, mail.program, process=process)
    wait_until(lambda: screen("restored").rows == before.rows or None,
               "the restored screen to equal the one before the termination")
    check(window.is_down(DRAWING_BUTTON), "the restored window is not in handwriting mode")

    # The histories came back: the undone stroke can be brought again, and more undone.
    def keys(*codes, shows, what):
        session.foreground(window.hwnd)
        session.driver("key", *codes)
        wait_until(lambda: screen("step").rows == shows.rows or None, what)

    keys(VK_CONTROL, VK_Y, shows=three, what="Ctrl+Y to bring the third stroke back")
    keys(VK_CONTROL, VK_Z, shows=before, what="Ctrl+Z to take it back again")
    keys(VK_CONTROL, VK_Z, shows=one, what="Ctrl+Z to take the second stroke back")
    keys(VK_CONTROL, VK_Y, shows=before, what="Ctrl+Y to bring the second stroke again")
    check_sent_picture(mail, window, before, ".png")
    wait_until(lambda: not journal.exists(), "Send to remove the journal")


def test_journal_lifetime(session):
    program = session.install_program()
    draft = session.folder / "draft.txt"
    draft.write_bytes("\r\n本文".encode("cp932"))
    journal = journal_of(session, draft)

    def start():
        return MainWindow(session, program, windows_path(draft))

    def draw(window):
        window.click_tool(DRAWING_BUTTON)
        window.stroke([(60, 100), (200, 100)])
        wait_until(lambda: journal.exists() and journal.stat().st_size > 1000, "the journal")

    # Closed with ink, Yes: no journal is left.
    window = start()
    draw(window)
    window.close()
    check(not journal.exists(), "closing with Yes left the journal")

    # A log-off during handwriting: the journal stays, and the next start offers it; No
    # starts a journal anew, which holds nothing to offer.
    window = start()
    draw(window)
    check(session.driver("message", window.hwnd, WM_QUERYENDSESSION, 0, 0) != "0",
          "the program refused the end of the session")
    session.driver("message", window.hwnd, WM_ENDSESSION, 1, 0)
    session.driver("terminate", window.hwnd)
    # Journals older than 30 days go at start; younger ones stay.
    folder = journal_folder(session)
    old, young = folder / "0000000000000000.journal", folder / "0000000000000001.journal"
    for path, days in ((old, 31), (young, 29)):
        path.write_bytes(b"")
        stamp = time.time() - days * 24 * 3600
        os.utime(path, (stamp, stamp))
    process = session.start(program, windows_path(draft))
    answer(session, dialog_saying(session, QUESTION), IDNO)
    window = MainWindow(session, program, process=process)
    check(not old.exists() and young.exists(), "the journals older than 30 days were not removed")
    young.unlink()
    check(not window.is_down(DRAWING_BUTTON), "No restored the handwriting mode")
    wait_until(lambda: journal.exists() and journal.stat().st_size < 1000,
               "a new journal after No")
    window.close()
    check(not journal.exists(), "closing without unsent work left the journal")

    # A journal of an older format: said in one line, not offered, replaced.
    journal.write_bytes(record(0, struct.pack("<II", 0x4A4B4446, 1)) + b"\0" * 64)
    process = session.start(program, windows_path(draft))
    answer(session, dialog_saying(session, OLDER), IDOK)
    window = MainWindow(session, program, process=process)
    wait_until(lambda: journal.exists() and journal.stat().st_size < 1000, "the journal anew")
    window.close()


def test_journal_faults(session):
    program = session.install_program()
    draft = session.folder / "draft.txt"
    draft.write_bytes("\r\n本文".encode("cp932"))
    journal = journal_of(session, draft)
    second = journal.with_name(journal.stem + "-2.journal")

    def draw(window, written):
        window.click_tool(DRAWING_BUTTON)
        window.stroke([(60, 100), (200, 100)])
        wait_until(lambda: written.is_file() and written.stat().st_size > 1000, f"{written.name}")

    # A journal damaged in the record that names its draft: nobody can tell whose work it
    # holds, so it is kept aside under a name of its own, and the start says where.
    window = MainWindow(session, program, windows_path(draft))
    draw(window, journal)
    session.driver("terminate", window.hwnd)
    damaged = bytearray(journal.read_bytes())
    damaged[17 + 5 + 3] ^= 0x20  # a byte of the draft's record, behind the format's
    journal.write_bytes(damaged)
    process = session.start(program, windows_path(draft))
    box = dialog_saying(session, "どの下書きのものか分からない")
    said = " ".join(session.driver("text", c["hwnd"]) for c in session.children(box))
    answer(session, box, IDOK)
    window = MainWindow(session, program, process=process)
    kept = [p for p in journal_folder(session).iterdir() if "-kept-" in p.name]
    check(len(kept) == 1 and kept[0].read_bytes() == damaged,
          f"the damaged journal was not kept as it was: {kept}")
    check(kept[0].name in said, f"the start does not say where it was kept: {said!r}")
    wait_until(lambda: journal.exists() and journal.stat().st_size < 1000, "a journal anew")
    window.close()

    # Folders at both names: the start says once that the work is not recorded, and why.
    journal.mkdir()
    second.mkdir()
    process = session.start(program, windows_path(draft))
    answer(session, dialog_saying(session, "記録されない", "同じ名前のフォルダがあります"), IDOK)
    window = MainWindow(session, program, process=process)
    window.click_tool(DRAWING_BUTTON)
    window.stroke([(60, 100), (200, 100)])
    window.close()

    # A folder at its name only: the journal goes beside it and is offered from there.
    second.rmdir()
    window = MainWindow(session, program, windows_path(draft))
    draw(window, second)
    session.driver("terminate", window.hwnd)
    process = session.start(program, windows_path(draft))
    answer(session, dialog_saying(session, QUESTION), IDYES)
    window = MainWindow(session, program, process=process)
    check(window.is_down(DRAWING_BUTTON), "the work beside the folder was not restored")
    window.close()
    check(not second.exists(), "closing left the journal beside the folder")


def test_fault_ends_the_run(session):
    """A fault on the window's thread (raised on purpose by the test build when it reads a
    pointer) ends the process, leaving no copy without a window behind, and the next
    start offers the work back."""
    from test_pen import PEN_SCRIPT_EXE, WM_POINTERDOWN
    program = session.install_program()
    test_build = program.parent / "fudekko_pen_script.exe"
    shutil.copy2(PEN_SCRIPT_EXE, test_build)
    draft = session.folder / "draft.txt"
    draft.write_bytes("\r\n本文".encode("cp932"))
    journal = journal_of(session, draft)
    session.env["FUDEKKO_PEN_SCRIPT"] = windows_path(session.folder / "no_script.txt")
    session.env["FUDEKKO_FAULT_POINTER"] = "7"
    window = MainWindow(session, test_build, windows_path(draft))
    window.click_tool(DRAWING_BUTTON)
    window.stroke([(60, 100), (200, 100)])
    wait_until(lambda: journal.exists() and journal.stat().st_size > 1000, "the journal")
    before = session.screenshot(window.hwnd, "before", client=True)
    session.driver("post", window.hwnd, WM_POINTERDOWN, 7, 0)
    posted = time.monotonic()
    ended = session.wait_exit(window.process, timeout=30)
    print(f"the process ended {time.monotonic() - posted:.1f} s after the fault was posted")
    check(ended is not None, "the process outlived the fault of its window's thread")
    check(not session.find_window(MAIN_CAPTION, timeout_ms=0, visible=None, exact=True,
                                  window_class="TMainForm"), "a window was left behind")
    # Not without a word: a copy started for it says so.
    answer(session, dialog_saying(session, FAULT_NOTICE), IDOK)

    process = session.start(program, windows_path(draft))
    answer(session, dialog_saying(session, QUESTION), IDYES)
    window = MainWindow(session, program, process=process)
    wait_until(lambda: session.screenshot(window.hwnd, "restored", client=True).rows ==
               before.rows or None, "the restored screen to equal the one before the fault")
    window.close()


if __name__ == "__main__":
    run({"recovery": test_recovery, "journal_lifetime": test_journal_lifetime,
         "journal_faults": test_journal_faults,
         "fault_ends_the_run": test_fault_ends_the_run}[sys.argv[1]])
