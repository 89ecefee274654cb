"""Unsent work is not thrown away without asking: closing the window and File ▸ 開く
ask while the text differs from the draft as loaded or ink is on the paper."""

from harness import (DRAWING_BUTTON, IDNO, IDYES, VK_CONTROL, VK_X, VK_Z, WM_CLOSE, WM_COMMAND,
                     MainWindow, check, run, wait_until, windows_path)

MENU_OPEN, MENU_EXIT = 301, 302
WM_QUERYENDSESSION, WM_ENDSESSION = 0x0011, 0x0016
CLOSE_QUESTION = "送信していない手書きや本文の変更があります。破棄して終了しますか?"
OPEN_QUESTION = "送信していない変更があります。破棄して開きますか?"


def start(session, program, draft):
    window = MainWindow(session, program, windows_path(draft))
    loaded = window.text()
    return window, loaded


def ask(session, window, message, question_text):
    """Posts `message` to the main window and returns the question it brings up."""
    session.driver("post", window.hwnd, *message)
    question = window.discard_question(timeout_ms=15000)
    check(question, f"no question after {message}")
    texts = [session.driver("text", c["hwnd"]) for c in session.children(question)]
    check(question_text in texts, f"the question says {texts}")
    return question


def ends_without_question(session, window, message):
    session.driver("post", window.hwnd, *message)
    code = session.wait_exit(window.process)
    check(code == 0, f"after {message} the program did not end by itself ({code})")


def other_dialog(session, question):
    rows = [w["hwnd"] for w in session.window_list()
            if w["class"] == "#32770" and w["visible"] and w["hwnd"] != question]
    return rows[0] if rows else None


def test_discard_question(session):
    program = session.install_program()
    draft = session.folder / "draft.txt"
    draft.write_bytes("\r\n本文".encode("cp932"))
    close = (WM_CLOSE, 0, 0)

    # Nothing changed, or typing undone back to the draft: the window just closes.
    window, loaded = start(session, program, draft)
    ends_without_question(session, window, close)
    window, loaded = start(session, program, draft)
    session.foreground(window.hwnd)
    session.driver("key", VK_X)
    wait_until(lambda: window.text() != loaded, "typing to reach the text area")
    session.driver("key", VK_CONTROL, VK_Z)
    wait_until(lambda: window.text() == loaded, "the undo")
    ends_without_question(session, window, close)

    # Edited text: 開く asks first; No keeps the text and opens nothing, Yes shows the
    # open dialog (cancelled here, so the text stays).
    window, loaded = start(session, program, draft)
    session.foreground(window.hwnd)
    session.driver("key", VK_X)
    typed = wait_until(lambda: window.text() != loaded and window.text(), "typing")
    question = ask(session, window, (WM_COMMAND, MENU_OPEN, 0), OPEN_QUESTION)
    window.answer(question, IDNO)
    check(not other_dialog(session, None), "No still opened the open dialog")
    check(window.text() == typed, "No changed the text")
    question = ask(session, window, (WM_COMMAND, MENU_OPEN, 0), OPEN_QUESTION)
    window.answer(question, IDYES)
    opened = wait_until(lambda: other_dialog(session, None), "the open dialog after Yes")
    session.driver("post", opened, WM_COMMAND, 2, 0)  # IDCANCEL
    session.driver("gone", opened, "--timeout", 5000)
    check(window.text() == typed, "the cancelled open dialog changed the text")
    window.close()

    # Ink on the paper: the close asks; No keeps the window and its ink, Yes (here from
    # File ▸ 終了) ends the program.
    window, loaded = start(session, program, draft)
    window.click_tool(DRAWING_BUTTON)
    window.stroke([(60, 100), (200, 100)])
    inked = window.pixel(130, 100)
    check(inked != 0xFFFFFF, "the stroke drew nothing")
    question = ask(session, window, close, CLOSE_QUESTION)
    window.answer(question, IDNO)
    check(window.process.poll() is None, "No ended the program")
    check(window.pixel(130, 100) == inked, "No lost the ink")
    question = ask(session, window, (WM_COMMAND, MENU_EXIT, 0), CLOSE_QUESTION)
    window.answer(question, IDYES)
    check(session.wait_exit(window.process) == 0, "Yes did not end the program with 0")

    # The session ending: no question blocks the close that follows.
    window, loaded = start(session, program, draft)
    window.click_tool(DRAWING_BUTTON)
    window.stroke([(60, 100), (200, 100)])
    check(session.driver("message", window.hwnd, WM_QUERYENDSESSION, 0, 0) != "0",
          "the program refused the end of the session")
    session.driver("message", window.hwnd, WM_ENDSESSION, 1, 0)
    ends_without_question(session, window, close)


if __name__ == "__main__":
    run(test_discard_question)
