"""The picture goes to any program: Send through the system's default mail client (the
repository's stand-in MAPI provider, registered in the test prefix), Copy read back by
another Wine process, and Save As driven through the save dialog."""

import json
import os
import re
import struct
import subprocess
import sys

from harness import (BODY, DRAWING_BUTTON, FILE_NAME_BOX, MAIN_CAPTION, MENU_COPY, RED,
                     VK_CONTROL, WINDOWS_BUILD, WM_COMMAND, Mail, MainWindow, check,
                     check_composite, edit_menu, message_box, read_png, run, wait_until,
                     windows_path)

STANDIN_DLL = WINDOWS_BUILD / "tools" / "mapi_standin" / "mapi_standin.dll"
MAIL_KEY = r"HKLM\Software\Clients\Mail"
STANDIN_NAME = "Fudekko MAPI stand-in"
MENU_SAVE_AS_ID = 308
SEND_BUTTON_ID = 201
MAPI_DIALOG_LOGON_UI = 0x9
IDOK, IDCANCEL, IDYES, IDNO = 1, 2, 6, 7
VK_C = 0x43
EM_SETSEL = 0x00B1
SAVE_AS_TITLE = "名前を付けて保存"
# The file name box of the system's item dialog (edt1), which Save As shows where it can.
ITEM_FILE_NAME_BOX = 1152
CF_UNICODETEXT, CF_DIBV5, CF_DIB = "13", "17", "8"

HEADER = ['To: "山田, 太郎" <taro@example.jp>, hanako@example.jp',
          "Cc: 次郎 (経理) <jiro@example.jp>", "Subject: Re: 手書き: テスト"]
RECIPIENTS = [{"class": 1, "name": "山田, 太郎", "address": "SMTP:taro@example.jp"},
              {"class": 1, "name": "hanako@example.jp", "address": "SMTP:hanako@example.jp"},
              {"class": 2, "name": "次郎", "address": "SMTP:jiro@example.jp"}]


class MapiClient:
    """The stand-in provider as the prefix's default mail client while the test runs (or,
    with `registered` false, no default mail client at all); what was there before is put
    back afterwards. Wine reads the key when the program loads mapi32."""

    def __init__(self, session, registered=True, answer=None):
        self.session, self.registered = session, registered
        self.log = session.folder / "mapi.log"
        session.env["FUDEKKO_MAPI_LOG"] = windows_path(self.log)
        if answer is not None:
            session.env["FUDEKKO_MAPI_ANSWER"] = str(answer)

    def __enter__(self):
        if self.registered:
            self.session.set_registry(MAIL_KEY, None, STANDIN_NAME)
            self.session.set_registry(MAIL_KEY + "\\" + STANDIN_NAME, "DLLPath",
                                      windows_path(STANDIN_DLL))
        else:
            self.session.delete_registry(MAIL_KEY, None)
        return self

    def __exit__(self, *exc):
        self.session.restore_registry()
        return False

    def calls(self):
        if not self.log.exists():
            return []
        return [json.loads(line) for line in self.log.read_text("utf-8").splitlines()]

    def wait_call(self):
        return wait_until(self.calls, "the mail client to get the mail")[0]


def mapi_mail(session, header=(), body=()):
    """A program folder whose settings send through the default mail client; the path of
    the other mail client names nothing, so it cannot be what Send uses."""
    mail = Mail(session, list(header), list(body))
    (mail.program.parent / "Fudek.ini").write_bytes(
        b"[Main]\r\nALMailPath=C:\\nowhere\\almail.exe\r\nMailClient=MAPI\r\n")
    return mail


def send(session, window):
    session.driver("post", window.hwnd, WM_COMMAND, SEND_BUTTON_ID, 0)


