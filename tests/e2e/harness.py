"""Runs the real Windows programs under Wine for the end-to-end tests.

Each running test has a Wine prefix and a display to itself. The test command
(scripts/test.sh, through scripts/wine_session.sh) sets up one prefix and one display per
slot, names them in FUDEKKO_WINE_SLOT_<id>_PREFIX and FUDEKKO_WINE_SLOT_<id>_DISPLAY, and
has CTest hand each test one slot of the resource "wine_prefixes"; run otherwise, a test
takes WINEPREFIX (or the build folder's prefix) and DISPLAY. A lock on the prefix keeps
it to one test at a time either way. Each test gets a folder of its own under the native
build folder, with its own copy of fudekko.exe (so its settings file is its own), and
keeps its screenshots there.
"""

import fcntl
import json
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zlib
from itertools import accumulate, chain
from operator import add
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
WINDOWS_BUILD = Path(os.environ.get("FUDEKKO_WINDOWS_BUILD", ROOT / "build" / "windows"))
ARTIFACTS = Path(os.environ.get("FUDEKKO_E2E_ARTIFACTS", ROOT / "build" / "native" / "e2e"))
FUDEKKO_EXE = WINDOWS_BUILD / "fudekko.exe"
DRIVER_EXE = WINDOWS_BUILD / "tools" / "e2e_driver" / "e2e_driver.exe"
MAIN_CAPTION = "ふでっこ～ ぽすと～"

# Where Wine keeps the screen's DPI.
DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
# In the prefix: the registry values a test changed, with what to put back, kept until
# they are back (so that a test that was killed cannot leave a later one at another
# DPI, say); and the lock that keeps the prefix to one test at a time.
REGISTRY_NOTE = ".fudekko-registry-to-restore.json"
PREFIX_LOCK = ".fudekko-in-use"

# x % 256, for `map`.
MODULO_256 = (256).__rmod__

# Window messages the tests send.
WM_CLOSE = 0x0010
WM_COMMAND = 0x0111


def wine_slot():
    """The Wine prefix and the display of the slot CTest gave this test, else the
    environment's."""
    allocated = os.environ.get("CTEST_RESOURCE_GROUP_0_WINE_PREFIXES")  # "id:1,slots:1"
    if allocated:
        slot = dict(item.split(":", 1) for item in allocated.split(","))["id"]
        return (os.environ[f"FUDEKKO_WINE_SLOT_{slot}_PREFIX"],
                os.environ[f"FUDEKKO_WINE_SLOT_{slot}_DISPLAY"])
    return os.environ.get("WINEPREFIX", str(ROOT / "build" / "wineprefix")), os.environ.get("DISPLAY")


def wine_environment():
    prefix, display = wine_slot()
    if not display:
        sys.exit("no DISPLAY: run the tests through scripts/test.sh, which starts Xvfb")
    if not Path(prefix).is_dir():
        sys.exit(f"no Wine prefix at {prefix}: run the tests through scripts/test.sh")
    # The test's own calls to the display (the cursor test reads it) go to the same one.
    os.environ.update(WINEPREFIX=prefix, DISPLAY=display)
    env = dict(os.environ)
    env["WINEDEBUG"] = "-all"
    env["WINEDLLOVERRIDES"] = "mscoree,mshtml="
    return env


