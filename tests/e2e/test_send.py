"""Send: the round trip between the real fudekko.exe and the stand-in mail client."""

import re
import sys

from harness import (BODY, MAIN_CAPTION, SEND_TITLE, WINDOWS_BUILD, WM_CLOSE, Mail, MainWindow,
                     check, check_composite, message_box, read_picture, run, wait_until,
                     windows_path)

VK_Y = "0x59"
# A key no test types, posted to the stand-in as a marker that it logs once handled.
VK_F24 = 0x87
WM_KEYUP = 0x0101
SELECT_CAPTION = "AL-Mailの選択"
SIGNATURES = {".bmp": b"BM", ".png": b"\x89PNG\r\n\x1a\n", ".gif": b"GIF8"}


def check_picture(mail, picture, stem, extension):
    # The tests that run in a prefix share its temporary folder, where earlier pictures
    # of the subject stay: this one then takes a free variant of the name.
    check(re.fullmatch(re.escape(stem) + r"( \([0-9]+\))?" + re.escape(extension), picture.name),
          f"the picture is named {picture.name!r}")
    data = picture.read_bytes()
    check(data.startswith(SIGNATURES[extension]), f"{picture.name} is no {extension} file")
    shown = wait_until(lambda: [e for e in mail.events() if e[1].startswith("attachment")],
                       "the mail client to read the picture")
    check(shown[0][1] == "attachment", "the mail client could not decode the picture")
    decoded = read_picture(picture)
    check(shown[0][2].startswith(f"{decoded.width}x{decoded.height} "),
          "the mail client's decoder and ours disagree on the size")


# One line of a megabyte: its window opens at once, unwrapped, and the line goes back whole.
ONE_LINE_OF_1MB = "長い一行のテキスト long line of text 0123456789 " * 21000


def round_trip(session, switch, extension, header=("To: a@example.com", "Subject: Re: Hello"),
               body=BODY, stem="Re_ Hello", draw=True, encoding="cp932"):
    mail = Mail(session, list(header), list(body), encoding)
    process = mail.start_as_editor(*switch)
    check(session.find_window(SEND_TITLE, visible=False), "no hidden send window")
    if draw:
        window, shown = mail.draw(process)
        mail.press_send(window.hwnd)
    else:
        mail.press_send()
    finish_round_trip(mail, extension, stem, (window, shown) if draw else None)
    return mail


def finish_round_trip(mail, extension, stem, drawn=None):
    """Everything a send that went through leaves behind; `drawn` is the main window
    and what it showed, when the picture is to be compared with it."""
    session = mail.session
    draft, picture = mail.hand_back()
    check(draft.read_bytes() == mail.expected_draft(), "the draft's bytes differ")
    check(draft.name.startswith("Fud") and draft.suffix.lower() == ".tmp",
          f"the draft is named {draft.name}")
    check_picture(mail, picture, stem, extension)
    if drawn:
        check_composite(picture, extension, *drawn)
    events = [(e[1], e[2]) for e in mail.events()]
    check(("close-request", "hidden") in events, "the hidden send window got no close request")
    check(("key-down", VK_Y) in events or ("key-up", VK_Y) in events, "no key Y arrived")
    check(("close-accepted", "") in events, "the close was not confirmed")
    mail.wait_for("editor-ended", "fudekko.exe to end")
    shown = session.find_window(SEND_TITLE, visible=True)
    check(shown, "the mail client shows no send window")
    session.screenshot(shown, "mail_client")


def test_no_hidden_window(session):
    mail = Mail(session, ["Subject: alone"], ["text"])
    process = session.start(mail.program, "/GIF", windows_path(mail.draft))
    mail.press_send()
    _, picture = mail.hand_back()
    check_picture(mail, picture, "alone", ".gif")
    # Once fudekko.exe has ended it has asked all it will ask. The mail window still
    # stands and answers a sent message after that, and no close request is logged.
    check(session.wait_exit(process) == 0, "fudekko.exe did not end with 0")
    mail_window = session.find_window(SEND_TITLE, window_class="FudekkoMailerMail")
    check(mail_window and session.driver("text", mail_window, check_exit=False) == SEND_TITLE,
          "the mail client shows no mail")
    check(not mail.logged("close-request"), "something was asked to close")