def check_window_intact(session, window, text, shown):
    # The text is read with a sent message: answered once Send's handler has returned.
    check(window.text() == text, "the text changed")
    check(session.driver("enabled", window.hwnd) == "enabled", "the main window stays disabled")
    check(session.find_window(MAIN_CAPTION, exact=True, window_class="TMainForm",
                              timeout_ms=0) == window.hwnd, "the main window is not shown")
    after = session.screenshot(window.hwnd, "after_send", client=True)
    changed = [(x, y) for y in range(after.height) for x in range(after.width)
               if after.pixel(x, y) != shown.pixel(x, y)]
    check(not changed, f"{len(changed)} pixels of text and ink changed, first at {changed[:3]}")


def test_mapi_send(session):
    """A Japanese draft: the provider gets exactly its subject, body and recipients and
    the picture that the screen showed, through the wide call; then the program ends."""
    with MapiClient(session) as client:
        mail = mapi_mail(session, HEADER, BODY)
        process = session.start(mail.program, windows_path(mail.draft))
        window, shown = mail.draw(process)
        send(session, window)
        call = client.wait_call()
        check(session.wait_exit(process) == 0, "the program did not end after the send")
        check(call["call"] == "MAPISendMailW" and call["flags"] == MAPI_DIALOG_LOGON_UI and
              call["owner"] and not call["ownerEnabled"], f"the call was {call}")
        check(call["subject"] == "Re: 手書き: テスト", f"the subject is {call['subject']!r}")
        check(call["body"] == "\r\n".join(BODY) + "\r\n", f"the body is {call['body']!r}")
        check(call["recipients"] == RECIPIENTS, f"the recipients are {call['recipients']}")
        check(len(call["files"]) == 1, f"the files are {call['files']}")
        attachment = call["files"][0]
        # An earlier picture of the subject in the shared temporary folder makes it a variant.
        check(re.fullmatch(r"Re_ 手書き_ テスト( \([0-9]+\))?\.png", attachment["name"]) and
              attachment["position"] == 0xFFFFFFFF, f"the attachment is {attachment}")
        # The file stays for the mail client, and is what the screen showed.
        check_composite(session.unix_path(attachment["path"]), ".png", window, shown)
        check(len(client.calls()) == 1, "the mail was handed over more than once")


def test_mapi_abort_and_failure(session):
    """Started without a draft: write, draw, Send. The user's cancel in the mail client
    brings the window back as it was; an error is named in words."""
    mail = mapi_mail(session)
    typed = "下書きなしで書いた本文\r\n二行目"
    for answer, message in ((1, None), (11, "(MAPI_E_ATTACHMENT_NOT_FOUND)")):
        with MapiClient(session, answer=answer) as client:
            window = MainWindow(session, mail.program)
            session.driver("settext", window.text_area, typed)
            window, shown = mail.draw(window.process)
            send(session, window)
            call = client.wait_call()
            check(call["subject"] == "" and call["body"] == typed and not call["recipients"],
                  f"the mail was {call}")
            if message:
                message_box(session, message)
            check_window_intact(session, window, typed.replace("\r\n", "\n"), shown)
            check(not session.find_window(MAIN_CAPTION, exact=True, window_class="#32770",
                                          timeout_ms=0), "a message box is left")
            window.close()
            client.log.unlink()


def test_mapi_unregistered(session):
    """No default mail client: the message, nothing handed over, the window stays; Wine's
    own blocking box never comes up."""
    with MapiClient(session, registered=False) as client:
        mail = mapi_mail(session, HEADER, BODY)
        process = session.start(mail.program, windows_path(mail.draft))
        window, shown = mail.draw(process)
        send(session, window)
        message_box(session, "既定のメールソフトが設定されていません")
        check_window_intact(session, window, "\n".join(BODY), shown)
        check(not client.calls(), "something was handed over")
        window.close()


def read_clipboard(session):
    """The clipboard as another Wine process reads it: its formats, in order."""
    folder = session.folder / "clipboard"
    folder.mkdir(exist_ok=True)
    return session.driver("clipboard", windows_path(folder)).splitlines(), folder