def windows_path(path):
    """The path as Wine's programs see it (the Z: drive maps the Unix root)."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def value_switch(name):
    """`wine reg`'s switch for the value `name`; None is the key's default value."""
    return ["/ve"] if name is None else ["/v", name]


class Failure(AssertionError):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


# Long enough for a slow machine under load; a condition that holds ends the wait at once.
WAIT_TIMEOUT = 30
POLL_INTERVAL = 0.1


def wait_until(predicate, what, timeout=WAIT_TIMEOUT):
    """Polls `predicate` until it returns something true, and returns that. A Failure
    naming `what` (what was waited for) when `timeout` seconds pass first."""
    deadline = time.monotonic() + timeout
    while True:
        result = predicate()
        if result:
            return result
        if time.monotonic() >= deadline:
            raise Failure(f"waited {timeout} s in vain for {what}")
        time.sleep(POLL_INTERVAL)


class Session:
    """One end-to-end test: its folder, its prefix, its Wine server, its programs, and
    everything it started or changed."""

    def __init__(self, name):
        for exe in (FUDEKKO_EXE, DRIVER_EXE):
            check(exe.exists(), f"{exe} is missing: build the Windows tree first")
        self.name = name
        self.folder = ARTIFACTS / name
        shutil.rmtree(self.folder, ignore_errors=True)
        self.folder.mkdir(parents=True)
        self.env = wine_environment()
        self.prefix = Path(self.env["WINEPREFIX"])
        self.registry_note = self.prefix / REGISTRY_NOTE
        self.processes = []
        self.lock = open(self.prefix / PREFIX_LOCK, "w")
        fcntl.flock(self.lock, fcntl.LOCK_EX)
        # Start from a clean Wine server: nothing of an earlier run holds the marker.
        self.stop_wine()
        # Nor its recovery journals, whose question would greet this test's windows.
        for journals in self.prefix.glob("drive_c/users/*/AppData/Local/Fudekko"):
            shutil.rmtree(journals, ignore_errors=True)
        self.start_wine()
        if self.registry_note.exists():
            # A test killed before its end left the registry changed: put it back, and
            # let a fresh server and fresh programs read it.
            self.restore_registry()
            self.stop_wine()
            self.start_wine()

    def wineserver(self, *args):
        with tempfile.TemporaryFile() as output_file:
            result = subprocess.run(["wineserver", *args], env=self.env, check=False,
                                    stdout=subprocess.DEVNULL, stderr=output_file)
            output_file.seek(0)
            result.stderr = output_file.read().decode("utf-8", "replace")
        return result

    def start_wine(self):
        """One Wine server for the whole test, persistent (-p): every Wine program the test
        runs talks to it. A server that a program starts ends as soon as its last program
        ends (at once with Debian's wineserver, which passes -p0), and a program started
        while that one is still ending waits for it only so long: on a loaded machine it
        then fails to start at all."""
        started = self.wineserver("-p")
        check(started.returncode == 0,
              f"could not start a Wine server for {self.prefix} ({started.returncode}, 2 when "
              f"one runs already): {started.stderr}")

    def stop_wine(self):
        """Ends the prefix's Wine server, and with it every Wine program of the prefix, and
        waits until it has gone."""
        self.wineserver("-k")  # 1 when none runs
        waited = self.wineserver("-w")
        check(waited.returncode == 0, f"wineserver -w failed: {waited.stderr}")

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        for process in self.processes:
            if process.poll() is None:
                process.kill()
        # Nothing of this test may live on into the next one.
        try:
            self.restore_registry()
        finally:
            self.stop_wine()
            self.lock.close()
        return False

    def registry(self, *args):
        """`wine reg` with its output (stdout and stderr together) as text. Through a file,
        not a pipe, for the reason given at `driver`."""
        with tempfile.TemporaryFile() as output_file:
            result = subprocess.run(["wine", "reg", *args], env=self.env, stdout=output_file,
                                    stderr=subprocess.STDOUT, check=False)
            output_file.seek(0)
            result.stdout = output_file.read().decode("utf-8", "replace").replace("\r", "")
        return result

    def registry_value(self, key, name):
        """A value of the prefix's registry as [type, data] (a DWORD in decimal), None when
        it is not there; `name` None is the key's default value."""
        query = self.registry("query", key, *value_switch(name))
        if query.returncode != 0:
            check("Unable to find" in query.stdout,
                  f"could not read {key} {name}: {query.stdout.strip()}")
            return None
        label = r"\(Default\)" if name is None else re.escape(name)
        match = re.search(rf"^\s*{label}\s+(REG_\w+)(?:[ \t]+(.*?))?[ \t]*$", query.stdout, re.M)
        check(match, f"no {name} in {query.stdout!r}")
        kind, data = match.group(1), match.group(2) or ""
        if name is None and data == "(value not set)":
            return None
        return [kind, str(int(data, 0)) if kind == "REG_DWORD" else data]

    def registry_key_exists(self, key):
        query = self.registry("query", key)
        check(query.returncode == 0 or "Unable to find" in query.stdout,
              f"could not read {key}: {query.stdout.strip()}")
        return query.returncode == 0

    def note_registry(self, key, name):
        """Notes in the prefix what the value is now, unless noted already."""
        notes = json.loads(self.registry_note.read_text()) if self.registry_note.exists() else []
        if any(note["key"] == key and note["name"] == name for note in notes):
            return
        notes.append({"key": key, "name": name, "value": self.registry_value(key, name),
                      "key_existed": self.registry_key_exists(key)})
        self.registry_note.write_text(json.dumps(notes))

    def set_registry(self, key, name, data, kind="REG_SZ"):
        """Sets a value of the prefix's registry (`name` None: the key's default value)
        until the session ends, or `restore_registry`."""
        self.note_registry(key, name)
        added = self.registry("add", key, *value_switch(name), "/t", kind, "/d", data, "/f")
        check(added.returncode == 0, f"could not set {key} {name}: {added.stdout.strip()}")

    def delete_registry(self, key, name):
        """Removes a value of the prefix's registry until the session ends."""
        self.note_registry(key, name)
        if self.registry_value(key, name) is not None:
            deleted = self.registry("delete", key, *value_switch(name), "/f")
            check(deleted.returncode == 0, f"could not remove {key} {name}: {deleted.stdout.strip()}")

    def restore_registry(self):
        """Puts back every registry value noted, the last changed first, and checks that
        each is as it was."""
        if not self.registry_note.exists():
            return
        for note in reversed(json.loads(self.registry_note.read_text())):
            key, name, value = note["key"], note["name"], note["value"]
            if value is not None:
                self.set_registry(key, name, value[1], value[0])
            elif not note["key_existed"]:
                if self.registry_key_exists(key):
                    deleted = self.registry("delete", key, "/f")
                    check(deleted.returncode == 0, f"could not remove {key}: {deleted.stdout.strip()}")
            else:
                self.delete_registry(key, name)
            check(self.registry_value(key, name) == value,
                  f"{key} {name} is {self.registry_value(key, name)}, not {value} again")
        self.registry_note.unlink()

    def set_dpi(self, dpi):
        """Sets the prefix's screen DPI ("LogPixels") until the session ends; the programs
        started from now on run at it."""
        self.set_registry(DESKTOP_KEY, "LogPixels", str(dpi), "REG_DWORD")
        # A fresh Wine server and fresh programs read the new value.
        self.stop_wine()
        self.start_wine()

    def unix_path(self, windows):
        """A path as a Wine program gives it (a drive letter, backslashes) on this side:
        through the drive's link in the prefix, as winepath resolves it."""
        match = re.fullmatch(r"([A-Za-z]):((?:\\[^\\]+)*)\\?", windows)
        check(match, f"{windows!r} is no full path with a drive letter")
        drive = self.prefix / "dosdevices" / (match.group(1).lower() + ":")
        return Path(os.path.realpath(drive)).joinpath(*match.group(2).split("\\")[1:])

    def install_program(self, subfolder="program"):
        """A private copy of fudekko.exe; its settings file lands beside it."""
        folder = self.folder / subfolder
        folder.mkdir(parents=True, exist_ok=True)
        shutil.copy2(FUDEKKO_EXE, folder / "fudekko.exe")
        return folder / "fudekko.exe"

    def start(self, exe, *args):
        process = subprocess.Popen(
            ["wine", str(exe), *[str(a) for a in args]],
            env=self.env,
            stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL,
        )
        self.processes.append(process)
        return process

    def driver(self, *args, check_exit=True, timeout=60):
        # Output goes through a file, not a pipe: Wine's own background processes,
        # started by whichever program comes first, inherit the descriptor and would
        # keep a pipe open long after the driver has ended.
        with tempfile.TemporaryFile() as output_file:
            result = subprocess.run(
                ["wine", str(DRIVER_EXE), *[str(a) for a in args]],
                env=self.env,
                stdout=output_file,
                stderr=subprocess.DEVNULL,
                timeout=timeout,
            )
            output_file.seek(0)
            output = output_file.read().decode("utf-8", "replace").replace("\r", "").strip()
        if check_exit:
            check(result.returncode == 0, f"driver {args} failed ({result.returncode}): {output}")
        return output if result.returncode == 0 else None

    def find_window(self, title, timeout_ms=15000, visible=True, exact=False, window_class=None):
        args = ["find", title, "--timeout", timeout_ms]
        if window_class:
            args += ["--class", window_class]
        if visible is True:
            args.append("--visible")
        elif visible is False:
            args.append("--hidden")
        if exact:
            args.append("--exact")
        return self.driver(*args, check_exit=False)

    def window_list(self):
        rows = []
        for line in self.driver("list").splitlines():
            parts = line.split("\t")
            if len(parts) == 4:
                rows.append({"hwnd": parts[0], "visible": parts[1] == "visible",
                             "class": parts[2], "title": parts[3]})
        return rows

    def children(self, hwnd):
        rows = []
        for line in self.driver("children", hwnd).splitlines():
            parts = line.split("\t")
            # A child without text loses its last, empty field to the output's trimming.
            if len(parts) >= 5:
                rows.append({"hwnd": parts[0], "class": parts[1], "id": int(parts[2]),
                             "visible": parts[3] == "visible",
                             "rect": [int(v) for v in parts[4].split()],
                             "text": "\t".join(parts[5:])})
        return rows

    def screenshot(self, hwnd, name, client=False):
        """Saves the window as <name>.png in the test's folder and returns the pixels."""
        bmp = self.folder / f"{name}.bmp"
        args = ["screenshot", hwnd, windows_path(bmp)]
        if client:
            args.append("--client")
        self.driver(*args)
        picture = read_bmp(bmp)
        write_png(self.folder / f"{name}.png", picture)
        bmp.unlink()
        return picture

    def foreground(self, hwnd):
        """Brings the window to the front and waits until key input reaches it."""
        check(self.driver("foreground", hwnd, "--timeout", 10000, check_exit=False) is not None,
              f"window {hwnd} did not get the keyboard")

    def wait_exit(self, process, timeout=20):
        try:
            return process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None


class Picture:
    def __init__(self, width, height, rows):
        self.width, self.height, self.rows = width, height, rows  # rows of (r, g, b)

    def pixel(self, x, y):
        return self.rows[y][x]


def read_bmp(path):
    """A 24- or 32-bit uncompressed BMP, bottom-up or top-down."""
    data = Path(path).read_bytes()
    check(data[:2] == b"BM", f"{path} is no BMP")
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    step = bits // 8
    stride = (width * bits + 31) // 32 * 4
    rows = []
    for row in range(abs(height)):
        source = abs(height) - 1 - row if height > 0 else row
        line = data[offset + source * stride:offset + source * stride + step * width]
        rows.append(list(zip(line[2::step], line[1::step], line[::step])))
    return Picture(width, abs(height), rows)


def read_png(path):
    """An 8-bit truecolour PNG (with or without alpha, not interlaced): chunks, zlib's
    inflate and the five row filters, written here apart from the program's writer."""
    data = Path(path).read_bytes()
    check(data[:8] == b"\x89PNG\r\n\x1a\n", f"{path} is no PNG")
    position, header, compressed = 8, None, b""
    while position < len(data):
        length, kind = struct.unpack_from(">I4s", data, position)
        body = data[position + 8:position + 8 + length]
        crc = struct.unpack_from(">I", data, position + 8 + length)[0]
        check(zlib.crc32(kind + body) == crc, f"{path}: bad CRC in {kind}")
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            compressed += body
        elif kind == b"IEND":
            break
        position += 12 + length
    check(header is not None, f"{path} has no IHDR")
    width, height, depth, colour, _, _, interlace = header
    check(depth == 8 and colour in (2, 6) and interlace == 0,
          f"{path}: depth {depth}, colour type {colour}, interlace {interlace} not read here")
    step = 3 if colour == 2 else 4
    stride = width * step
    raw = zlib.decompress(compressed)
    check(len(raw) == height * (stride + 1), f"{path}: image data of the wrong size")
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        check(kind <= 4, f"{path}: unknown filter {kind} in row {y}")
        # Sub and Up a whole channel or row at a time, their sums taken modulo 256 after;
        # Average and Paeth byte by byte.
        if kind == 1:
            for channel in range(step):
                line[channel::step] = bytes(map(MODULO_256, accumulate(line[channel::step])))
        elif kind == 2:
            line = bytearray(map(MODULO_256, map(add, line, previous)))
        for i in range(stride if kind in (3, 4) else 0):
            left = line[i - step] if i >= step else 0
            up = previous[i]
            corner = previous[i - step] if i >= step else 0
            if kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                nearest = left if pa <= pb and pa <= pc else up if pb <= pc else corner
                line[i] = (line[i] + nearest) & 0xFF
        rows.append(list(zip(line[::step], line[1::step], line[2::step])))
        previous = line
    return Picture(width, height, rows)


def read_gif(path):
    """The first image of a GIF, through its colour table, decoded with a plain LZW
    decoder written here apart from the program's coders."""
    data = Path(path).read_bytes()
    check(data[:6] in (b"GIF87a", b"GIF89a"), f"{path} is no GIF")
    width, height, flags = struct.unpack_from("<HHB", data, 6)
    position = 13
    table = []
    if flags & 0x80:
        size = 2 << (flags & 7)
        table = [tuple(data[position + 3 * i:position + 3 * i + 3]) for i in range(size)]
        position += 3 * size
    while data[position] == 0x21:  # extensions: skip their sub-blocks
        position += 2
        while data[position]:
            position += data[position] + 1
        position += 1
    check(data[position] == 0x2C, f"{path}: no image descriptor")
    left, top, image_width, image_height, image_flags = struct.unpack_from(
        "<HHHHB", data, position + 1)
    check((left, top, image_width, image_height) == (0, 0, width, height),
          f"{path}: the image does not fill the screen")
    check(not image_flags & 0x40, f"{path}: interlaced images are not read here")
    position += 10
    if image_flags & 0x80:
        size = 2 << (image_flags & 7)
        table = [tuple(data[position + 3 * i:position + 3 * i + 3]) for i in range(size)]
        position += 3 * size
    minimum = data[position]
    position += 1
    stream = bytearray()
    while data[position]:
        stream += data[position + 1:position + 1 + data[position]]
        position += data[position] + 1

    clear, end = 1 << minimum, (1 << minimum) + 1
    indices = bytearray()
    bits = accumulator = 0
    width_bits = minimum + 1
    codes = [bytes([i]) for i in range(clear)] + [b"", b""]
    previous = None
    for byte in stream:
        accumulator |= byte << bits
        bits += 8
        while bits >= width_bits:
            code = accumulator & ((1 << width_bits) - 1)
            accumulator >>= width_bits
            bits -= width_bits
            if code == clear:
                codes = codes[:end + 1]
                width_bits, previous = minimum + 1, None
                continue
            if code == end:
                break
            if previous is None:
                entry = codes[code]
            elif code < len(codes):
                entry = codes[code]
                codes.append(previous + entry[:1])
            else:
                check(code == len(codes), f"{path}: code {code} out of order")
                entry = previous + previous[:1]
                codes.append(entry)
            indices += entry
            previous = entry
            if len(codes) == 1 << width_bits and width_bits < 12:
                width_bits += 1
        else:
            continue
        break
    check(len(indices) >= width * height, f"{path}: {len(indices)} pixels, not {width * height}")
    check(max(indices[:width * height], default=0) < len(table), f"{path}: index beyond the table")
    rows = [[table[i] for i in indices[y * width:(y + 1) * width]] for y in range(height)]
    return Picture(width, height, rows)


def read_picture(path):
    """A BMP, PNG or GIF by its extension."""
    readers = {".bmp": read_bmp, ".png": read_png, ".gif": read_gif}
    return readers[Path(path).suffix.lower()](path)


def write_png(path, picture):
    raw = b"".join(b"\0" + bytes(chain.from_iterable(row)) for row in picture.rows)

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body)))

    header = struct.pack(">IIBBBBB", picture.width, picture.height, 8, 2, 0, 0, 0)
    Path(path).write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                           chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


