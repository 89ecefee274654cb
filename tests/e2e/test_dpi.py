"""The real fudekko.exe at 96, 144 and 192 DPI (the Wine prefix's "LogPixels"): the
bars, the text, the glyphs, the strokes and both dialogs grow with the DPI; and the
window moved between DPIs, as Windows moves it between monitors. Each run keeps its
screenshots (and the fixed-DPI runs a measurements.json) in its folder."""

import json
import struct

from harness import (ROOT, WM_CLOSE, WM_COMMAND, MainWindow, check, client_rect, geometry, run,
                     sjis, windows_path)

EM_LINEINDEX, EM_POSFROMCHAR = 0x00BB, 0x00D6
MENU_SETTING, MENU_ABOUT = 304, 305
DRAWING_BUTTON = 205
BLACK = (0, 0, 0)


def scaled(length, dpi):
    """A 96-DPI length at `dpi`, halves rounded up, as the program scales it."""
    return (length * dpi + 48) // 96


def pen_width(width, dpi):
    return max(1, scaled(width, dpi))


def button_columns(tool_bar_left, index, dpi):
    """The columns of tool button `index` (0 send, 1 colour, 2 line, 3 eraser, 4 highlighter,
    5 drawing) in the main window's client area: send 70 wide, a separator of 8, the
    others 51."""
    left = tool_bar_left + scaled(70, dpi) + scaled(8, dpi) + (index - 1) * scaled(51, dpi)
    return range(left, left + scaled(51, dpi))


def pixels_of(picture, columns, rows, wanted):
    return [(x, y) for y in rows for x in columns if picture.pixel(x, y) == wanted]


def check_glyphs(picture, tool_bar, dpi):
    """The pen glyphs are drawn at the DPI: sharp black shapes of the scaled sizes on the
    button face, not a 96-DPI bitmap stretched (which would leave grey edges)."""
    rows = range(tool_bar[1], tool_bar[3])
    # The colour glyph of the default black pen: a solid swatch 64 - 2 x 15 by 45 - 2 x 10.
    swatch = pixels_of(picture, button_columns(tool_bar[0], 1, dpi), rows, BLACK)
    check(swatch, f"{dpi} DPI: no swatch on the colour button")
    xs, ys = [x for x, _ in swatch], [y for _, y in swatch]
    width, height = max(xs) - min(xs) + 1, max(ys) - min(ys) + 1
    wanted = (scaled(64, dpi) - 2 * scaled(15, dpi), scaled(45, dpi) - 2 * scaled(10, dpi))
    check((width, height) == wanted, f"{dpi} DPI: swatch {width} x {height}, not {wanted}")
    check(len(swatch) == width * height, f"{dpi} DPI: the swatch is not solid")

    # The line glyph: a bar as thick as a stroke of the default width 5, and nothing but
    # the bar and the face on the button.
    columns = button_columns(tool_bar[0], 2, dpi)
    bar = pixels_of(picture, columns, rows, BLACK)
    check(bar, f"{dpi} DPI: no bar on the line button")
    middle = (min(x for x, _ in bar) + max(x for x, _ in bar)) // 2
    thickness = len([1 for x, _ in bar if x == middle])
    check(abs(thickness - pen_width(5, dpi)) <= 1,
          f"{dpi} DPI: the bar is {thickness} pixels thick, not {pen_width(5, dpi)}")
    face = picture.pixel(columns[0], tool_bar[1])
    blurred = [(x, y) for y in rows for x in columns if picture.pixel(x, y) not in (face, BLACK)]
    check(not blurred, f"{dpi} DPI: {len(blurred)} blurred pixels on the line button")
    return {"swatch": [width, height], "bar_thickness": thickness}


