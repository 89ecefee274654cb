"""Runs the real Windows programs under Wine for the end-to-end tests.

The test command exports DISPLAY and WINEPREFIX (scripts/wine_session.sh); run by hand,
the harness falls back to the build folder's prefix. Each test gets a folder of its own
under the native build folder, with its own copy of fudekko.exe (so its settings file
is its own), and keeps its screenshots there.
"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zlib
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
WINDOWS_BUILD = Path(os.environ.get("FUDEKKO_WINDOWS_BUILD", ROOT / "build" / "windows"))
ARTIFACTS = Path(os.environ.get("FUDEKKO_E2E_ARTIFACTS", ROOT / "build" / "native" / "e2e"))
FUDEKKO_EXE = WINDOWS_BUILD / "fudekko.exe"
DRIVER_EXE = WINDOWS_BUILD / "tools" / "e2e_driver" / "e2e_driver.exe"
MAIN_CAPTION = "ふでっこ～ ぽすと～"

# Where Wine keeps the screen's DPI, and a note of the value to put back, kept until it
# is back (so that a test that was killed cannot leave a later one at another DPI).
DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
DPI_NOTE = ARTIFACTS / "dpi-to-restore"

# Window messages the tests send.
WM_CLOSE = 0x0010
WM_COMMAND = 0x0111


def wine_environment():
    env = dict(os.environ)
    env.setdefault("WINEPREFIX", str(ROOT / "build" / "wineprefix"))
    env["WINEDEBUG"] = "-all"
    env["WINEDLLOVERRIDES"] = "mscoree,mshtml="
    if not env.get("DISPLAY"):
        sys.exit("no DISPLAY: run the tests through scripts/test.sh, which starts Xvfb")
    return env


def windows_path(path):
    """The path as Wine's programs see it (the Z: drive maps the Unix root)."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


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
    """One end-to-end test: its folder, its programs, and everything it started."""

    def __init__(self, name):
        for exe in (FUDEKKO_EXE, DRIVER_EXE):
            check(exe.exists(), f"{exe} is missing: build the Windows tree first")
        self.name = name
        self.folder = ARTIFACTS / name
        shutil.rmtree(self.folder, ignore_errors=True)
        self.folder.mkdir(parents=True)
        self.env = wine_environment()
        self.processes = []
        # Start from a clean Wine server: nothing of an earlier run holds the marker.
        self.stop_wine()
        # Nor its recovery journals, whose question would greet this test's windows.
        for journals in Path(self.env["WINEPREFIX"]).glob("drive_c/users/*/AppData/Local/Fudekko"):
            shutil.rmtree(journals, ignore_errors=True)
        self.restore_dpi()

    def stop_wine(self):
        subprocess.run(["wineserver", "-k"], env=self.env, check=False,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env, check=False)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        for process in self.processes:
            if process.poll() is None:
                process.kill()
        # Nothing of this test may live on into the next one.
        self.stop_wine()
        self.restore_dpi()
        return False

    def registry(self, *args):
        """`wine reg` with its output (stdout and stderr together) as text. Through a file,
        not a pipe, for the reason given at `driver`."""
        with tempfile.TemporaryFile() as output_file:
            result = subprocess.run(["wine", "reg", *args], env=self.env, stdout=output_file,
                                    stderr=subprocess.STDOUT, check=False)
            output_file.seek(0)
            result.stdout = result.stderr = output_file.read().decode("utf-8", "replace")
        return result

    def set_dpi(self, dpi):
        """Sets the prefix's screen DPI ("LogPixels") until the session ends; the programs
        started from now on run at it."""
        if not DPI_NOTE.exists():
            query = self.registry("query", DESKTOP_KEY, "/v", "LogPixels")
            values = [line.split()[-1] for line in query.stdout.splitlines()
                      if "LogPixels" in line]
            DPI_NOTE.parent.mkdir(parents=True, exist_ok=True)
            DPI_NOTE.write_text(str(int(values[0], 0)) if values else "none")
        added = self.registry("add", DESKTOP_KEY, "/v", "LogPixels", "/t", "REG_DWORD",
                              "/d", str(dpi), "/f")
        check(added.returncode == 0, f"could not set LogPixels: {added.stderr}")
        # A fresh Wine server and fresh programs read the new value.
        self.stop_wine()

    def restore_dpi(self):
        if not DPI_NOTE.exists():
            return
        saved = DPI_NOTE.read_text().strip()
        if saved == "none":
            self.registry("delete", DESKTOP_KEY, "/v", "LogPixels", "/f")
        else:
            self.registry("add", DESKTOP_KEY, "/v", "LogPixels", "/t", "REG_DWORD",
                          "/d", saved, "/f")
        self.stop_wine()
        DPI_NOTE.unlink()

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
        start = offset + source * stride
        rows.append([(data[start + step * x + 2], data[start + step * x + 1],
                      data[start + step * x]) for x in range(width)])
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
        for i in range(stride):
            left = line[i - step] if i >= step else 0
            up = previous[i]
            corner = previous[i - step] if i >= step else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                nearest = left if pa <= pb and pa <= pc else up if pb <= pc else corner
                line[i] = (line[i] + nearest) & 0xFF
            else:
                check(kind == 0, f"{path}: unknown filter {kind} in row {y}")
        rows.append([tuple(line[x * step:x * step + 3]) for x in range(width)])
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
    raw = b"".join(b"\0" + bytes(c for pixel in row for c in pixel) for row in picture.rows)

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body)))

    header = struct.pack(">IIBBBBB", picture.width, picture.height, 8, 2, 0, 0, 0)
    Path(path).write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                           chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def run(test):
    """Runs one test function with a fresh session; prints the outcome for CTest."""
    name = test.__name__
    with Session(name) as session:
        try:
            test(session)
        except Failure as failure:
            print(f"FAILED {name}: {failure}")
            sys.exit(1)
    print(f"passed {name}")