# What several tests share: the main window and its controls, a mail with the stand-in
# mail client, and the checks of the picture that Send writes.

# Tool button and menu commands of the main window.
COLOR_BUTTON, LINE_BUTTON, ERASE_BUTTON, DRAWING_BUTTON, HIGHLIGHTER_BUTTON = 202, 203, 204, 205, 206
SEND_BUTTON_ID = 201
# Centres of the tool buttons in the tool bar's client area: send 70 wide, separator 8,
# then the others 51 wide each.
BUTTON_X = {COLOR_BUTTON: 103, LINE_BUTTON: 154, ERASE_BUTTON: 205, HIGHLIGHTER_BUTTON: 256,
            DRAWING_BUTTON: 307}
TB_ISBUTTONCHECKED = 0x040A
VK_SHIFT, VK_CONTROL, VK_X, VK_Y, VK_Z = 0x10, 0x11, 0x58, 0x59, 0x5A
VK_MENU, VK_E, VK_ESCAPE = 0x12, 0x45, 0x1B
# The Edit menu's items, top first, and the colour in which a greyed item's text is drawn.
MENU_UNDO, MENU_REDO, MENU_COPY = 0, 1, 2
EDIT_MENU_ITEMS = 3
GRAY_TEXT = (128, 128, 128)
IDOK, IDYES, IDNO = 1, 6, 7
FILE_NAME_BOX = 1148  # the file dialog's file name box (cmb13)

