"""The mail-client selection dialog and the version dialog of the real fudekko.exe."""

import struct

from harness import (FILE_NAME_BOX, MAIN_CAPTION, WM_CLOSE, WM_COMMAND, check, client_rect,
                     geometry, run, wait_until, windows_path)

SELECT_CAPTION = "AL-Mailの選択"
VERSION_CAPTION = "ﾊﾞｰｼﾞｮﾝ情報"
DEFAULT_PATH = "C:\\Program Files\\ALMAIL32\\almail.exe"

# The main window's menu items (Option > Settings, Help > Version).
MENU_SETTING = 304
MENU_ABOUT = 305

WM_SYSCOMMAND = 0x0112
SC_CLOSE = 0xF060
VK_RETURN = 0x0D
VK_ESCAPE = 0x1B
VK_TAB = 0x09
VK_SPACE = 0x20
IDCANCEL = 2
MAPI_CHECK_BOX = 103
MAPI_TEXT = "既定のメールソフトで送る (MAPI)"
BM_GETCHECK = 0x00F0


def start(session, program=None):
    program = program or session.install_program()
    process = session.start(program)
    main = session.find_window(MAIN_CAPTION, exact=True)
    check(main, "the main window did not appear")
    return program, process, main


def end(session, process, main):
    session.driver("post", main, WM_CLOSE, 0, 0)
    check(session.wait_exit(process) == 0, "the program did not end with 0")


def window_origin(session, hwnd):
    outer, _ = session.driver("rect", hwnd).split("\t")
    left, top, _, _ = (int(v) for v in outer.split())
    return left, top


def controls(session, dialog):
    """The dialog's controls in creation order, each with its text read by WM_GETTEXT."""
    rows = session.children(dialog)
    for row in rows:
        row["text"] = session.driver("text", row["hwnd"])
    return rows


def open_select(session, main):
    # Posted: the menu handler runs the dialog's modal loop and does not return at once.
    session.driver("post", main, WM_COMMAND, MENU_SETTING, 0)
    dialog = session.find_window(SELECT_CAPTION, window_class="TALMailSelect")
    check(dialog, "the selection dialog did not appear")
    check(session.driver("enabled", main) == "disabled",
          "the main window must be disabled while the dialog is shown")
    return dialog


def dialog_visible(session, dialog):
    return any(w["hwnd"] == dialog and w["visible"] for w in session.window_list())


def wait_closed(session, dialog, main, how):
    wait_until(lambda: not dialog_visible(session, dialog), f"{how} to close the dialog")
    check(session.driver("enabled", main) == "enabled",
          f"the main window stayed disabled after {how}")


def press(session, window, virtual_key):
    session.foreground(window)
    session.driver("key", virtual_key)


def checked(session, row):
    return session.driver("message", row["hwnd"], BM_GETCHECK, 0, 0) == "1"


def ini_text(program):
    return (program.parent / "Fudek.ini").read_bytes().decode("cp932")


def settings_path(program):
    """The mail-client path stored in Fudek.ini beside the program, as text."""
    data = (program.parent / "Fudek.ini").read_bytes().decode("cp932")
    values = [line.split("=", 1)[1] for line in data.splitlines()
              if line.lower().startswith("almailpath=")]
    check(len(values) == 1, f"expected one ALMailPath line in {data!r}")
    return values[0]