def test_visible_only(session):
    mail = Mail(session, ["Subject: shown"], ["text"])
    mail.start_as_editor("/PNG", visible=True)
    mail.press_send()
    mail.hand_back()
    # fudekko.exe ends seconds after starting the mail client, and the stand-in handles
    # a posted message as it arrives: a close request would be logged before the end.
    mail.wait_for("editor-ended", "fudekko.exe to end")
    check(not mail.logged("close-request"), "the visible send window was closed")


def check_nothing_dismissed(mail):
    """After a failed Send: the pending send window was not asked to close. Messages
    posted to a window are handled in order, so once the stand-in has logged a key
    posted to it now, it has handled any close request posted before."""
    pending = mail.session.find_window(SEND_TITLE, visible=False, timeout_ms=0)
    check(pending, "the hidden send window is gone")
    mail.session.driver("post", pending, WM_KEYUP, VK_F24, 0)
    wait_until(lambda: ["key-up", f"0x{VK_F24:02X}"] in [e[1:] for e in mail.events()],
               "the stand-in to handle a key posted to it")
    check(not mail.logged("close-request"), "the pending send window was closed")


def test_missing_mail_client(session):
    mail = Mail(session, ["To: a", "Subject: Re: Hello"], list(BODY))
    missing = windows_path(session.folder / "nowhere" / "almail.exe")
    mail.set_mail_client(missing)
    process = mail.start_as_editor("/PNG")
    window, shown = mail.draw(process)
    mail.press_send(window.hwnd)

    message_box(session, "AL-Mail が存在しません")
    dialog = session.find_window(SELECT_CAPTION, window_class="TALMailSelect")
    check(dialog, "the selection dialog did not follow the message")
    edit = [c for c in session.children(dialog) if c["class"].lower() == "edit"][0]
    check(session.driver("text", edit["hwnd"]) == missing,
          "the dialog does not offer the stored path")

    def choose(path):
        session.driver("settext", edit["hwnd"], path)
        session.driver("post", dialog, WM_CLOSE, 0, 0)  # the close box stores the path too
        session.driver("gone", dialog, "--timeout", 5000, check_exit=False)
        check(path in (mail.program.parent / "Fudek.ini").read_bytes().decode("cp932"),
              "the chosen path was not stored")

    # A file that is there but is no program: known before the pending mail is given up.
    not_a_program = session.folder / "almail.exe"
    not_a_program.write_text("not a program\r\n")
    choose(windows_path(not_a_program))
    mail.press_send(window.hwnd)
    message_box(session, "はプログラムではないので、起動できません")
    dialog = session.find_window(SELECT_CAPTION, window_class="TALMailSelect")
    check(dialog, "the selection dialog did not follow the message")
    edit = [c for c in session.children(dialog) if c["class"].lower() == "edit"][0]
    choose(windows_path(mail.standin))
    check_nothing_dismissed(mail)
    check(not [e for e in mail.events() if e[1] == "command-line" and "/file:" in e[2]],
          "the first press started a mail client")
    check(session.driver("text", window.text_area) == "\n".join(BODY), "the text changed")

    mail.press_send(window.hwnd)
    finish_round_trip(mail, ".png", "Re_ Hello", (window, shown))


class TemporaryFolderSetting:
    """Points the Wine prefix's user TEMP and TMP at `folder` while the test runs and puts
    the former values back afterwards. Wine takes them from the registry, not from the
    environment, when it starts a program."""

    NAMES = ("TEMP", "TMP")
    KEY = "HKCU\\Environment"

    def __init__(self, session, folder):
        self.session, self.folder = session, folder

    def __enter__(self):
        for name in self.NAMES:
            self.session.set_registry(self.KEY, name, windows_path(self.folder))
        return self

    def __exit__(self, *exc):
        self.session.restore_registry()
        return False