STANDIN_EXE = WINDOWS_BUILD / "tools" / "mailer" / "almail-standin.exe"
SEND_TITLE = "メール送信"
RED = (255, 0, 0)
# A red stroke across the body's first lines, in drawing-area pixels.
STROKE = [(30, 8), (120, 14), (200, 40), (260, 40)]
BODY = ("こんにちは、手書きのテストです。", "line two of the body", "三行目 third line",
        "四行目 fourth line")


def sjis(text):
    return text.encode("cp932")


def client_rect(session, hwnd):
    """(left, top, width, height) of the window's client area on the screen."""
    _, client = session.driver("rect", hwnd).split("\t")
    left, top, right, bottom = (int(v) for v in client.split())
    return left, top, right - left, bottom - top


def geometry(row):
    left, top, right, bottom = row["rect"]
    return (left, top, right - left, bottom - top)


def message_box(session, expected):
    """The visible message box whose text holds `expected`; answers it with OK."""
    box = session.find_window(MAIN_CAPTION, exact=True, window_class="#32770")
    check(box, f"no message box appeared (expected {expected!r})")
    texts = [session.driver("text", c["hwnd"]) for c in session.children(box)]
    check(any(expected in t for t in texts), f"the message box says {texts}, not {expected!r}")
    session.driver("post", box, WM_COMMAND, IDOK, 0)
    session.driver("gone", box, "--timeout", 5000)
    return texts


