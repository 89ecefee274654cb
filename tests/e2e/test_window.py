"""The main window of the real fudekko.exe: draft intake, settings, pen tools, strokes,
handwriting mode and its window size, and undo and redo of typing."""

from harness import (COLOR_BUTTON, DRAWING_BUTTON, ERASE_BUTTON, LINE_BUTTON, MAIN_CAPTION,
                     MENU_REDO, MENU_UNDO, VK_CONTROL, VK_SHIFT, VK_X, VK_Y, VK_Z, WM_CLOSE,
                     WM_COMMAND, MainWindow, check, edit_menu, run, sjis, wait_until,
                     windows_path)

WM_SYSCOMMAND, SC_MINIMIZE, SC_RESTORE = 0x0112, 0xF020, 0xF120

BODY = "本文の一行目 first line\r\n二行目 second line\r\n"
# The body as the driver reads it back: line ends as LF, the trailing one trimmed.
BODY_READ = "本文の一行目 first line\n二行目 second line"


def test_draft_intake(session):
    program = session.install_program()
    body = sjis(BODY)
    drafts = {
        "crlf": sjis("To: a@example.com\r\nSubject: 件名のテスト\r\n\r\n") + body,
        "lf": (sjis("To: a@example.com\nSubject: x\n\n") + body).replace(b"\r\n", b"\n"),
        "cr": (sjis("To: a@example.com\rSubject: x\r\r") + body).replace(b"\r\n", b"\r"),
        "no_header": b"\r\n" + body,
    }
    for name, content in drafts.items():
        draft = session.folder / f"{name}.txt"
        draft.write_bytes(content)
        window = MainWindow(session, program, "/gif", windows_path(draft))
        text = window.text()
        check(text == BODY_READ,
              f"{name}: the text area holds {text!r}, not the body")
        if name == "crlf":
            session.screenshot(window.hwnd, "text_mode")
        window.close()

    # Every line a header line: all of it goes aside and the text area ends empty.
    draft = session.folder / "headers_only.txt"
    draft.write_bytes(sjis("To: a@example.com\r\nSubject: 件名\r\n"))
    window = MainWindow(session, program, windows_path(draft))
    check(window.text() == "", f"a draft of header lines only left {window.text()!r}")
    window.close()


def test_missing_draft(session):
    program = session.install_program()
    missing = session.start(program, "/png", windows_path(session.folder / "no-such-draft.txt"))
    check(session.wait_exit(missing) == 0, "a missing draft must end the program with 0")
    # Also in a folder whose name code page 932 cannot spell. (A folder as the draft is
    # there, and gets a message and a window: e2e.send_draft_not_whole.)
    missing = session.start(program, windows_path(session.folder / "Папка" / "下書き_😀.txt"))
    check(session.wait_exit(missing) == 0, "a missing draft must end the program with 0")
    check(not session.find_window(MAIN_CAPTION, timeout_ms=0, visible=None, exact=True),
          "a window was left behind")


def settings_report(session, process, said):
    """Waits for the one report of a settings file that cannot be written, which comes
    while the window is being created, checks that it says `said` and dismisses it."""
    box = wait_until(lambda: next((row["hwnd"] for row in session.window_list()
                                   if row["visible"] and row["class"] == "#32770"), None),
                     "the report of the failed settings write")
    texts = [c["text"] for c in session.children(box)]
    check(any(said in t for t in texts), f"unexpected report {texts}")
    session.driver("post", box, WM_COMMAND, 1, 0)  # OK
    session.driver("gone", box, "--timeout", 5000)


def click_pen_without_report(session, window, *buttons):
    """Each click's command posted, then a message sent behind it: once that returns, the
    command was handled or is showing a box (a modal loop answers sent messages)."""
    for button in buttons:
        session.driver("post", window.hwnd, WM_COMMAND, button, 0)
        session.driver("message", window.hwnd, 0, 0, 0)  # WM_NULL
        boxes = [row for row in session.window_list()
                 if row["visible"] and row["class"] == "#32770"]
        check(not boxes, f"a pen click was reported again: {boxes}")