def test_copy(session):
    """Copy is offered only when there is something to copy; in handwriting mode Ctrl+C
    puts "PNG", CF_DIBV5 and CF_DIB there in that order, the PNG being the screen."""
    mail = Mail(session, list(HEADER), list(BODY))
    process = session.start(mail.program, windows_path(mail.draft))
    window = MainWindow(session, mail.program, process=process)
    check(edit_menu(session, window)[MENU_COPY] == "grayed", "Copy offered without a selection")
    # The key copies a selection made since the menu last showed Copy greyed.
    session.driver("message", window.text_area, EM_SETSEL, 0, 5)
    session.foreground(window.hwnd)
    session.driver("key", VK_CONTROL, VK_C)
    formats, _ = wait_until(
        lambda: (lambda read: read if CF_UNICODETEXT in read[0] else None)(read_clipboard(session)),
        "the selected text on the clipboard")
    check("PNG" not in formats, f"text mode copied {formats}")
    check(edit_menu(session, window)[MENU_COPY] == "enabled", "Copy greyed with a selection")

    # Entering handwriting mode offers Copy at once: the key works before any menu opens.
    window, shown = mail.draw(process)
    session.foreground(window.hwnd)
    session.driver("key", VK_CONTROL, VK_C)
    formats, folder = wait_until(
        lambda: (lambda read: read if "PNG" in read[0] else None)(read_clipboard(session)),
        "the picture on the clipboard")
    ours = [f for f in formats if f in ("PNG", CF_DIBV5, CF_DIB)]
    check(ours == ["PNG", CF_DIBV5, CF_DIB], f"the clipboard's formats are {formats}")
    pasted = read_png(folder / "clipboard.png")
    top = window.drawing_top
    check(pasted.width > 300 and top + pasted.height <= shown.height,
          f"the picture is {pasted.width} x {pasted.height}")
    wrong = [(x, y) for y in range(pasted.height) for x in range(pasted.width)
             if pasted.pixel(x, y) != shown.pixel(x, y + top)]
    check(not wrong, f"{len(wrong)} pixels differ from the screen, first at {wrong[:3]}")
    check(pasted.pixel(160, 27) == RED, "no ink in the copied picture")
    check(edit_menu(session, window)[MENU_COPY] == "enabled", "Copy greyed in handwriting mode")
    window.close()


def save_dialog(session, name_ends=""):
    """The save dialog and its file name box, once the box's text ends with `name_ends`."""
    def shown():
        dialog = session.find_window(SAVE_AS_TITLE, window_class="#32770", timeout_ms=0)
        boxes = dialog and [c for c in session.children(dialog)
                            if c["id"] in (FILE_NAME_BOX, ITEM_FILE_NAME_BOX) and
                            c["class"].lower() == "edit"]
        if boxes and session.driver("text", boxes[0]["hwnd"]).endswith(name_ends):
            return dialog, boxes[0]
        return None
    return wait_until(shown, f"the save dialog with a name ending {name_ends!r}")


def save_as(session, window, target):
    """Save As through the dialog, the file name typed in; returns the dialog and its
    default name."""
    session.driver("post", window.hwnd, WM_COMMAND, MENU_SAVE_AS_ID, 0)
    dialog, box = save_dialog(session)
    default = session.driver("text", box["hwnd"])
    session.driver("settext", box["hwnd"], windows_path(target))
    session.driver("post", dialog, WM_COMMAND, IDOK, 0)
    return dialog, default


def answer_replace_prompt(session, dialog, answer):
    prompt = wait_until(lambda: [w["hwnd"] for w in session.window_list()
                                 if w["class"] == "#32770" and w["visible"] and
                                 w["hwnd"] != dialog], "the dialog to ask to replace the file")
    session.driver("post", prompt[0], WM_COMMAND, answer, 0)