class MainWindow:
    """A started fudekko.exe and the handles of its main window and controls."""

    def __init__(self, session, exe, *args, process=None):
        """Starts `exe` with `args`, or takes the copy `process` already started."""
        self.session = session
        self.exe = exe
        self.process = process or session.start(exe, *args)
        self.hwnd = session.find_window(MAIN_CAPTION, exact=True)
        check(self.hwnd, "the main window did not appear")
        controls = {c["class"]: c for c in session.children(self.hwnd)}
        self.text_area = controls["Edit"]["hwnd"]
        self.tool_bar = controls["ToolbarWindow32"]["hwnd"]
        self.drawing_top = controls["Edit"]["rect"][1]

    def text(self):
        return self.session.driver("text", self.text_area)

    def settings(self):
        path = self.exe.parent / "Fudek.ini"
        return path.read_bytes().decode("cp932") if path.exists() else None

    def command(self, ident):
        self.session.driver("message", self.hwnd, WM_COMMAND, ident, 0)

    def click_tool(self, ident):
        """A real click: the tool bar toggles its check buttons and sends the command."""
        x = BUTTON_X[ident]
        self.session.driver("mouse", self.tool_bar, "down", x, 20)
        self.session.driver("mouse", self.tool_bar, "up", x, 20)

    def is_down(self, ident):
        return self.session.driver("message", self.tool_bar, TB_ISBUTTONCHECKED, ident, 0) != "0"

    def stroke(self, points, button="left"):
        """Mouse messages at drawing-area points, sent to the main window's client area."""
        (x, y), rest = points[0], points[1:]
        self.session.driver("mouse", self.hwnd, "down", x, y + self.drawing_top, button)
        for x, y in rest:
            self.session.driver("mouse", self.hwnd, "move", x, y + self.drawing_top, button)
        self.session.driver("mouse", self.hwnd, "up", x, y + self.drawing_top, button)

    def pixel(self, x, y):
        """The screen's colour at a drawing-area point, 0xBBGGRR."""
        return int(self.session.driver("pixel", self.hwnd, x, y + self.drawing_top), 16)

    def size(self):
        outer = [int(v) for v in self.session.driver("rect", self.hwnd).split("\t")[0].split()]
        return outer[2] - outer[0], outer[3] - outer[1]

    def discard_question(self, timeout_ms=0):
        """The question before unsent work is thrown away, when it is on the screen."""
        return self.session.find_window(MAIN_CAPTION, exact=True, window_class="#32770",
                                        timeout_ms=timeout_ms)

    def answer(self, question, answer):
        self.session.driver("post", question, WM_COMMAND, answer, 0)
        self.session.driver("gone", question, "--timeout", 5000)

    def close(self):
        """Closes the window, answering Yes when it asks whether to discard unsent work."""
        self.session.driver("post", self.hwnd, WM_CLOSE, 0, 0)
        question = wait_until(lambda: self.process.poll() is not None or self.discard_question(),
                              "the program to end or ask")
        if question is not True:
            self.answer(question, IDYES)
        check(self.session.wait_exit(self.process) == 0, "closing did not end with exit code 0")