def test_unwritable_settings(session):
    # A folder in the settings file's place: every write fails, reading gives defaults;
    # the first failed write, at the start, is said, and the pen clicks after it are not.
    program = session.install_program()
    (program.parent / "Fudek.ini").mkdir()
    draft = session.folder / "draft.txt"
    draft.write_bytes(sjis("Subject: s\r\n\r\n") + sjis(BODY))
    process = session.start(program, windows_path(draft))
    settings_report(session, process, "Fudek.ini に書き込めません")
    window = MainWindow(session, program, process=process)
    check(window.text() == BODY_READ, "the draft was not loaded after the report")
    click_pen_without_report(session, window, COLOR_BUTTON, COLOR_BUTTON, LINE_BUTTON)
    # The pictures exist and the pen changed all the same: red ink (colour 2).
    window.click_tool(DRAWING_BUTTON)
    window.stroke([(40, 200), (120, 200)])
    check(window.pixel(80, 200) == 0x0000FF, "no red ink after failed settings writes")
    check(process.poll() is None, "the program ended")
    window.close()

    # A read-only file is read, said once and never replaced.
    (program.parent / "Fudek.ini").rmdir()
    settings = program.parent / "Fudek.ini"
    settings.write_bytes(b"[Main]\r\nPenColor=1\r\nPenWidth=9\r\n")
    settings.chmod(0o444)
    process = session.start(program, windows_path(draft))
    settings_report(session, process, "読み取り専用")
    window = MainWindow(session, program, process=process)
    click_pen_without_report(session, window, COLOR_BUTTON, LINE_BUTTON, LINE_BUTTON)
    window.click_tool(DRAWING_BUTTON)
    window.stroke([(40, 200), (120, 200)])
    check(window.pixel(80, 200) == 0x0000FF, "the stored blue pen did not turn red")
    check(settings.read_bytes() == b"[Main]\r\nPenColor=1\r\nPenWidth=9\r\n"
          and settings.stat().st_mode & 0o777 == 0o444,
          "the read-only settings file was changed")
    check(sorted(p.name for p in program.parent.iterdir()) == ["Fudek.ini", "fudekko.exe"],
          "a file was left beside the settings file")
    window.close()


def test_pen_settings(session):
    program = session.install_program()
    window = MainWindow(session, program)
    check(window.settings() == "[Main]\r\nPenColor=0\r\nPenWidth=5\r\n",
          f"settings after the first start: {window.settings()!r}")
    window.command(COLOR_BUTTON)
    window.command(COLOR_BUTTON)
    window.click_tool(LINE_BUTTON)
    check(window.settings() == "[Main]\r\nPenColor=2\r\nPenWidth=7\r\n",
          f"settings after two colour clicks and a line click: {window.settings()!r}")
    # The eraser stores nothing.
    window.click_tool(ERASE_BUTTON)
    check(window.is_down(ERASE_BUTTON), "the eraser did not stay down")
    window.click_tool(ERASE_BUTTON)
    check(not window.is_down(ERASE_BUTTON), "the eraser did not come up")
    check("PenColor=2\r\nPenWidth=7" in window.settings(), "the eraser changed the settings")
    window.close()

    # The pen survives a restart; values out of range are brought back to the defaults.
    window = MainWindow(session, program)
    window.click_tool(LINE_BUTTON)
    check("PenColor=2\r\nPenWidth=1" in window.settings(), "the pen did not survive a restart")
    window.close()
    (program.parent / "Fudek.ini").write_bytes(b"[Main]\r\nPenColor=99\r\nPenWidth=-3\r\n")
    window = MainWindow(session, program)
    check("PenColor=0\r\nPenWidth=5" in window.settings(),
          f"out-of-range pen not corrected: {window.settings()!r}")
    window.close()


def differing(before, after, rows, columns):
    return [(x, y) for y in rows for x in columns if before.pixel(x, y) != after.pixel(x, y)]