def test_save_as(session):
    """Save As writes the picture the screen shows where the user chose and remembers
    the folder and type; a target that cannot be replaced keeps its bytes."""
    mail = Mail(session, list(HEADER), list(BODY))
    process = session.start(mail.program, windows_path(mail.draft))
    window, shown = mail.draw(process)
    target = session.folder / "保存先" / "手書き.png"
    target.parent.mkdir()
    _, default = save_as(session, window, target)
    check(default == "Re_ 手書き_ テスト.png", f"the default name is {default!r}")
    wait_until(lambda: not session.find_window(SAVE_AS_TITLE, window_class="#32770",
                                               timeout_ms=0), "the save dialog to close")
    check_composite(target, ".png", window, shown)
    settings = (mail.program.parent / "Fudek.ini").read_bytes().decode("cp932")
    check(f"SaveFolder={windows_path(target.parent)}" in settings and
          "SaveFormat=PNG" in settings, f"the settings are {settings!r}")
    check([f.name for f in target.parent.iterdir()] == [target.name],
          "a temporary file was left beside the picture")

    # Typed with another picture type's extension, the name takes the chosen type's; as
    # that names a file that exists, the dialog shows again and asks before replacing it.
    before = target.read_bytes()
    save_as(session, window, target.with_suffix(".gif"))
    again, _ = save_dialog(session, target.name)
    session.driver("post", again, WM_COMMAND, IDOK, 0)
    answer_replace_prompt(session, again, IDNO)
    session.driver("post", again, WM_COMMAND, IDCANCEL, 0)
    wait_until(lambda: not session.find_window(SAVE_AS_TITLE, window_class="#32770",
                                               timeout_ms=0), "the save dialog to close")
    check(target.read_bytes() == before and not target.with_suffix(".gif").exists(),
          "a file was written although the user declined")

    # Read-only: the dialog asks to replace it, and the write fails without touching it.
    os.chmod(target, 0o444)
    dialog, _ = save_as(session, window, target)
    answer_replace_prompt(session, dialog, IDYES)
    texts = message_box(session, "に書き込めません")
    check(any(windows_path(target) in t for t in texts), f"the message is {texts}")
    check(target.read_bytes() == before, "the existing file changed")
    check([f.name for f in target.parent.iterdir()] == [target.name],
          "a temporary file was left beside the picture")

    # In text mode the picture is the text as the text area shows it, without the ink.
    window.click_tool(DRAWING_BUTTON)
    text_target = target.parent / "本文.png"
    save_as(session, window, text_target)
    saved = read_png(wait_until(lambda: text_target.exists() and text_target, "the text's picture"))
    pixels = [saved.pixel(x, y) for y in range(saved.height) for x in range(saved.width)]
    check(saved.width > 300 and sum(1 for p in pixels if sum(p) < 200) > 30 and RED not in pixels,
          f"the text's picture is {saved.width} x {saved.height}, with ink or without text")
    window.close()


PROBE_EXE = WINDOWS_BUILD / "tools" / "handoff_probe" / "handoff_probe.exe"
# A picture of 3 x 2 pixels with no symmetry, as a bottom-up 24-bit BMP.
PICTURE = [[(255, 0, 0), (0, 0, 255), (0, 255, 0)], [(0, 0, 0), (255, 255, 255), (9, 99, 199)]]


def write_bmp(path, rows):
    width, height = len(rows[0]), len(rows)
    stride = (width * 3 + 3) // 4 * 4
    pixels = b"".join(bytes(c for r, g, b in row for c in (b, g, r)).ljust(stride, b"\0")
                      for row in reversed(rows))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 0, 0, 0, 0)
    path.write_bytes(header + info + pixels)