def test_select_dialog(session):
    program, process, main = start(session)
    dialog = open_select(session, main)

    check(window_origin(session, dialog) == (233, 216), "the dialog is not at 233, 216")
    check(client_rect(session, dialog)[2:] == (375, 122), "the client area is not 375 x 122")
    rows = controls(session, dialog)
    by_id = {row["id"]: row for row in rows}
    label = next(r for r in rows if r["class"].lower() == "static")
    edit = next(r for r in rows if r["class"].lower() == "edit")
    browse = next(r for r in rows if r["text"] == "...")
    ok = by_id.get(1)
    check(label["text"] == "Al-Mailはどこにありますか？" and geometry(label)[:2] == (24, 8),
          f"the question is wrong: {label}")
    check(geometry(edit) == (24, 32, 313, 24), f"the path edit is wrong: {edit}")
    check(geometry(browse) == (344, 32, 23, 22), f"the browse button is wrong: {browse}")
    check(ok and ok["text"] == "OK" and geometry(ok) == (144, 92, 75, 25),
          f"the OK button is wrong: {ok}")
    mapi = by_id.get(MAPI_CHECK_BOX)
    check(mapi and mapi["text"] == MAPI_TEXT and geometry(mapi) == (24, 64, 343, 20) and
          not checked(session, mapi), f"the check box of the default mail client is wrong: {mapi}")
    # No settings file held a path: the edit box starts with the default.
    check(edit["text"] == DEFAULT_PATH, f"the path edit starts with {edit['text']!r}")
    session.screenshot(dialog, "select_dialog")

    # A typed path, Japanese and with blanks, is stored as typed when the close box
    # closes the dialog.
    typed = "D:\\メール ソフト\\almail.exe"
    session.driver("settext", edit["hwnd"], typed)
    session.driver("post", dialog, WM_SYSCOMMAND, SC_CLOSE, 0)
    wait_closed(session, dialog, main, "the close box")
    check(settings_path(program) == typed,
          f"ALMailPath is {settings_path(program)!r}")

    # Shown again, the edit box keeps its text; Enter closes the dialog by OK.
    dialog = open_select(session, main)
    check(session.driver("text", edit["hwnd"]) == typed, "the path edit lost its text")
    second = "C:\\Tools\\mail.exe"
    session.driver("settext", edit["hwnd"], second)
    press(session, dialog, VK_RETURN)
    wait_closed(session, dialog, main, "Enter")
    check(settings_path(program) == second, "Enter did not store the path")

    # Tab goes from the edit box to the check box and on to OK (the browse button is no
    # stop), and Space presses it; typed into the edit box, the blank would change the path.
    dialog = open_select(session, main)
    press(session, dialog, VK_TAB)
    session.driver("key", VK_TAB)
    session.driver("key", VK_SPACE)
    wait_closed(session, dialog, main, "Tab and Space")
    check(settings_path(program) == second, "Tab and Space changed the path")
    check("MailClient" not in ini_text(program), "an unchanged choice was written")

    # Space on the check box chooses the default mail client: the path is no longer asked
    # for, but kept; the choice is stored as MailClient=MAPI.
    dialog = open_select(session, main)
    press(session, dialog, VK_TAB)
    session.driver("key", VK_SPACE)
    wait_until(lambda: session.driver("enabled", edit["hwnd"]) == "disabled",
               "the path edit to be disabled")
    check(session.driver("enabled", browse["hwnd"]) == "disabled", "the browse button is enabled")
    press(session, dialog, VK_RETURN)
    wait_closed(session, dialog, main, "Enter")
    check("MailClient=MAPI" in ini_text(program) and settings_path(program) == second,
          f"the settings are {ini_text(program)!r}")

    dialog = open_select(session, main)
    press(session, dialog, VK_ESCAPE)
    wait_closed(session, dialog, main, "Escape")
    end(session, process, main)

    # The next start reads the stored path into the dialog.
    process = session.start(program)
    main = session.find_window(MAIN_CAPTION, exact=True)
    check(main, "the main window did not appear again")
    dialog = open_select(session, main)
    rows = controls(session, dialog)
    edit = next(r for r in rows if r["class"].lower() == "edit")
    check(edit["text"] == second, f"after a restart the path edit reads {edit['text']!r}")
    check(checked(session, next(r for r in rows if r["id"] == MAPI_CHECK_BOX)) and
          session.driver("enabled", edit["hwnd"]) == "disabled",
          "after a restart the default mail client is not chosen")
    session.driver("post", dialog, WM_SYSCOMMAND, SC_CLOSE, 0)
    wait_closed(session, dialog, main, "the close box")
    end(session, process, main)


def click(session, window, row):
    """A real mouse click in the middle of the control `row` of `window`."""
    left, top, _, _ = client_rect(session, window)
    x1, y1, x2, y2 = row["rect"]
    x, y = left + (x1 + x2) // 2, top + (y1 + y2) // 2
    session.driver("foreground", window, check_exit=False)
    session.driver("input-drag", x, y, x, y, 1)


def open_file_dialog(session, dialog, browse):
    click(session, dialog, browse)
    files = session.find_window(SELECT_CAPTION, window_class="#32770")
    check(files, "the browse button did not open a file dialog")
    boxes = [r for r in controls(session, files)
             if r["id"] == FILE_NAME_BOX and r["class"].lower() == "edit"]
    check(boxes, "the file dialog has no file name box")
    return files, boxes[0]


