"""Smooth ink in the real fudekko.exe: anti-aliased strokes that blend with the text
snapshot, the picture Send writes equal to the screen, "SmoothInk=0"'s classic look, and
the brush pen's tapered ends."""

import math
import sys

from harness import (BODY, COLOR_BUTTON, DRAWING_BUTTON, HIGHLIGHTER_BUTTON, Mail, MainWindow,
                     check, check_sent_picture, run, start_with_red_pen, wait_until)

RED = (255, 0, 0)
MENU_BRUSH_PEN = 311
# Drawing-area points: a stroke along the first line of text, a diagonal, and a sharp
# turn at (260, 110).
ACROSS_TEXT = [(8, 8), (90, 9), (180, 7), (300, 8)]
DIAGONAL = [(20, 30), (70, 60), (110, 85), (150, 110), (190, 135)]
TURN = [(210, 50), (260, 110), (310, 50)]


def blend_coverage(shown, under, ink=RED):
    """The coverage c (0 to 255) for which `shown` is `ink` laid over `under` with c,
    channel by channel as (ink * c + under * (255 - c)) / 255 rounded; None if none."""
    channel = max(range(3), key=lambda i: abs(ink[i] - under[i]))
    if ink[channel] == under[channel]:
        return 0 if shown == under else None
    guess = round((shown[channel] - under[channel]) * 255 / (ink[channel] - under[channel]))
    for c in range(max(0, guess - 2), min(255, guess + 2) + 1):
        if all(shown[i] == (ink[i] * c + under[i] * (255 - c) + 127) // 255 for i in range(3)):
            return c
    return None


def draw_strokes(session, mail, process):
    """Red strokes in handwriting mode; returns the window, the snapshot before the
    strokes and the screen after them."""
    window = MainWindow(session, mail.program, process=process)
    window.command(COLOR_BUTTON)
    window.command(COLOR_BUTTON)  # red
    window.click_tool(DRAWING_BUTTON)
    check(window.is_down(DRAWING_BUTTON), "handwriting mode did not start")
    snapshot = session.screenshot(window.hwnd, "snapshot", client=True)
    window.stroke(ACROSS_TEXT)
    window.stroke(DIAGONAL)
    window.stroke(TURN)
    shown = session.screenshot(window.hwnd, "strokes", client=True)
    return window, snapshot, shown


def changed_pixels(window, snapshot, shown):
    top = window.drawing_top
    return [(x, y, snapshot.pixel(x, y + top), shown.pixel(x, y + top))
            for y in range(0, 170) for x in range(0, 320)
            if snapshot.pixel(x, y + top) != shown.pixel(x, y + top)]


def test_smooth(session, extension):
    mail = Mail(session, ["To: a@example.com", "Subject: Re: Hello"], list(BODY))
    process = mail.start_as_editor("/" + extension[1:].upper())
    window, snapshot, shown = draw_strokes(session, mail, process)

    changed = changed_pixels(window, snapshot, shown)
    check(len(changed) > 1500, f"the strokes changed only {len(changed)} pixels")
    over_paper = over_text = 0
    for x, y, under, now in changed:
        c = blend_coverage(now, under)
        check(c is not None, f"{now} at {x}, {y} is not red laid over {under}")
        if 0 < c < 255:
            if under == (255, 255, 255):
                over_paper += 1
            elif sum(under) < 200:
                over_text += 1
    check(over_paper > 200, f"only {over_paper} soft edge pixels over the paper")
    check(over_text > 5, f"only {over_text} soft edge pixels over the text")
    for x, y in [(50, 8), (250, 8), (45, 45), (130, 97), (190, 135), (235, 80), (285, 80)]:
        check(window.pixel(x, y) == 0x0000FF, f"no full ink at {x}, {y}")
    # The curve rounds the turn off inside the mouse positions' corner.
    check(window.pixel(260, 108) == 0xFFFFFF, "the stroke has a corner at (260, 110)")

    check_sent_picture(mail, window, shown, extension)


def test_classic(session):
    """"SmoothInk=0": hard-edged straight segments; the settings keep the line."""
    mail = Mail(session, ["To: a@example.com", "Subject: Re: Hello"], list(BODY))
    settings = mail.program.parent / "Fudek.ini"
    settings.write_bytes(settings.read_bytes() + b"SmoothInk=0\r\n")
    process = mail.start_as_editor("/PNG")
    window, snapshot, shown = draw_strokes(session, mail, process)
    changed = changed_pixels(window, snapshot, shown)
    check(len(changed) > 1500, f"the strokes changed only {len(changed)} pixels")
    soft = [(x, y, now) for x, y, _, now in changed if now != RED]
    check(not soft, f"{len(soft)} pixels are not pure ink, first {soft[:3]}")
    check(window.pixel(260, 110) == 0x0000FF, "the segments do not meet at the mouse position")
    check(b"SmoothInk=0\r\n" in settings.read_bytes(), "the SmoothInk line was lost")
    check_sent_picture(mail, window, shown, ".png")


def test_real_input(session):
    """A drag by real mouse input (the path on which the system merges moves)."""
    mail = Mail(session, ["To: a@example.com", "Subject: Re: Hello"], list(BODY))
    process = mail.start_as_editor("/PNG")
    window = MainWindow(session, mail.program, process=process)
    window.click_tool(DRAWING_BUTTON)
    check(window.is_down(DRAWING_BUTTON), "handwriting mode did not start")
    snapshot = session.screenshot(window.hwnd, "snapshot", client=True)
    client = [int(v) for v in session.driver("rect", window.hwnd).split("\t")[1].split()]
    left, top = client[0], client[1] + window.drawing_top
    session.driver("foreground", window.hwnd, check_exit=False)
    session.driver("input-drag", left + 40, top + 60, left + 300, top + 140, 6)
    shown = session.screenshot(window.hwnd, "drag", client=True)
    # Black ink all along the drag, every changed pixel black laid over what was there.
    for x in range(45, 296, 10):
        y = 60 + (x - 40) * 80 // 260
        check(window.pixel(x, y) == 0x000000, f"no ink at {x}, {y}")
    for x, y, under, now in changed_pixels(window, snapshot, shown):
        check(blend_coverage(now, under, (0, 0, 0)) is not None,
              f"{now} at {x}, {y} is not black laid over {under}")
    check_sent_picture(mail, window, shown, ".png")


def test_brush(session):
    """ｵﾌﾟｼｮﾝ ▸ 筆ペン: a long stroke below the text starts and ends thinner than its
    middle, in the picture Send writes."""
    mail, window = start_with_red_pen(session, MENU_BRUSH_PEN)
    check("BrushPen=1" in window.settings(), f"the brush pen was not stored: {window.settings()!r}")
    window.click_tool(DRAWING_BUTTON)
    window.stroke([(20 + 14 * i, 150) for i in range(21)])
    sent = check_sent_picture(mail, window, session.screenshot(window.hwnd, "brush", client=True),
                              ".png")

    def inked_rows(x):
        return sum(1 for y in range(130, 170) if sent.pixel(x, y)[1] < 200)

    start, middle, end = inked_rows(22), inked_rows(160), inked_rows(298)
    check(middle >= 5, f"the middle of the stroke is only {middle} pixels wide")
    check(start < middle and end < middle,
          f"the ends are not tapered: {start}, {middle}, {end} pixels wide")


def test_highlighter(session):
    """蛍光ペン across the first line of text: every pixel it changed is what was there
    multiplied by yellow, the text stays dark and the paper in the band's middle turns
    yellow, on the screen and in the picture Send writes."""
    mail = Mail(session, ["To: a@example.com", "Subject: Re: Hello"], list(BODY))
    process = mail.start_as_editor("/PNG")
    window = MainWindow(session, mail.program, process=process)
    window.click_tool(DRAWING_BUTTON)
    snapshot = session.screenshot(window.hwnd, "snapshot", client=True)
    window.click_tool(HIGHLIGHTER_BUTTON)
    check(window.is_down(HIGHLIGHTER_BUTTON), "the highlighter button is not down")
    window.stroke(ACROSS_TEXT)
    shown = session.screenshot(window.hwnd, "highlighted", client=True)
    changed = changed_pixels(window, snapshot, shown)
    check(len(changed) > 2000, f"the highlighter changed only {len(changed)} pixels")
    yellow_paper = 0
    for x, y, under, now in changed:
        # Yellow keeps red and green and takes blue away by its coverage.
        check(now[0] == under[0] and now[1] == under[1] and now[2] < under[2],
              f"{now} at {x}, {y} is not {under} multiplied by yellow")
        yellow_paper += under == (255, 255, 255) and now == (255, 255, 0)
    top = window.drawing_top
    band = [(x, y + top) for y in range(4, 13) for x in range(12, 290)]
    dark_text = sum(1 for x, y in band
                    if sum(snapshot.pixel(x, y)) < 200 and sum(shown.pixel(x, y)) < 200)
    check(dark_text > 50, f"only {dark_text} pixels of the text stayed dark under the band")
    check(yellow_paper > 500, f"only {yellow_paper} pixels of the paper turned yellow")
    check_sent_picture(mail, window, shown, ".png")


def test_snap(session):
    """A rough circle with a bump, held still at its end, becomes a clean ellipse while
    the button is still down: the bump is gone on the screen and in the sent picture."""
    mail, window = start_with_red_pen(session)
    window.click_tool(DRAWING_BUTTON)
    centre_x, centre_y, radius = 160, 110, 40
    points = []
    for step in range(37):
        angle = step * 2 * math.pi / 36
        reach = radius + (12 if step == 5 else 0)
        points.append((round(centre_x + reach * math.cos(angle)),
                       round(centre_y + reach * math.sin(angle))))
    top = window.drawing_top
    window.session.driver("mouse", window.hwnd, "down", points[0][0], points[0][1] + top)
    for x, y in points[1:]:
        window.session.driver("mouse", window.hwnd, "move", x, y + top)
    def inked(step, reaches):
        angle = step * 2 * math.pi / 36
        return any(window.pixel(round(centre_x + reach * math.cos(angle)),
                                round(centre_y + reach * math.sin(angle))) != 0xFFFFFF
                   for reach in reaches)

    bump = range(radius + 7, radius + 12)
    check(inked(5, bump), "the freehand stroke does not reach out to its bump")
    # Held still: no more messages until the stroke has snapped.
    wait_until(lambda: not inked(5, bump) or None, "the held stroke to snap")
    x, y = points[-1]
    window.session.driver("mouse", window.hwnd, "up", x, y + top)
    for step in range(0, 36, 3):
        check(inked(step, range(radius - 2, radius + 3)),
              f"no ink on the circle at {step * 10} degrees")
    check_sent_picture(mail, window, session.screenshot(window.hwnd, "snapped", client=True),
                       ".png")


def test_straight(session):
    """Shift held while drawing: a zig-zag comes out as the straight line from its start
    to its end, in the sent picture."""
    mail, window = start_with_red_pen(session)
    window.click_tool(DRAWING_BUTTON)
    top = window.drawing_top
    zigzag = [(20, 130), (80, 40), (140, 160), (200, 60), (260, 150), (300, 140)]
    window.session.driver("mouse", window.hwnd, "down", 20, 130 + top)
    for x, y in zigzag[1:]:
        window.session.driver("mouse", window.hwnd, "move", x, y + top, "left+shift")
    window.session.driver("mouse", window.hwnd, "up", 300, 140 + top, "left+shift")
    for x in range(30, 300, 10):
        y = 130 + (x - 20) * 10 // 280
        check(any(window.pixel(x, y + d) == 0x0000FF for d in (-1, 0, 1)),
              f"no ink on the straight line at {x}")
    for x, y in zigzag[1:4]:
        check(window.pixel(x, y) == 0xFFFFFF, f"ink left at the zig-zag's corner {x}, {y}")
    check_sent_picture(mail, window, session.screenshot(window.hwnd, "straight", client=True),
                       ".png")


CASES = {
    "ink_smooth_bmp": lambda s: test_smooth(s, ".bmp"),
    "ink_smooth_png": lambda s: test_smooth(s, ".png"),
    "ink_smooth_gif": lambda s: test_smooth(s, ".gif"),
    "ink_classic": test_classic,
    "ink_real_input": test_real_input,
    "ink_brush": test_brush,
    "ink_highlighter": test_highlighter,
    "ink_snap": test_snap,
    "ink_straight": test_straight,
}

if __name__ == "__main__":
    test = CASES[sys.argv[1]]
    test.__name__ = sys.argv[1]
    run(test)
