"""The cursor over the drawing area in handwriting mode shows the pen. It is read as the
user sees it: from the display server that Wine draws on (the X server's XFIXES
extension), where the real pointer, moved by real input, shows it."""

import ctypes
import sys

from harness import (BUTTON_X, COLOR_BUTTON, DRAWING_BUTTON, ERASE_BUTTON, LINE_BUTTON,
                     MainWindow, Picture, check, run, wait_until, write_png)

BLACK, BLUE = (0, 0, 0), (0, 0, 255)


class XFixesCursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short),
                ("width", ctypes.c_ushort), ("height", ctypes.c_ushort),
                ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("cursor_serial", ctypes.c_ulong),
                ("pixels", ctypes.POINTER(ctypes.c_ulong)),
                ("atom", ctypes.c_ulong), ("name", ctypes.c_char_p)]


class ShownCursor:
    """The cursor the display shows: its size, hot spot and pixels as (alpha, r, g, b)."""

    def __init__(self, width, height, hot, pixels):
        self.width, self.height, self.hot, self.pixels = width, height, hot, pixels

    def pixel(self, x, y):
        return self.pixels[y * self.width + x]

    def key(self):
        return self.width, self.height, self.hot, self.pixels

    def is_pen(self, colour, width):
        """An odd square with the hot spot in its middle, where a circle `width` device
        pixels across of the opaque `colour` lies, ringed by a contrasting colour."""
        if self.width != self.height or self.width % 2 == 0:
            return False
        centre = self.width // 2
        if self.hot != (centre, centre):
            return False
        pen = (255, *colour)
        run = 0
        while run < centre and self.pixel(centre + run + 1, centre) == pen:
            run += 1
        rim = self.pixel(centre + run + 1, centre)
        # An even width's circle keeps clear of the pixels its stroke covers just half.
        return (self.pixel(centre, centre) == pen and 2 * run + 1 == width - 1 + width % 2 and
                all(self.pixel(centre - i, centre) == pen for i in range(run + 1)) and
                rim[0] == 255 and abs(sum(rim[1:]) - sum(colour)) >= 3 * 128)

    def is_eraser(self):
        """A ring around a clear middle at the hot spot."""
        centre = self.width // 2
        return (self.width == self.height and self.hot == (centre, centre) and
                self.pixel(centre, centre)[0] == 0 and
                any(self.pixel(x, centre)[0] == 255 for x in range(centre)))

    def save(self, path):
        """As a picture laid over mid grey, for a person to look at."""
        def over_grey(pixel):
            alpha = pixel[0] / 255
            return tuple(round(c * alpha + 128 * (1 - alpha)) for c in pixel[1:])
        rows = [[over_grey(self.pixel(x, y)) for x in range(self.width)]
                for y in range(self.height)]
        write_png(path, Picture(self.width, self.height, rows))


def shown_cursor():
    x11, xfixes = ctypes.CDLL("libX11.so.6"), ctypes.CDLL("libXfixes.so.3")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    x11.XFree.argtypes = [ctypes.c_void_p]
    xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(XFixesCursorImage)
    xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(None)
    check(display, "cannot open the X display")
    try:
        image = xfixes.XFixesGetCursorImage(display)
        check(image, "the X server does not tell its cursor (no XFIXES)")
        shown = image.contents
        # Each pixel is premultiplied ARGB in an unsigned long; the circle is opaque.
        pixels = [((p >> 24) & 0xFF, (p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF)
                  for p in shown.pixels[:shown.width * shown.height]]
        result = ShownCursor(shown.width, shown.height, (shown.xhot, shown.yhot), pixels)
        x11.XFree(image)
        return result
    finally:
        x11.XCloseDisplay(display)


def scaled(width, dpi):
    """A width at 96 DPI in device pixels at `dpi`, as the strokes are drawn."""
    return max(1, (width * dpi + 48) // 96)


def test_pen_cursor(session, dpi=96):
    if dpi != 96:
        session.set_dpi(dpi)
    window = MainWindow(session, session.install_program())
    client = [int(v) for v in session.driver("rect", window.hwnd).split("\t")[1].split()]

    def move_to(x, y):
        """Real mouse input to a point of the main window's client area."""
        session.driver("input-move", client[0] + x, client[1] + y)

    def showing(what, holds):
        cursor = wait_until(lambda: (lambda shown: holds(shown) and shown)(shown_cursor()), what)
        showing.count = getattr(showing, "count", 0) + 1
        cursor.save(session.folder / f"cursor_{showing.count}.png")
        return cursor

    def click(ident):
        """A real click on a tool button, wherever the DPI puts it."""
        for action in ("down", "up"):
            session.driver("mouse", window.tool_bar, action, scaled(BUTTON_X[ident], dpi),
                           scaled(20, dpi))

    def same_as(cursor):
        return lambda shown: shown.key() == cursor.key()

    over_drawing_area = (scaled(200, dpi), window.drawing_top + scaled(100, dpi))
    over_tool_bar = (scaled(BUTTON_X[COLOR_BUTTON], dpi), window.drawing_top // 2)
    session.foreground(window.hwnd)
    # Text mode: the arrow over the tool bar (its hot spot is its tip, at the top left),
    # the text area's own cursor over the text.
    move_to(*over_tool_bar)
    arrow = showing("the arrow over the tool bar",
                    lambda shown: shown.hot[0] < shown.width // 4 and
                    shown.hot[1] < shown.height // 4)
    move_to(*over_drawing_area)
    text_cursor = showing("the text area's cursor", lambda shown: shown.key() != arrow.key())

    # Handwriting mode and each change of the pen show at once, the pointer not moving.
    click(DRAWING_BUTTON)
    check(window.is_down(DRAWING_BUTTON), "handwriting mode did not start")
    showing("the black 5-pixel pen's cursor", lambda shown: shown.is_pen(BLACK, scaled(5, dpi)))
    window.command(COLOR_BUTTON)
    showing("the blue pen's cursor", lambda shown: shown.is_pen(BLUE, scaled(5, dpi)))
    window.command(LINE_BUTTON)
    wide = scaled(7, dpi)
    showing("the 7-pixel pen's cursor", lambda shown: shown.is_pen(BLUE, wide))
    click(ERASE_BUTTON)
    showing("the eraser's cursor", ShownCursor.is_eraser)
    click(ERASE_BUTTON)
    showing("the pen's cursor after the eraser", lambda shown: shown.is_pen(BLUE, wide))

    # The tool bar keeps the arrow in handwriting mode; text mode brings the text's cursor.
    move_to(*over_tool_bar)
    showing("the arrow over the tool bar in handwriting mode", same_as(arrow))
    move_to(*over_drawing_area)
    showing("the pen's cursor back over the drawing area", lambda shown: shown.is_pen(BLUE, wide))
    click(DRAWING_BUTTON)
    check(not window.is_down(DRAWING_BUTTON), "handwriting mode did not end")
    showing("the text area's cursor in text mode again", same_as(text_cursor))


CASES = {"pen_cursor": test_pen_cursor,
         "pen_cursor_144": lambda session: test_pen_cursor(session, 144)}

if __name__ == "__main__":
    test = CASES[sys.argv[1]]
    test.__name__ = sys.argv[1]
    run(test)