def edit_menu(session, window):
    """Opens the Edit menu from the keyboard and tells from what it shows whether each item
    is "enabled" or "grayed" (its text drawn in the grey text colour). Menus belong to
    their process under Wine, so their state cannot be asked from the driver."""
    session.foreground(window.hwnd)
    session.driver("key", VK_MENU, VK_E)
    popup = wait_until(lambda: session.find_window("", window_class="#32768", timeout_ms=500),
                       "the Edit menu to open")
    edit_menu.shots = getattr(edit_menu, "shots", 0) + 1
    picture = session.screenshot(popup, f"edit_menu_{edit_menu.shots}")
    states = []
    for item in range(EDIT_MENU_ITEMS):
        band = range(picture.height * item // EDIT_MENU_ITEMS,
                     picture.height * (item + 1) // EDIT_MENU_ITEMS)
        grey = any(picture.pixel(x, y) == GRAY_TEXT for y in band for x in range(picture.width))
        states.append("grayed" if grey else "enabled")
    session.driver("key", VK_ESCAPE)
    session.driver("key", VK_ESCAPE)
    wait_until(lambda: not session.find_window("", window_class="#32768", timeout_ms=200),
               "the Edit menu to close")
    return states


class Mail:
    """A program folder with fudekko.exe, the stand-in at a path with a blank in it and
    a decoy program at the shorter prefix of that path, and a draft."""

    def __init__(self, session, header, body, encoding="cp932"):
        self.session = session
        self.program = session.install_program()
        folder = self.program.parent
        (folder / "mail client").mkdir()
        self.standin = folder / "mail client" / "almail-standin.exe"
        shutil.copy2(STANDIN_EXE, self.standin)
        shutil.copy2(STANDIN_EXE.parent.parent / "e2e_driver" / "e2e_driver.exe",
                     folder / "mail.exe")
        self.set_mail_client(windows_path(self.standin))
        self.header = [line.encode(encoding) for line in header]
        self.body = [line.encode(encoding) for line in body]
        self.draft = session.folder / "draft.txt"
        self.draft.write_bytes(b"".join(line + b"\r\n" for line in self.header + [b""] +
                                        self.body))
        self.log = session.folder / "mailer.log"
        session.env["FUDEKKO_MAILER_LOG"] = windows_path(self.log)

    def start_as_editor(self, *switch, visible=False):
        extra = ["--visible"] if visible else []
        return self.session.start(self.standin, *extra, "--edit", windows_path(self.program),
                                  *switch, windows_path(self.draft))

    def set_mail_client(self, windows):
        (self.program.parent / "Fudek.ini").write_bytes(
            b"[Main]\r\nALMailPath=" + windows.encode("cp932") + b"\r\n")

    def events(self):
        if not self.log.exists():
            return []
        return [line.split(" ", 2) + [""] * (3 - len(line.split(" ", 2)))
                for line in self.log.read_text("utf-8").splitlines()]

    def logged(self, event):
        return [e for e in self.events() if e[1] == event]

    def wait_for(self, event, what):
        return wait_until(lambda: self.logged(event), what)

    def press_send(self, main=None):
        main = main or self.session.find_window(MAIN_CAPTION, exact=True)
        check(main, "the main window did not appear")
        self.session.screenshot(main, "before_send")
        self.session.driver("post", main, WM_COMMAND, SEND_BUTTON_ID, 0)
        return main

    def draw(self, process):
        """Enters handwriting mode, draws a red stroke and returns the window and what its
        client area shows then."""
        window = MainWindow(self.session, self.program, process=process)
        window.command(COLOR_BUTTON)
        window.command(COLOR_BUTTON)  # red
        window.click_tool(DRAWING_BUTTON)
        check(window.is_down(DRAWING_BUTTON), "handwriting mode did not start")
        window.stroke(STROKE)
        shown = self.session.screenshot(window.hwnd, "handwriting", client=True)
        return window, shown

    def hand_back(self):
        """The stand-in's copy started by Send: its command line and the two files."""
        pattern = (re.escape(windows_path(self.standin)) +
                   r' /file:"([^"]+)" /attach:"([^"]+)"')
        started = wait_until(
            lambda: [details for _, event, details in self.events()
                     if event == "command-line" and "--edit" not in details],
            "the mail client to be started again")
        match = re.fullmatch(pattern, started[0])
        check(match, f"the mail client's command line is {started[0]!r}")
        return self.session.unix_path(match.group(1)), self.session.unix_path(match.group(2))

    def expected_draft(self):
        return b"".join(line + b"\r\n" for line in self.header + [b""] + self.body)


def on_cube(colour):
    """The colour a GIF attachment holds for `colour`: each channel to its nearest of the
    six levels 0, 51, ..., 255."""
    return tuple(51 * ((c + 3) // 51) for c in colour)


def check_composite(picture, extension, window, shown):
    """The picture is what the drawing area showed before Send: the red ink along the
    stroke and the text snapshot everywhere else."""
    decoded = read_picture(picture)
    top = window.drawing_top
    check(decoded.width <= shown.width and top + decoded.height <= shown.height,
          f"a {decoded.width} x {decoded.height} picture is larger than the drawing area")
    check(decoded.width > 300 and decoded.height > 100,
          f"the picture is only {decoded.width} x {decoded.height}")
    expect = on_cube if extension == ".gif" else (lambda colour: colour)
    wrong = [(x, y) for y in range(decoded.height) for x in range(decoded.width)
             if decoded.pixel(x, y) != expect(shown.pixel(x, y + top))]
    check(not wrong, f"{len(wrong)} pixels differ from the screen, first at {wrong[:3]}")
    for x, y in [(75, 11), (160, 27), (230, 40)]:
        check(decoded.pixel(x, y) == RED, f"no ink at {x}, {y}: {decoded.pixel(x, y)}")
    # Dark pixels are text: the red ink is never this dark.
    text = [(x, y) for y in range(decoded.height) for x in range(decoded.width)
            if sum(decoded.pixel(x, y)) < 200]
    check(len(text) > 30, "the picture holds no text")


def start_with_red_pen(session, *commands):
    """The editor on a mail that Send hands back as PNG, with the red pen chosen and the
    menu `commands` given."""
    mail = Mail(session, ["To: a@example.com", "Subject: Re: Hello"], list(BODY))
    process = mail.start_as_editor("/PNG")
    window = MainWindow(session, mail.program, process=process)
    window.command(COLOR_BUTTON)
    window.command(COLOR_BUTTON)  # red
    for command in commands:
        window.command(command)
    return mail, window


def check_sent_picture(mail, window, shown, extension):
    """The picture Send wrote is the drawing area as the screen showed it."""
    mail.press_send(window.hwnd)
    _, picture = mail.hand_back()
    check(picture.suffix == extension, f"the picture is {picture.name}")
    decoded = read_picture(picture)
    top = window.drawing_top
    check(decoded.width > 300 and decoded.height > 160,
          f"the picture is only {decoded.width} x {decoded.height}")
    expect = on_cube if extension == ".gif" else (lambda colour: colour)
    wrong = [(x, y) for y in range(decoded.height) for x in range(decoded.width)
             if decoded.pixel(x, y) != expect(shown.pixel(x, y + top))]
    check(not wrong, f"{len(wrong)} pixels differ from the screen, first at {wrong[:3]}")
    return decoded


def run(test):
    """Runs one test function with a fresh session; prints the outcome for CTest."""
    name = test.__name__
    try:
        with Session(name) as session:
            test(session)
    except Failure as failure:
        print(f"FAILED {name}: {failure}")
        sys.exit(1)
    print(f"passed {name}")