def test_unwritable_temporary_folder(session, send_again=False):
    """A temporary folder below a plain file cannot exist, for root as for anyone: both
    files fail. Then, with `send_again`, the folder is made and Send is pressed again."""
    blocker = session.folder / "blocker"
    blocker.write_bytes(b"a file, not a folder")
    temporary = blocker / "temp"
    with TemporaryFolderSetting(session, temporary):
        mail = Mail(session, ["To: a", "Subject: Re: Hello"], list(BODY))
        process = mail.start_as_editor("/GIF")
        window, shown = mail.draw(process)
        mail.press_send(window.hwnd)

        message_box(session, "を作成できません")
        check(session.find_window(MAIN_CAPTION, exact=True, window_class="TMainForm",
                                  timeout_ms=5000) == window.hwnd,
              "the main window did not come back")
        check(session.driver("text", window.text_area) == "\n".join(BODY), "the text changed")
        after = session.screenshot(window.hwnd, "after_failure", client=True)
        top = window.drawing_top
        lost = [(x, y) for y in range(top, top + 200) for x in range(0, 400)
                if after.pixel(x, y) != shown.pixel(x, y)]
        check(not lost, f"{len(lost)} pixels of text and ink changed, first at {lost[:3]}")
        check(window.pixel(160, 27) == 0x0000FF, "the ink is gone")
        check_nothing_dismissed(mail)
        check(process.poll() is None, "the mail client ended")
        if not send_again:
            return

        blocker.unlink()
        temporary.mkdir(parents=True)
        mail.press_send(window.hwnd)
        draft, picture = mail.hand_back()
        check(picture.parent == temporary and draft.parent == temporary,
              f"the files went to {picture.parent} and {draft.parent}")
        finish_round_trip(mail, ".gif", "Re_ Hello", (window, shown))


def test_long_temporary_folder(session):
    """A temporary folder of 252 characters: the platform still hands it out and the
    picture's name is cut to fit, but the draft's name cannot fit. A clear message names
    the folder, nothing is dismissed, the window comes back and no file is left behind;
    nothing overflows."""
    deep = session.folder / "深い"
    deep = deep / ("d" * (251 - len(windows_path(deep)) - 1))
    check(len(windows_path(deep)) == 251, "the test folder has the wrong length")
    deep.mkdir(parents=True)
    with TemporaryFolderSetting(session, deep):
        mail = Mail(session, ["To: a", "Subject: Re: Hello"], list(BODY))
        process = mail.start_as_editor("/BMP")
        main = session.find_window(MAIN_CAPTION, exact=True, window_class="TMainForm")
        mail.press_send(main)
        texts = message_box(session, "長すぎ")
        check(any(deep.name in t for t in texts), f"the message does not name the folder: {texts}")
        # The cut picture fitted (252 + 7 characters, the longest path a program may
        # open), but a Send that fails removes the files it made.
        check([f.name for f in deep.iterdir()] == [],
              f"the folder holds {[f.name for f in deep.iterdir()]}, not nothing")
        check(session.find_window(MAIN_CAPTION, exact=True, window_class="TMainForm",
                                  timeout_ms=5000) == main, "the main window did not come back")
        check_nothing_dismissed(mail)
        check(process.poll() is None, "the mail client ended")


def test_large_draft(session):
    """A draft of 3 MB (a long quoted thread) loads whole and comes back byte for byte."""
    header = ["To: a@example.com", "Subject: Re: 長いスレッド"]
    body = [f"> {i:06d} 引用された長いスレッドの一行です quoted" for i in range(60000)]
    mail = Mail(session, header, body)
    check(mail.draft.stat().st_size > 3_000_000, "the draft is smaller than 3 MB")
    process = mail.start_as_editor("/PNG")
    window = MainWindow(session, mail.program, process=process)
    # The text area holds the whole body: its last line is there.
    check(session.driver("text", window.text_area).endswith(body[-1]), "the body was not loaded whole")
    mail.press_send(window.hwnd)
    finish_round_trip(mail, ".png", "Re_ 長いスレッド")