def test_save_long_paths(session):
    """The program's own save step, below the dialog: a picture saved at a path of 300 and
    of 1,000 characters (Windows' dialogs can give one; Wine's cannot) is written there, a
    second time over the first, and leaves no temporary file beside it."""
    source = session.folder / "picture.bmp"
    write_bmp(source, PICTURE)
    for length in (300, 1000):
        folder = session.folder / f"long{length}"
        while len(windows_path(folder / "x.png")) < length - 100:
            folder /= "長いフォルダ名" + "d" * 90
        folder.mkdir(parents=True)
        target = folder / ("p" * (length - len(windows_path(folder / ".png"))) + ".png")
        check(len(windows_path(target)) == length, f"the path is {len(windows_path(target))} long")
        for attempt in ("first", "again"):
            # Into a file, not a pipe: Wine's own background processes inherit the pipe and
            # would hold it open long after the probe has ended.
            said_file = session.folder / "probe.out"
            with open(said_file, "wb") as out:
                subprocess.run(["wine", str(PROBE_EXE), "save", windows_path(source),
                                windows_path(target), "png"], env=session.env,
                               stdout=out, stderr=subprocess.DEVNULL, check=False)
            said = said_file.read_bytes().decode("utf-8", "replace").strip()
            check(said == "saved", f"{length} characters, {attempt}: the probe said {said!r}")
            check(read_png(target).rows == PICTURE, f"{length} characters: the picture differs")
            check([f.name for f in folder.iterdir()] == [target.name],
                  f"{length} characters: a temporary file was left beside the picture")


def test_save_as_long_typed_path(session):
    """A path of 280 characters typed into Save As never makes the window vanish without a
    word: Wine's save dialogs fault at such a path (in their own code), and then a notice
    says that the program ended and the next start offers the work back; a dialog that
    takes it (Windows') leaves the window there, with the picture saved or an error said."""
    from test_recovery import FAULT_NOTICE, QUESTION, dialog_saying, journal_of
    mail = Mail(session, list(HEADER), list(BODY))
    process = session.start(mail.program, windows_path(mail.draft))
    window, _ = mail.draw(process)
    journal = journal_of(session, mail.draft)
    wait_until(lambda: journal.exists() and journal.stat().st_size > 1000, "the journal")
    folder = session.folder / ("f" * 100) / ("g" * 100)
    folder.mkdir(parents=True)
    target = folder / ("p" * (280 - len(windows_path(folder / ".png"))) + ".png")
    check(len(windows_path(target)) == 280, "the typed path is not 280 characters long")
    save_as(session, window, target)

    def said():
        if session.find_window(MAIN_CAPTION, exact=True, window_class="TMainForm",
                               timeout_ms=0):
            boxes = [w for w in session.window_list() if w["visible"] and
                     w["class"] == "#32770" and w["title"] == MAIN_CAPTION]
            return "stayed" if target.exists() or boxes else None
        notices = [w for w in session.window_list() if w["visible"] and
                   w["class"] == "#32770" and w["title"] == MAIN_CAPTION]
        return "ended" if notices else None

    outcome = wait_until(said, "the window to stay or a word about its end")
    if outcome == "ended":
        box = dialog_saying(session, FAULT_NOTICE)
        session.driver("post", box, WM_COMMAND, IDOK, 0)
        started = session.start(mail.program, windows_path(mail.draft))
        box = dialog_saying(session, QUESTION)
        session.driver("post", box, WM_COMMAND, IDNO, 0)
        window = MainWindow(session, mail.program, process=started)
    window.close()


CASES = {
    "handoff_mapi_send": test_mapi_send,
    "handoff_mapi_abort_and_failure": test_mapi_abort_and_failure,
    "handoff_mapi_unregistered": test_mapi_unregistered,
    "handoff_copy": test_copy,
    "handoff_save_as": test_save_as,
    "handoff_save_long_paths": test_save_long_paths,
    "handoff_save_as_long_typed_path": test_save_as_long_typed_path,
}

if __name__ == "__main__":
    test = CASES[sys.argv[1]]
    test.__name__ = sys.argv[1]
    run(test)