def test_browse(session):
    program, process, main = start(session)
    client = session.folder / "mail client" / "almail.exe"
    client.parent.mkdir()
    client.write_bytes(b"MZ")
    dialog = open_select(session, main)
    rows = controls(session, dialog)
    edit = next(r for r in rows if r["class"].lower() == "edit")
    browse = next(r for r in rows if r["text"] == "...")

    files, name_box = open_file_dialog(session, dialog, browse)
    check(name_box["text"] == "almail.exe", f"the file name box starts with {name_box['text']!r}")
    kinds = [r["text"] for r in controls(session, files) if r["id"] == 1136]
    check(kinds == ["ﾌﾟﾛｸﾞﾗﾑ"], f"the file type box shows {kinds}")
    session.screenshot(files, "browse_dialog")

    # A pick puts the file's full path into the edit box.
    picked = windows_path(client)
    session.driver("settext", name_box["hwnd"], picked)
    press(session, files, VK_RETURN)
    check(session.driver("gone", files, "--timeout", 5000, check_exit=False) is not None,
          "Enter did not close the file dialog")
    check(session.driver("text", edit["hwnd"]) == picked,
          f"the path edit reads {session.driver('text', edit['hwnd'])!r} after the pick")

    # The dialog opens on the previous pick; cancelling leaves the edit box alone.
    files, name_box = open_file_dialog(session, dialog, browse)
    folders = [r["text"] for r in controls(session, files) if r["id"] == 1137]
    check(folders == ["mail client"], f"the file dialog opened in {folders}")
    session.driver("post", files, WM_COMMAND, IDCANCEL, 0)
    check(session.driver("gone", files, "--timeout", 5000, check_exit=False) is not None,
          "cancelling did not close the file dialog")
    # The text is read with a sent message, which the dialog's thread answers only once
    # it is back in a message loop: after the browse button's handler has returned.
    check(session.driver("text", edit["hwnd"]) == picked, "cancelling changed the path edit")

    # Closing the selection dialog by its close box stores the picked path.
    session.driver("post", dialog, WM_SYSCOMMAND, SC_CLOSE, 0)
    wait_closed(session, dialog, main, "the close box")
    check(settings_path(program) == picked,
          f"ALMailPath is {settings_path(program)!r}")

    # A file whose name has no Shift-JIS form is stored by a path that still names it.
    foreign = client.parent / "almail-ü.exe"
    foreign.write_bytes(b"MZ")
    dialog = open_select(session, main)
    files, name_box = open_file_dialog(session, dialog, browse)
    session.driver("settext", name_box["hwnd"], windows_path(foreign))
    press(session, files, VK_RETURN)
    check(session.driver("gone", files, "--timeout", 5000, check_exit=False) is not None,
          "Enter did not close the file dialog")
    session.driver("post", dialog, WM_SYSCOMMAND, SC_CLOSE, 0)
    wait_closed(session, dialog, main, "the close box")
    stored = settings_path(program)
    check(stored != picked and session.driver("exists", stored, check_exit=False) is not None,
          f"the stored path {stored!r} names no file")
    end(session, process, main)


def version_text(session, dialog):
    rows = controls(session, dialog)
    return rows, rows[2]["text"]


def test_version_dialog(session):
    _, process, main = start(session)
    session.driver("post", main, WM_COMMAND, MENU_ABOUT, 0)
    dialog = session.find_window(VERSION_CAPTION, window_class="TVersionForm")
    check(dialog, "the version dialog did not appear")
    check(session.driver("enabled", main) == "disabled", "the main window stayed enabled")
    check(window_origin(session, dialog) == (152, 93), "the dialog is not at 152, 93")
    check(client_rect(session, dialog)[2:] == (222, 83), "the client area is not 222 x 83")

    rows, text = version_text(session, dialog)
    image, title, label = rows
    check(geometry(image) == (16, 16, 32, 32), f"the icon is wrong: {image}")
    check(title["text"] == "Fudekko" and geometry(title)[:2] == (56, 8), f"the title is wrong: {title}")
    check(geometry(label)[:2] == (56, 35), f"the version label is at {geometry(label)}")
    lines = text.split("\n")
    check(len(lines) == 2 and lines[0].strip() and lines[1] == "    Version 1.0.0.3",
          f"VersionLabel reads {text!r}")
    # The icon is drawn: a grey line of text on its page at (6..17, 8).
    check(session.driver("pixel", dialog, 16 + 10, 16 + 8) == "0x808080",
          "the icon is not shown at 16, 16")
    session.screenshot(dialog, "version_dialog")

    press(session, dialog, VK_ESCAPE)
    wait_closed(session, dialog, main, "Escape")
    session.driver("post", main, WM_COMMAND, MENU_ABOUT, 0)
    check(session.find_window(VERSION_CAPTION, window_class="TVersionForm"),
          "the version dialog did not appear a second time")
    # A close sent rather than posted (as another program may do) ends the dialog as well.
    session.driver("message", dialog, WM_CLOSE, 0, 0)
    wait_closed(session, dialog, main, "a sent WM_CLOSE")
    end(session, process, main)


