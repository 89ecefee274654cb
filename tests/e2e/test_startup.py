"""Start-up and the single-instance guard of the real fudekko.exe."""

import time

from harness import MAIN_CAPTION, WM_CLOSE, check, run, wait_until

WM_NULL = 0x0000


def main_windows(session):
    return [w for w in session.window_list() if w["class"] == "TMainForm"]


def test_single_instance(session):
    program = session.install_program()
    first = session.start(program)
    main = session.find_window(MAIN_CAPTION, exact=True)
    check(main, "the main window did not appear")
    session.screenshot(main, "main_window")
    titles = {w["class"]: w for w in session.window_list()}
    check(not titles["TALMailSelect"]["visible"] and not titles["TVersionForm"]["visible"],
          "the dialogs must stay hidden at start-up")

    # A second copy ends at once with exit code 0 and shows nothing.
    started = time.monotonic()
    second = session.start(program, session.folder / "draft-of-the-second-copy.txt")
    check(session.wait_exit(second, timeout=10) == 0, "the second copy did not end with 0")
    check(time.monotonic() - started < 10, "the second copy took too long")
    check(len(main_windows(session)) == 1, "the second copy showed a window")
    check(first.poll() is None, "the first copy must keep running")

    # Closing the window ends the first copy with exit code 0.
    session.driver("post", main, WM_CLOSE, 0, 0)
    check(session.wait_exit(first) == 0, "closing the main window did not end with 0")

    # Afterwards a new copy starts normally.
    third = session.start(program)
    again = session.find_window(MAIN_CAPTION, exact=True)
    check(again, "a new copy could not start after the first ended")
    session.driver("post", again, WM_CLOSE, 0, 0)
    check(session.wait_exit(third) == 0, "the new copy did not end with 0")


def test_copies_started_together(session):
    program = session.install_program()
    copies = [session.start(program) for _ in range(3)]
    main = session.find_window(MAIN_CAPTION, exact=True)
    check(main, "no main window appeared")

    def two_ended():
        ended = [c for c in copies if c.poll() is not None]
        return ended if len(ended) >= 2 else None

    ended = wait_until(two_ended, "two of the three copies to end, as only one may run")
    # The copy left answers a message sent to its window: it is past the guard and in
    # its message loop, not a late loser about to end as well.
    check(session.driver("message", main, WM_NULL, 0, 0) == "0", "the main window did not answer")
    check(len(ended) == 2 and all(c.returncode == 0 for c in ended),
          f"exactly one copy must run, {len(copies) - len(ended)} do")
    check(len(main_windows(session)) == 1, "more than one main window")


def test_hung_copy(session):
    """A copy whose window thread hangs holds the marker, but does not stop a later start:
    asked, it does not answer, and the new copy shows its window."""
    program = session.install_program()
    first = session.start(program)
    hung = session.find_window(MAIN_CAPTION, exact=True)
    check(hung, "the first copy's window did not appear")
    session.driver("suspend", hung)
    second = session.start(program)
    wait_until(lambda: len([w for w in main_windows(session) if w["visible"]]) == 2,
               "the second copy's window beside the hung one")
    check(second.poll() is None and first.poll() is None, "a copy ended")
    session.driver("resume", hung)
    # Both answer again: a third start is dropped.
    third = session.start(program)
    check(session.wait_exit(third, timeout=20) == 0, "the third copy did not end with 0")
    check(len(main_windows(session)) == 2, "the third copy showed a window")


if __name__ == "__main__":
    import sys

    run({"single_instance": test_single_instance,
         "copies_started_together": test_copies_started_together,
         "hung_copy": test_hung_copy}[sys.argv[1]])
