"""Undo and redo of strokes in the real fudekko.exe: Ctrl+Z and Ctrl+Y step through the
strokes, an eraser stroke comes back undone, a new stroke ends what could be redone,
the Edit menu greys what it cannot do, and Send writes what the screen shows. The
stroke eraser takes one whole stroke of three, and Ctrl+Z brings it back."""

import sys

from harness import (DRAWING_BUTTON, ERASE_BUTTON, MENU_REDO, MENU_UNDO, VK_CONTROL, VK_SHIFT,
                     VK_Y, VK_Z, check, check_sent_picture, edit_menu, run, start_with_red_pen,
                     wait_until)

FIRST = [(20, 30), (120, 60), (220, 40)]
SECOND = [(30, 100), (140, 80), (240, 110)]
ERASER = [(60, 20), (80, 70)]
THIRD = [(40, 140), (150, 150), (260, 135)]
MENU_STROKE_ERASER = 310


def test_stroke_history(session):
    mail, window = start_with_red_pen(session)
    window.click_tool(DRAWING_BUTTON)
    check(window.is_down(DRAWING_BUTTON), "handwriting mode did not start")
    shots = iter(range(1, 100))

    def drawing_area(picture):
        top = window.drawing_top
        return [picture.rows[y] for y in range(top, picture.height)]

    def screen():
        return drawing_area(session.screenshot(window.hwnd, f"step_{next(shots)}", client=True))

    def keys(*codes, shows, what):
        """Presses the keys and waits until the drawing area shows `shows`."""
        session.foreground(window.hwnd)
        session.driver("key", *codes)
        wait_until(lambda: screen() == shows or None, what)

    def menu():
        states = edit_menu(session, window)
        return states[MENU_UNDO], states[MENU_REDO]

    blank = screen()
    check(menu() == ("grayed", "grayed"), "Undo or Redo offered before any stroke")
    window.stroke(FIRST)
    one = screen()
    check(one != blank, "the first stroke did not show")
    window.stroke(SECOND)
    two = screen()
    check(menu() == ("enabled", "grayed"), f"after two strokes the menu is {menu()}")

    keys(VK_CONTROL, VK_Z, shows=one, what="Ctrl+Z to take the second stroke back")
    keys(VK_CONTROL, VK_Z, shows=blank, what="Ctrl+Z to take the first stroke back")
    check(menu() == ("grayed", "enabled"), f"with everything undone the menu is {menu()}")
    keys(VK_CONTROL, VK_Y, shows=one, what="Ctrl+Y to bring the first stroke back")
    keys(VK_CONTROL, VK_SHIFT, VK_Z, shows=two, what="Ctrl+Shift+Z to bring the second back")

    # An eraser stroke across the first stroke; undone, the ink comes back.
    window.click_tool(ERASE_BUTTON)
    window.stroke(ERASER)
    erased = screen()
    check(erased != two, "the eraser took nothing away")
    keys(VK_CONTROL, VK_Z, shows=two, what="Ctrl+Z to bring the erased ink back")
    window.click_tool(ERASE_BUTTON)

    # A new stroke after an undo: the eraser stroke can no longer be redone.
    window.stroke(THIRD)
    three = screen()
    check(menu() == ("enabled", "grayed"), f"after a new stroke the menu is {menu()}")
    session.foreground(window.hwnd)
    session.driver("key", VK_CONTROL, VK_Y)
    # Ctrl+Y has nothing to bring: an undo after it must land on the two strokes.
    keys(VK_CONTROL, VK_Z, shows=two, what="Ctrl+Z after a Ctrl+Y with nothing to redo")
    keys(VK_CONTROL, VK_Y, shows=three, what="Ctrl+Y to bring the third stroke back")

    # Leaving and entering handwriting mode keeps the history.
    window.click_tool(DRAWING_BUTTON)
    window.click_tool(DRAWING_BUTTON)
    check(window.is_down(DRAWING_BUTTON), "handwriting mode did not start again")
    keys(VK_CONTROL, VK_Z, shows=two, what="Ctrl+Z after the mode changes")

    shown = session.screenshot(window.hwnd, "sent", client=True)
    check(drawing_area(shown) == two, "the screen changed before Send")
    check_sent_picture(mail, window, shown, ".png")


def test_stroke_eraser(session):
    mail, window = start_with_red_pen(session, MENU_STROKE_ERASER)
    check("EraserKind=1" in window.settings(), f"the eraser kind was not stored: {window.settings()!r}")
    window.click_tool(DRAWING_BUTTON)
    top = window.drawing_top

    def screen(name):
        shot = session.screenshot(window.hwnd, name, client=True)
        return [shot.rows[y] for y in range(top, shot.height)]

    blank = screen("blank")
    for y in (30, 80, 130):
        window.stroke([(20, y), (140, y + 4), (260, y)])
    three = screen("three")
    # One quick move straight down across the middle stroke only: the eraser reaches ten
    # pixels, the strokes above and below lie 46 pixels away from its ends.
    window.click_tool(ERASE_BUTTON)
    window.stroke([(150, 62), (150, 100)])
    erased = screen("erased")
    middle = range(55, 110)
    wrong = [y for y in range(len(three))
             if erased[y] != (blank[y] if y in middle else three[y])]
    check(not wrong, f"rows {wrong[:5]}... are not what the two other strokes give")

    session.foreground(window.hwnd)
    session.driver("key", VK_CONTROL, VK_Z)
    wait_until(lambda: screen("undone") == three or None, "Ctrl+Z to bring the stroke back")
    session.driver("key", VK_CONTROL, VK_Y)
    wait_until(lambda: screen("redone") == erased or None, "Ctrl+Y to take it again")
    check_sent_picture(mail, window, session.screenshot(window.hwnd, "sent", client=True), ".png")


if __name__ == "__main__":
    run({"stroke_history": test_stroke_history,
         "stroke_eraser": test_stroke_eraser}[sys.argv[1]])