def test_handwriting_stroke(session):
    program = session.install_program()
    draft = session.folder / "draft.txt"
    lines = "".join(f"{n} 行目の本文 line number {n} of the body\r\n" for n in range(1, 15))
    draft.write_bytes(sjis("Subject: s\r\n\r\n" + lines))
    window = MainWindow(session, program, windows_path(draft))
    top = window.drawing_top
    window.command(COLOR_BUTTON)
    window.command(COLOR_BUTTON)  # red

    text_mode = session.screenshot(window.hwnd, "text_mode", client=True)
    window.click_tool(DRAWING_BUTTON)
    check(window.is_down(DRAWING_BUTTON), "the handwriting button did not stay down")
    text_area = [c for c in session.children(window.hwnd) if c["class"] == "Edit"][0]
    check(not text_area["visible"], "the text area must hide in handwriting mode")
    snapshot = session.screenshot(window.hwnd, "handwriting_snapshot", client=True)
    rows, columns = range(top, top + 260), range(0, 420)
    dark = [(x, y) for y in rows for x in columns if sum(snapshot.pixel(x, y)) < 200]
    check(len(dark) > 500, "the snapshot does not show the text")
    # The snapshot is what the text area showed (a blinking caret may differ).
    changed = differing(text_mode, snapshot, rows, columns)
    check(len(changed) <= 40, f"{len(changed)} pixels differ from the text mode")

    # A red stroke across the text, drawn with the left button.
    window.stroke([(60, 100), (160, 100), (300, 104)])
    check(window.pixel(110, 100) == 0x0000FF and window.pixel(250, 103) == 0x0000FF,
          "the stroke's ink is not on the screen")
    stroked = session.screenshot(window.hwnd, "handwriting_stroke", client=True)
    far = differing(snapshot, stroked, range(top + 120, top + 260), columns)
    check(not far, f"pixels away from the stroke changed: {far[:5]}")
    near = differing(snapshot, stroked, range(top + 90, top + 115), range(50, 310))
    check(len(near) > 200, "the stroke changed too few pixels")

    # A right-button stroke draws too; its release may come elsewhere.
    window.stroke([(60, 150), (160, 150)], button="right")
    check(window.pixel(110, 150) == 0x0000FF, "a right-button stroke drew nothing")

    # The eraser brings the snapshot back under the red ink.
    window.click_tool(ERASE_BUTTON)
    window.stroke([(60, 100), (300, 104)])
    erased = session.screenshot(window.hwnd, "handwriting_erased", client=True)
    back = differing(snapshot, erased, range(top + 95, top + 106), range(70, 290))
    check(not back, f"the eraser left {len(back)} pixels unlike the snapshot")
    window.click_tool(ERASE_BUTTON)

    # Leaving the mode shows the text area again.
    window.click_tool(DRAWING_BUTTON)
    text_area = [c for c in session.children(window.hwnd) if c["class"] == "Edit"][0]
    check(text_area["visible"] and not window.is_down(DRAWING_BUTTON), "text mode did not come back")
    window.close()


def test_snapshot_under_window(session):
    """A window lying over the text area stays out of the handwriting picture."""
    program = session.install_program()
    draft = session.folder / "draft.txt"
    lines = "".join(f"{n} 行目 line {n}\r\n" for n in range(1, 12))
    draft.write_bytes(sjis("Subject: s\r\n\r\n" + lines))
    window = MainWindow(session, program, windows_path(draft))
    top = window.drawing_top
    text_mode = session.screenshot(window.hwnd, "text_mode", client=True)

    client = [int(v) for v in session.driver("rect", window.hwnd).split("\t")[1].split()]
    other = session.start("notepad")
    cover = session.find_window("", window_class="Notepad")
    check(cover, "no window to lay over the text area")
    session.driver("move", cover, client[0] + 20, client[1] + top + 20, 300, 160)
    rows, columns = range(top, top + 220), range(0, 360)

    def screenshot(name, wanted):
        """The client area, taken again until it shows what `wanted` accepts."""
        shown = session.screenshot(window.hwnd, name, client=True)
        return shown if wanted(len(differing(text_mode, shown, rows, columns))) else None

    wait_until(lambda: screenshot("covered", lambda changed: changed > 1000),
               "the other window to lie over the text area")

    window.click_tool(DRAWING_BUTTON)
    session.driver("post", cover, WM_CLOSE, 0, 0)
    check(session.wait_exit(other) is not None, "the other window did not close")
    # The place the other window leaves is painted anew from the snapshot; were the
    # other window in the snapshot, it would stay on the screen and the wait run out.
    wait_until(lambda: screenshot("snapshot_after_cover", lambda changed: changed <= 40),
               "a snapshot without the other window's pixels")
    window.close()