def test_unreadable_draft(session):
    """A draft that another program holds open without sharing cannot be read: the
    start-up says so, and Send refuses rather than hand back an empty mail. The pending
    send window is left alone and the draft file is unchanged."""
    mail = Mail(session, ["To: a", "Subject: Re: Hello"], list(BODY))
    before = mail.draft.read_bytes()
    marker = session.folder / "held.marker"
    holder = session.start(WINDOWS_BUILD / "tools" / "e2e_driver" / "e2e_driver.exe", "hold",
                           windows_path(mail.draft), windows_path(marker))
    wait_until(lambda: marker.exists() or holder.poll() is not None,
               "the driver to hold the draft open")
    check(marker.exists(), "the draft could not be held open")
    try:
        process = mail.start_as_editor("/PNG")
        message_box(session, "は開けません")
        main = session.find_window(MAIN_CAPTION, exact=True, window_class="TMainForm")
        check(main, "the main window did not appear")
        mail.press_send(main)
        message_box(session, "を読み込めなかったので、送信できません")
        check_nothing_dismissed(mail)
        check(not [e for e in mail.events() if e[1] == "command-line" and "/file:" in e[2]],
              "a mail client was started")
        check(session.find_window(MAIN_CAPTION, exact=True, window_class="TMainForm",
                                  timeout_ms=2000) == main, "the main window did not stay")
        check(process.poll() is None, "the mail client ended")
    finally:
        marker.unlink(missing_ok=True)
    check(session.wait_exit(holder) == 0, "the holder did not let the draft go")
    check(mail.draft.read_bytes() == before, "the draft file changed")


# Names that code page 932 cannot spell: Cyrillic, Hangul, a character beyond 16 bits.
UNICODE_FOLDER = "Папка_한글"
UNICODE_DRAFT = "下書き_😀_ñ.txt"


def move_draft(mail, path):
    """Puts the mail's draft at `path` instead."""
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(mail.draft.read_bytes())
    mail.draft.unlink()
    mail.draft = path


def test_unicode_and_long_paths(session):
    """A draft in a folder and under a name that code page 932 cannot spell opens, and
    Send hands it back whole; a draft whose path is longer than 260 characters opens."""
    mail = Mail(session, ["To: a@example.com", "Subject: Re: Hello"], list(BODY))
    move_draft(mail, session.folder / UNICODE_FOLDER / UNICODE_DRAFT)
    process = mail.start_as_editor("/PNG")
    window = MainWindow(session, mail.program, process=process)
    check(window.text().startswith(BODY[0]), f"the text area holds {window.text()!r}")
    mail.press_send(window.hwnd)
    finish_round_trip(mail, ".png", "Re_ Hello")

    # Started from a folder that code page 932 cannot spell, the program still keeps its
    # settings beside it (the pen is stored at the first start), with no report of a
    # failed write in the way of the window.
    program = session.install_program(f"{UNICODE_FOLDER}/プログラム")
    deep = session.folder.joinpath(*[f"{i}_" + "d" * 60 for i in range(4)])
    move_draft(mail, deep / UNICODE_DRAFT)
    check(len(windows_path(mail.draft)) > 260, "the long path is not longer than 260")
    window = MainWindow(session, program, "/PNG", windows_path(mail.draft))
    check(window.text().startswith(BODY[0]), f"the long path loaded {window.text()!r}")
    settings = program.parent / "Fudek.ini"
    check(settings.exists() and b"PenColor" in settings.read_bytes(),
          "no settings file beside the program")
    window.close()


# The Option menu's "長い行を折り返して送る".
MENU_WRAP_LONG_LINES = 315


def test_long_line_as_typed(session):
    """Unchecked in the Option menu ("WrapLongLines=0"), a UTF-8 line many times wider than
    the window goes back as it was typed: the unedited draft returns byte for byte."""
    line = "https://example.com/" + "/".join(f"長い行{i:03d}_path" for i in range(60))
    mail = Mail(session, ["To: a@example.com", "Subject: Re: 長い行"], ["一行目", line, "😀 last"],
                encoding="utf-8")
    check(len(line.encode("utf-8")) > 1000, "the line is not long")
    process = mail.start_as_editor("/PNG")
    window = MainWindow(session, mail.program, process=process)
    window.command(MENU_WRAP_LONG_LINES)
    settings = window.settings()
    check("WrapLongLines=0\r\n" in settings, f"the choice was not stored: {settings!r}")
    mail.press_send(window.hwnd)
    finish_round_trip(mail, ".png", "Re_ 長い行")


def refused_send(mail, main, refusal, before):
    """Send says `refusal`, and nothing is dismissed, started or changed."""
    mail.press_send(main)
    message_box(mail.session, refusal)
    check_nothing_dismissed(mail)
    check(not [e for e in mail.events() if e[1] == "command-line" and "/file:" in e[2]],
          "a mail client was started")
    check(mail.session.find_window(MAIN_CAPTION, exact=True, window_class="TMainForm",
                                   timeout_ms=2000) == main, "the main window did not stay")
    check(mail.draft.read_bytes() == before, "the draft file changed")