def resource_type_entry(data, wanted):
    """The file offset of the resource directory entry of type `wanted`."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    directories = optional + (112 if magic == 0x20B else 96)
    resource_rva = struct.unpack_from("<I", data, directories + 2 * 8)[0]
    table = optional + optional_size
    for i in range(sections):
        rva_size, rva, _, raw = struct.unpack_from("<IIII", data, table + i * 40 + 8)
        if rva <= resource_rva < rva + rva_size:
            root = raw + resource_rva - rva
            named, ids = struct.unpack_from("<HH", data, root + 12)
            for entry in range(named + ids):
                at = root + 16 + entry * 8
                if struct.unpack_from("<I", data, at)[0] == wanted:
                    return at
    raise AssertionError(f"no resource of type {wanted}")


def test_version_outcomes(session):
    """A program file without the Japanese string table, and one without any version
    information: the label keeps its text, or reads "Version Error"."""
    RT_VERSION = 16
    original = session.install_program("original").read_bytes()
    cases = {}

    other_table = bytearray(original)
    key = "041103A4".encode("utf-16-le")
    check(other_table.count(key) == 1, "the version block is not where it should be")
    at = other_table.find(key)
    other_table[at:at + len(key)] = "040904B0".encode("utf-16-le")
    cases["other_table"] = (bytes(other_table), "VersionLabel")

    no_version = bytearray(original)
    # Another type number, still in order among the others: the version is gone.
    struct.pack_into("<I", no_version, resource_type_entry(original, RT_VERSION), RT_VERSION + 1)
    cases["no_version"] = (bytes(no_version), None)

    for name, (data, expected) in cases.items():
        program = session.install_program(name)
        program.write_bytes(data)
        _, process, main = start(session, program)
        dialog = session.find_window(VERSION_CAPTION, visible=False, window_class="TVersionForm")
        _, text = version_text(session, dialog)
        lines = text.split("\n")
        if expected is None:
            check(len(lines) == 2 and lines[1] == "    Version Error",
                  f"{name}: VersionLabel reads {text!r}")
        else:
            check(text == expected, f"{name}: VersionLabel reads {text!r}")
        end(session, process, main)


def test_close_request_keeps_stored_path(session):
    """A close request to the main window while the selection dialog is open ends the
    program without storing the dialog's (by then empty) text: "ALMailPath" stays. The
    session's end (WM_ENDSESSION) under the open dialog stores nothing either."""
    WM_ENDSESSION = 0x0016
    stored = "D:\\mail\\almail.exe"
    program = session.install_program()
    settings = program.parent / "Fudek.ini"
    before = b"; mine\r\n[Main]\r\nALMailPath=" + stored.encode("cp932") + b"\r\nPenWidth=3\r\nPenColor=2\r\n"
    settings.write_bytes(before)

    _, process, main = start(session, program)
    open_select(session, main)
    session.driver("post", main, WM_CLOSE, 0, 0)
    check(session.wait_exit(process) == 0, "the program did not end with 0")
    check(settings.read_bytes() == before, f"the settings file changed: {settings.read_bytes()!r}")

    _, process, main = start(session, program)
    dialog = open_select(session, main)
    session.driver("message", main, WM_ENDSESSION, 1, 0)
    # The dialog closed by the user after the session's end still stores nothing.
    session.driver("post", dialog, WM_CLOSE, 0, 0)
    session.driver("gone", dialog, "--timeout", 5000, check_exit=False)
    end(session, process, main)
    check(settings.read_bytes() == before, f"the settings file changed: {settings.read_bytes()!r}")


if __name__ == "__main__":
    import sys

    run({"dialog_select": test_select_dialog,
         "dialog_browse": test_browse,
         "dialog_version": test_version_dialog,
         "dialog_version_outcomes": test_version_outcomes,
         "dialog_close_keeps_path": test_close_request_keeps_stored_path}[sys.argv[1]])