def test_window_size(session):
    program = session.install_program()
    window = MainWindow(session, program)
    session.driver("move", window.hwnd, 10, 10, 600, 400)
    check(window.size() == (600, 400), f"text mode: not resized to 600 x 400 but {window.size()}")

    window.click_tool(DRAWING_BUTTON)
    session.driver("move", window.hwnd, 10, 10, 800, 600)
    check(window.size() == (600, 400), f"handwriting mode: grew to {window.size()}")
    session.driver("move", window.hwnd, 10, 10, 500, 700)
    check(window.size() == (500, 400), f"handwriting mode: {window.size()}, not 500 x 400")

    # Minimising and restoring keeps the strokes: the pictures do not shrink to nothing.
    window.stroke([(40, 100), (140, 100)])
    session.driver("message", window.hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0)
    session.driver("message", window.hwnd, WM_SYSCOMMAND, SC_RESTORE, 0)
    check(window.size() == (500, 400), f"restored to {window.size()}")

    window.click_tool(DRAWING_BUTTON)
    session.driver("move", window.hwnd, 10, 10, 800, 600)
    check(window.size() == (800, 600), f"text mode again: {window.size()}, not 800 x 600")
    # Entering again rebuilds the whole picture from the ink.
    window.click_tool(DRAWING_BUTTON)
    check(window.pixel(90, 100) == 0x000000, "the stroke was lost by minimising")
    window.close()


def test_undo_key(session):
    program = session.install_program()
    draft = session.folder / "draft.txt"
    draft.write_bytes(b"\r\nabc")
    window = MainWindow(session, program, windows_path(draft))

    def text_with(letter):
        text = window.text()
        return text if letter in text.lower() else None

    def menu(item):
        return edit_menu(session, window)[item]

    def text_is(expected):
        return wait_until(lambda: window.text() == expected or None,
                          f"the text area to read {expected!r}, not {window.text()!r}")

    loaded = window.text()
    check(menu(MENU_UNDO) == "grayed" and menu(MENU_REDO) == "grayed",
          "Undo or Redo was offered right after loading")
    session.foreground(window.hwnd)
    session.driver("key", VK_X)
    typed = wait_until(lambda: text_with("x"), "typing to reach the text area")
    check(menu(MENU_UNDO) == "enabled", "Undo stayed grey after typing")
    # Ctrl+Z takes the typing back; a second one changes nothing, as the loading of the
    # draft (and the header lines it took out) is no edit of the user's.
    session.driver("key", VK_CONTROL, VK_Z)
    text_is(loaded)
    check(menu(MENU_UNDO) == "grayed" and menu(MENU_REDO) == "enabled",
          "after the undo, Undo should be grey and Redo offered")
    session.driver("key", VK_CONTROL, VK_Z)
    session.driver("key", VK_CONTROL, VK_Y)
    text_is(typed)
    # Ctrl+Shift+Z is Redo too: after another undo it brings the typing back again.
    session.driver("key", VK_CONTROL, VK_Z)
    text_is(loaded)
    session.driver("key", VK_CONTROL, VK_SHIFT, VK_Z)
    text_is(typed)
    check(menu(MENU_REDO) == "grayed", "Redo stayed offered with nothing to redo")
    window.close()


if __name__ == "__main__":
    import sys

    run({"draft_intake": test_draft_intake,
         "missing_draft": test_missing_draft,
         "unwritable_settings": test_unwritable_settings,
         "pen_settings": test_pen_settings,
         "handwriting_stroke": test_handwriting_stroke,
         "snapshot_under_window": test_snapshot_under_window,
         "window_size": test_window_size,
         "undo_key": test_undo_key}[sys.argv[1]])