def check_stroke(session, window, tool_bar, dpi):
    """A stroke drawn with the real mouse lands under the pointer, as wide as the pen."""
    drawing = button_columns(tool_bar[0], 5, dpi)
    x = (drawing[0] + drawing[-1]) // 2
    session.driver("mouse", window.tool_bar, "down", x - tool_bar[0], scaled(20, dpi))
    session.driver("mouse", window.tool_bar, "up", x - tool_bar[0], scaled(20, dpi))
    check(window.is_down(DRAWING_BUTTON), f"{dpi} DPI: handwriting mode did not start")
    session.driver("foreground", window.hwnd)
    left, top, _, _ = client_rect(session, window.hwnd)
    y = scaled(150, dpi)
    x1, x2 = scaled(60, dpi), scaled(300, dpi)
    screen_y = top + window.drawing_top + y
    session.driver("input-drag", left + x1, screen_y, left + x2, screen_y, 12)
    picture = session.screenshot(window.hwnd, f"stroke_{dpi}", client=True)
    column = scaled(180, dpi)
    inked = [row - window.drawing_top for row in range(picture.height)
             if picture.pixel(column, row) == BLACK]
    check(y in inked, f"{dpi} DPI: no ink under the pointer at row {y}: {inked}")
    check(abs(len(inked) - pen_width(5, dpi)) <= 1 and max(inked) - min(inked) < len(inked),
          f"{dpi} DPI: the stroke covers rows {inked}, not {pen_width(5, dpi)} around {y}")
    return len(inked)