def test_draft_not_whole(session):
    """A draft with a zero byte, in a folder that code page 932 cannot spell: the start-up
    says so, naming the path as it is, shows the text up to the zero byte, and Send
    refuses rather than hand back less than it took in. A folder as the draft: a clear
    message, a working window, and Send refuses too."""
    mail = Mail(session, ["To: a@example.com", "Subject: Re: Hello"], list(BODY))
    move_draft(mail, session.folder / UNICODE_FOLDER / UNICODE_DRAFT)
    mail.draft.write_bytes(mail.draft.read_bytes() + b"\0" + b"\x90\x00MZ tail" * 100)
    before = mail.draft.read_bytes()
    process = mail.start_as_editor("/PNG")
    message_box(session, windows_path(mail.draft) + " には本文に表示できないバイト")
    window = MainWindow(session, mail.program, process=process)
    check(window.text().startswith(BODY[0]), f"the text area holds {window.text()!r}")
    refused_send(mail, window.hwnd, "本文に表示できないバイトが含まれているため、送信できません",
                 before)
    check(process.poll() is None, "the mail client ended")
    window.close()

    folder = session.folder / UNICODE_FOLDER
    started = session.start(mail.program, windows_path(folder))
    message_box(session, windows_path(folder) + " はフォルダなので、下書きとして読み込めません")
    window = MainWindow(session, mail.program, process=started)
    mail.press_send(window.hwnd)
    message_box(session, "を読み込めなかったので、送信できません")
    window.close()


CASES = {
    "send_bmp": lambda s: round_trip(s, ["/BMP"], ".bmp"),
    "send_png": lambda s: round_trip(s, ["/PNG"], ".png"),
    "send_gif": lambda s: round_trip(s, ["/GIF"], ".gif"),
    # Only the ASCII colon is replaced; the full-width one is a character like any other.
    "send_no_switch": lambda s: round_trip(s, [], ".bmp", header=("Subject: 件名：テスト: 2",),
                                           stem="件名：テスト_ 2"),
    "send_gi": lambda s: round_trip(s, ["/gi"], ".bmp"),
    "send_subject_from_body": lambda s: round_trip(
        s, ["/PNG"], ".png", header=("To: a",), body=("  Hello  ", "more"), stem="Hello"),
    "send_untitled": lambda s: round_trip(s, ["/PNG"], ".png", header=("To: a",),
                                          body=("", "later"), stem="無題"),
    "send_unsafe_subject": lambda s: round_trip(
        s, ["/PNG"], ".png", header=("Subject: ..\\表/CON",), stem="___表_CON"),
    # A UTF-8 draft comes back byte for byte, even what Shift-JIS cannot spell.
    "send_utf8_draft": lambda s: round_trip(
        s, ["/PNG"], ".png", header=("To: a@example.com", "Subject: Re: 件名"),
        body=BODY + ("絵文字 😀 と한국어 too",), stem="Re_ 件名", encoding="utf-8"),
    "send_no_hidden_window": test_no_hidden_window,
    "send_missing_mail_client": test_missing_mail_client,
    "send_unwritable_temp": test_unwritable_temporary_folder,
    "send_again_after_failure": lambda s: test_unwritable_temporary_folder(s, send_again=True),
    "send_long_temp": test_long_temporary_folder,
    "send_visible_only": test_visible_only,
    "send_large_draft": test_large_draft,
    "send_unreadable_draft": test_unreadable_draft,
    "send_unicode_and_long_paths": test_unicode_and_long_paths,
    "send_draft_not_whole": test_draft_not_whole,
    "send_long_line_as_typed": test_long_line_as_typed,
    "send_one_line_of_1mb": lambda s: round_trip(
        s, ["/PNG"], ".png", header=("To: a@example.com", "Subject: Re: 長い一行"),
        body=(ONE_LINE_OF_1MB,), stem="Re_ 長い一行"),
}

if __name__ == "__main__":
    test = CASES[sys.argv[1]]
    test.__name__ = sys.argv[1]
    run(test)