def icon_picture(size):
    """The picture of `size` pixels in the program's icon file: rows of (r, g, b), None
    where the icon is transparent."""
    data = (ROOT / "res" / "fudekko.ico").read_bytes()
    for entry in range(struct.unpack_from("<H", data, 4)[0]):
        width, _, _, _, _, _, _, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * entry)
        if (width or 256) != size:
            continue
        palette = [(data[at + 2], data[at + 1], data[at])
                   for at in range(offset + 40, offset + 40 + 64, 4)]
        colours, stride = offset + 40 + 64, (size * 4 + 31) // 32 * 4
        masks, mask_stride = colours + size * stride, (size + 31) // 32 * 4
        rows = []
        for y in reversed(range(size)):  # stored bottom-up
            row = []
            for x in range(size):
                clear = data[masks + y * mask_stride + x // 8] >> (7 - x % 8) & 1
                index = data[colours + y * stride + x // 2] >> (4 * (1 - x % 2)) & 15
                row.append(None if clear else palette[index])
            rows.append(row)
        return rows
    return None


def check_icon(session, dialog, icon, dpi):
    """The version dialog shows the icon file's own picture of the scaled size, pixel for
    pixel: drawn at that size, not stretched from another."""
    left, top, size, _ = geometry(icon)
    wanted = icon_picture(size)
    check(wanted, f"{dpi} DPI: the icon file has no {size}-pixel picture")
    shown = session.screenshot(dialog, f"version_icon_{dpi}", client=True)
    wrong = [(x, y) for y in range(size) for x in range(size)
             if wanted[y][x] is not None and shown.pixel(left + x, top + y) != wanted[y][x]]
    check(not wrong, f"{dpi} DPI: {len(wrong)} pixels of the icon differ, first {wrong[:3]}")


def controls_inside(session, dialog, dpi):
    """Checks that every control of `dialog` lies inside its client area; returns the
    controls and the client area's size."""
    _, _, width, height = client_rect(session, dialog)
    rows = session.children(dialog)
    for row in rows:
        left, top, right, bottom = row["rect"]
        check(0 <= left and 0 <= top and right <= width and bottom <= height,
              f"{dpi} DPI: {row['class']} {row['rect']} reaches out of {width} x {height}")
    return rows, (width, height)


def open_dialog(session, main, command, window_class, dpi, name, while_open=None):
    """Opens a dialog from the menu; checks that every control lies inside its client
    area, and runs `while_open(dialog, controls)`; returns the controls and the client
    area's size, and closes it again."""
    session.driver("post", main, WM_COMMAND, command, 0)
    dialog = session.find_window("", window_class=window_class)
    check(dialog, f"{dpi} DPI: {window_class} did not appear")
    rows, (width, height) = controls_inside(session, dialog, dpi)
    picture = session.screenshot(dialog, f"{name}_{dpi}")
    if while_open:
        while_open(dialog, rows)
    session.driver("post", dialog, WM_CLOSE, 0, 0)
    check(session.find_window("", window_class=window_class, visible=False),
          f"{dpi} DPI: {window_class} did not close")
    return rows, (width, height), picture


def check_dialogs(session, main, dpi):
    found = {}
    rows, size, picture = open_dialog(session, main, MENU_SETTING, "TALMailSelect", dpi,
                                      "select_dialog")
    check(size[0] >= scaled(375, dpi) and size[1] == scaled(122, dpi),
          f"{dpi} DPI: the selection dialog's client area is {size}")
    label, edit = rows[0], rows[1]
    check(geometry(edit) == (scaled(24, dpi), scaled(32, dpi), scaled(313, dpi), scaled(24, dpi)),
          f"{dpi} DPI: the path box is at {geometry(edit)}")
    # The question in the scaled font: as high as 16 pixels scaled, give or take leading.
    check(geometry(label)[3] >= scaled(16, dpi), f"{dpi} DPI: the question is {geometry(label)}")
    found["select_dialog"] = {"client": list(size), "screenshot": [picture.width, picture.height],
                              "question": list(geometry(label)[2:])}

    rows, size, picture = open_dialog(
        session, main, MENU_ABOUT, "TVersionForm", dpi, "version_dialog",
        lambda dialog, rows: check_icon(session, dialog, rows[0], dpi))
    check(size[0] >= scaled(222, dpi) and size[1] >= scaled(83, dpi),
          f"{dpi} DPI: the version dialog's client area is {size}")
    icon, title = rows[0], rows[1]
    check(geometry(icon) == (scaled(16, dpi),) * 2 + (scaled(32, dpi),) * 2,
          f"{dpi} DPI: the icon is at {geometry(icon)}")
    check(geometry(title)[3] >= scaled(27, dpi), f"{dpi} DPI: the title is {geometry(title)}")
    found["version_dialog"] = {"client": list(size),
                               "screenshot": [picture.width, picture.height],
                               "title": list(geometry(title)[2:])}
    return found


def measure(session, dpi):
    program = session.install_program()
    draft = session.folder / "draft.txt"
    draft.write_bytes(sjis("Subject: s\r\n\r\n一行目 first line\r\n二行目 second line\r\n"))
    session.set_dpi(dpi)
    window = MainWindow(session, program, windows_path(draft))
    found = {}
    controls = {c["class"]: c for c in session.children(window.hwnd)}
    tool_bar = controls["ToolbarWindow32"]["rect"]
    found["tool_bar_height"] = tool_bar[3] - tool_bar[1]
    found["cool_bar_height"] = window.drawing_top
    second = int(session.driver("message", window.text_area, EM_LINEINDEX, 1, 0))
    first_y = int(session.driver("message", window.text_area, EM_POSFROMCHAR, 0, 0)) >> 16
    second_y = int(session.driver("message", window.text_area, EM_POSFROMCHAR, second, 0)) >> 16
    found["line_height"] = second_y - first_y
    whole = session.screenshot(window.hwnd, f"main_window_{dpi}")
    found["main_window_screenshot"] = [whole.width, whole.height]

    check(found["tool_bar_height"] == scaled(44, dpi),
          f"{dpi} DPI: the tool bar is {found['tool_bar_height']} high")
    check(window.drawing_top >= scaled(44, dpi), f"{dpi} DPI: the cool bar is too low")
    # 17 pixels apart at 96 DPI; the font's own rounding may add a pixel or lose one.
    check(abs(found["line_height"] - 17 * dpi / 96) <= 1.5,
          f"{dpi} DPI: the text's lines are {found['line_height']} pixels apart")

    client = session.screenshot(window.hwnd, f"text_mode_{dpi}", client=True)
    found.update(check_glyphs(client, tool_bar, dpi))
    found.update(check_dialogs(session, window.hwnd, dpi))
    found["stroke_thickness"] = check_stroke(session, window, tool_bar, dpi)
    (session.folder / "measurements.json").write_text(json.dumps(found, indent=1))
    print(json.dumps(found))
    window.close()


def outer_rect(session, hwnd):
    return tuple(int(v) for v in session.driver("rect", hwnd).split("\t")[0].split())


def layout_after_change(session, window, dpi, suggested):
    """Sends the window to a monitor of `dpi` with the `suggested` outer rectangle, and
    gives the window's outer rectangle, the tool bar's and the drawing area's top."""
    session.driver("dpichanged", window.hwnd, dpi, *suggested)
    controls = {c["class"]: c for c in session.children(window.hwnd)}
    window.drawing_top = controls["Edit"]["rect"][1]
    return outer_rect(session, window.hwnd), controls["ToolbarWindow32"]["rect"]


def inked_rows(picture, column, top):
    return [row - top for row in range(top, picture.height) if picture.pixel(column, row) == BLACK]


def test_dpi_changed(session):
    """The window moves to a monitor of another DPI (WM_DPICHANGED): it takes the suggested
    rectangle and lays out its bars, text and glyphs anew. In handwriting mode the ink
    stays as drawn, new strokes take the new DPI's width, and the window grows no larger
    than when handwriting began."""
    program = session.install_program()
    draft = session.folder / "draft.txt"
    draft.write_bytes(sjis("Subject: s\r\n\r\n一行目 first line\r\n二行目 second line\r\n"))
    session.set_dpi(96)
    window = MainWindow(session, program, windows_path(draft))
    check(window.drawing_top >= 44, f"at 96 DPI the text area starts at {window.drawing_top}")

    # The version dialog, opened at 96 DPI, lays itself out again at 192.
    def change_version_dialog(dialog, _):
        session.driver("dpichanged", dialog, 192, 100, 100, 100 + 300, 100 + 150)
        rows, size = controls_inside(session, dialog, 192)
        check(size[0] >= scaled(222, 192) and size[1] >= scaled(83, 192),
              f"after the change the version dialog's client area is {size}")
        check(geometry(rows[0]) == (32, 32, 64, 64), f"the icon is at {geometry(rows[0])}")
        check_icon(session, dialog, rows[0], 192)
        check(geometry(rows[1])[3] >= scaled(27, 192), f"the title is {geometry(rows[1])}")
    open_dialog(session, window.hwnd, MENU_ABOUT, "TVersionForm", 96, "version_dialog",
                change_version_dialog)

    # Text mode, to 192 DPI.
    suggested = (40, 30, 40 + 1200, 30 + 900)
    outer, tool_bar = layout_after_change(session, window, 192, suggested)
    check(outer == suggested, f"the window is at {outer}, not at the suggested {suggested}")
    check(tool_bar[3] - tool_bar[1] == scaled(44, 192), f"the tool bar is {tool_bar} at 192 DPI")
    second = int(session.driver("message", window.text_area, EM_LINEINDEX, 1, 0))
    line_height = (
        (int(session.driver("message", window.text_area, EM_POSFROMCHAR, second, 0)) >> 16)
        - (int(session.driver("message", window.text_area, EM_POSFROMCHAR, 0, 0)) >> 16))
    check(abs(line_height - 34) <= 1.5, f"the text's lines are {line_height} apart at 192 DPI")
    client = session.screenshot(window.hwnd, "changed_to_192", client=True)
    check_glyphs(client, tool_bar, 192)

    # Handwriting mode at 192 DPI, then to 96 DPI.
    first = check_stroke(session, window, tool_bar, 192)
    column = scaled(180, 192)
    before = inked_rows(session.screenshot(window.hwnd, "ink_at_192", client=True), column,
                        window.drawing_top)
    smaller = (60, 40, 60 + 800, 40 + 600)
    outer, tool_bar = layout_after_change(session, window, 96, smaller)
    check(outer == smaller, f"in handwriting mode the window is at {outer}, not at {smaller}")
    check(tool_bar[3] - tool_bar[1] == 44, f"the tool bar is {tool_bar} back at 96 DPI")
    left, top, _, _ = client_rect(session, window.hwnd)
    y = 60
    session.driver("input-drag", left + 100, top + window.drawing_top + y, left + 500,
                   top + window.drawing_top + y, 12)
    after = session.screenshot(window.hwnd, "ink_at_96", client=True)
    check(inked_rows(after, column, window.drawing_top) == [y - 2, y - 1, y, y + 1, y + 2] + before,
          f"at 96 DPI the ink at column {column} is {inked_rows(after, column, window.drawing_top)}"
          f"; before the change the stroke of width {first} covered {before}, the new one "
          f"should cover 5 rows around {y}")

    # The size limit of handwriting mode still holds: no larger than when it began.
    outer, _ = layout_after_change(session, window, 192, (0, 0, 1600, 1200))
    check(outer[2] - outer[0] <= 1200 and outer[3] - outer[1] <= 900,
          f"in handwriting mode the window grew to {outer}")
    window.close()


def at_dpi(dpi):
    def test(session):
        measure(session, dpi)
    test.__name__ = f"test_dpi_{dpi}"
    return test


if __name__ == "__main__":
    import sys

    run({"dpi_96": at_dpi(96), "dpi_144": at_dpi(144), "dpi_192": at_dpi(192),
         "dpi_changed": test_dpi_changed}[sys.argv[1]])
