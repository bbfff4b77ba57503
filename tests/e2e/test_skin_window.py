"""The skinned window of the real program, seen from outside: where it lands,
what the screen shows once it has faded in, hiding and showing, dragging,
the fade on "Exit", and a missing skin picture.

What the screen must show is worked out from form.png itself (see
tarvelo_e2e/skin.py), not taken from the program.
"""
import shutil
import time

import pytest

from tarvelo_e2e import app, desktop, wine
from tarvelo_e2e.skin import ROOT_GREY, on_screen

WORK_AREA = (1920, 1040)  # scripts/lib/testenv.sh leaves a 40-pixel band at the bottom
PARKED_DISTANCE = 300
DESIGN_SIZE = (251, 215)
FADE_SECONDS = 0.8
SETTLE = 10  # seconds for a fade and the compositor to catch up


@pytest.fixture(scope="module")
def skin():
    """The standard skin, form.png of the build."""
    return app.standard_skin()


# ---- the program's two windows ----------------------------------------------

def windows():
    """The main window and PNGForm of the one program running."""
    main = wine.wait_window(cls=app.MAIN_FORM_CLASS)
    png = wine.wait_window(cls=app.PNG_FORM_CLASS)
    return main, png


def rect(hwnd):
    return wine.window_info(hwnd)["rect"]


def corner_rect(width, height):
    return (WORK_AREA[0] - width, WORK_AREA[1] - height, WORK_AREA[0], WORK_AREA[1])


def screen_matches(origin, expected, size=None):
    """Whether the screen shows each expected colour at origin + point."""
    if size:
        desktop.repaint((*origin, *size))
    shot = desktop.Screenshot.take()
    return all(shot.screen_pixel(origin[0] + x, origin[1] + y) == colour for (x, y), colour in expected.items())


def wait_screen(origin, expected, what, size=None):
    try:
        wine.wait_until(lambda: screen_matches(origin, expected, size), SETTLE, what)
    except wine.Timeout:
        shot = desktop.Screenshot.take()
        seen = {p: shot.screen_pixel(origin[0] + p[0], origin[1] + p[1]) for p in expected}
        pytest.fail(f"{what}: expected {expected}, screen shows {seen}")


def skin_shown_at(skin, origin):
    expected = {p: on_screen(skin.rgba(*p)) for p in skin.samples()}
    assert any(0 < skin.rgba(*p)[3] < 255 for p in expected), "form.png has no soft edge to check"
    wait_screen(origin, expected, f"the skin blended over the background at {origin}")


def nothing_shown_at(skin, origin):
    wait_screen(origin, {p: (ROOT_GREY,) * 3 for p in skin.samples()}, f"only the background at {origin}",
                size=(skin.width, skin.height))


def hide_with_hotkey(programs):
    with programs.focus_window() as focus:
        desktop.focus_x_window(wine.x_window_of(focus.hwnd))
        desktop.keys("ctrl+End")


# ---- the tests ---------------------------------------------------------------

def test_fades_in_at_the_corner_of_the_work_area_with_the_skin_blended(skin, tarvelo):
    main, png = windows()
    expected = corner_rect(skin.width, skin.height)
    assert rect(main) == expected, rect(main)
    assert rect(png) == expected, rect(png)
    skin_shown_at(skin, expected[:2])


def test_hotkey_hides_and_tray_double_click_shows_again(skin, tarvelo, programs):
    main, png = windows()
    shown = corner_rect(skin.width, skin.height)

    hide_with_hotkey(programs)
    parked_top = -max(PARKED_DISTANCE, skin.height)
    wine.wait_until(lambda: rect(main)[1] == parked_top, SETTLE, "the main window parked above the screen")
    assert rect(main) == (shown[0], parked_top, shown[2], parked_top + skin.height), rect(main)
    assert wine.window_info(main)["visible"], "moved away, not hidden"
    assert rect(png) == shown
    nothing_shown_at(skin, shown[:2])

    desktop.double_click_tray_icon()
    wine.wait_until(lambda: rect(main) == shown, SETTLE, "the main window back in the corner")
    skin_shown_at(skin, shown[:2])
    assert tarvelo.running()


def test_drag_moves_both_windows_by_the_mouse_displacement(skin, tarvelo):
    main, png = windows()
    start = corner_rect(skin.width, skin.height)
    grip = skin.opaque_point()
    x, y = start[0] + grip[0], start[1] + grip[1]
    dx, dy, steps = -300, -200, 10

    desktop.drag([(x + dx * step // steps, y + dy * step // steps) for step in range(steps + 1)])

    moved = (start[0] + dx, start[1] + dy, start[2] + dx, start[3] + dy)
    try:
        wine.wait_until(lambda: rect(png) == moved and rect(main) == moved and wine.window_info(main)["visible"],
                        SETTLE, f"both windows at {moved}")
    except wine.Timeout:
        pytest.fail(f"expected both windows at {moved}: PNGForm {rect(png)}, "
                    f"main window {wine.window_info(main)}")
    skin_shown_at(skin, moved[:2])
    if abs(dx) >= skin.width:  # the old place is clear of the new one
        nothing_shown_at(skin, start[:2])
    assert tarvelo.running()


def test_exit_fades_the_shown_window_out_before_the_program_ends(skin, tarvelo):
    main, _ = windows()
    parked_top = -max(PARKED_DISTANCE, skin.height)

    # From just before the Return that chooses it: the fade takes its 0.8 s
    # from there, to the millisecond.
    chosen = desktop.open_tray_menu().choose(2)  # About..., Tools, Exit
    seen_parked = False
    while tarvelo.running() and time.monotonic() - chosen < wine.START_TIMEOUT:
        info = wine.probe("window-info", hex(main), check=False)[1]
        seen_parked = seen_parked or f"rect={WORK_AREA[0] - skin.width},{parked_top}," in info
    assert tarvelo.exit_code(timeout=wine.START_TIMEOUT) == 0
    assert seen_parked, "the main window never moved away for the fade-out"
    assert time.monotonic() - chosen >= FADE_SECONDS


def test_missing_skin_is_reported_and_the_program_runs_on_at_the_designed_size(programs, work_dir):
    folder = work_dir / "no-skin"
    folder.mkdir()
    shutil.copy(app.tarvelo_exe(), folder)
    program = programs.start(folder / app.PROGRAM_IMAGE)

    text = wine.wait_until(lambda: wine.msgbox_text(app.PROGRAM_TITLE), wine.START_TIMEOUT,
                           "the skin's message box")
    assert text == "Image form.png introuvable.", text
    wine.msgbox_close(app.PROGRAM_TITLE)
    app.wait_started(program, picture=None)
    main, png = windows()
    expected = corner_rect(*DESIGN_SIZE)
    assert rect(main) == expected, rect(main)
    assert rect(png) == expected, rect(png)
    assert program.running()


# The middle of the Open picture, in the main window's client area: what the
# main window paints there is not the skin's colour.
OPEN_PICTURE_POINT = (128, 118)
WM_HOTKEY = 0x0312
HOTKEY_HIDE, HOTKEY_SHOW = 3, 4


def picture_points(main):
    """Points of the pictures (logo, Open, Close, cross) and their colours on
    screen now, relative to the main window."""
    left, top, _, _ = rect(main)
    shot = desktop.Screenshot.take()
    points = [(100, 50), OPEN_PICTURE_POINT, (128, 174), (224, 30)]
    return {p: shot.screen_pixel(left + p[0], top + p[1]) for p in points}


def test_after_every_drag_the_pictures_lie_above_the_skin(skin, tarvelo):
    main, png = windows()
    pictures = picture_points(main)
    assert all(colour != on_screen(skin.rgba(*p)) for p, colour in pictures.items()), "pictures, not skin"
    grip = skin.opaque_point()
    for drag in range(50):
        dx, dy = (-60, -40) if drag % 2 == 0 else (60, 40)
        left, top, right, bottom = rect(main)
        x, y = left + grip[0], top + grip[1]
        desktop.drag([(x, y), (x + dx // 2, y + dy // 2), (x + dx, y + dy)])
        moved = (left + dx, top + dy, right + dx, bottom + dy)
        wine.wait_until(lambda: rect(main) == moved and wine.window_info(main)["visible"], SETTLE,
                        f"drag {drag} to end at {moved}")
        order = [w.hwnd for w in wine.top_level_windows()]
        assert order.index(png) == order.index(main) + 1, f"drag {drag}: the skin window is not right beneath"
        wait_screen(moved[:2], pictures, f"drag {drag}: the pictures on screen")
    assert tarvelo.running()


def test_the_buttons_stay_on_screen_when_a_fade_in_hands_over(skin, programs):
    # Sampled every few hundredths of a millisecond from the moment a show is
    # asked for: once the Open picture's colour is on screen, nothing else may
    # show there, not even for a millisecond, at start-up or at any show.
    with desktop.PixelWatch() as watch:
        def blinks_during(begin):
            left, top, _, _ = shown
            x, y = left + OPEN_PICTURE_POINT[0], top + OPEN_PICTURE_POINT[1]
            begin()
            deadline = time.monotonic() + SETTLE
            shown_since = None
            others = []
            while time.monotonic() < deadline:
                colour = watch.pixel(x, y)
                if colour == picture and shown_since is None:
                    shown_since = time.monotonic()
                elif colour != picture and shown_since is not None:
                    others.append(colour)
                if shown_since is not None and time.monotonic() - shown_since > 0.5:
                    return others
            pytest.fail(f"the Open picture never showed at ({x}, {y}): {watch.pixel(x, y)} is not {picture}")

        shown = corner_rect(skin.width, skin.height)
        program = programs.start(app.tarvelo_exe())
        app.wait_started(program)
        main, _ = windows()
        picture = picture_points(main)[OPEN_PICTURE_POINT]
        assert picture != on_screen(skin.rgba(*OPEN_PICTURE_POINT))
        programs.stop_everything()

        started = []
        blinks = {"start": blinks_during(lambda: started.append(programs.start(app.tarvelo_exe())))}
        app.wait_started(started[0])
        main, _ = windows()
        for show in range(20):
            wine.post(main, WM_HOTKEY, HOTKEY_HIDE)
            wine.wait_until(lambda: rect(main)[1] < 0, SETTLE, "the window to hide")
            wine.wait_until(lambda: watch.pixel(shown[0] + OPEN_PICTURE_POINT[0],
                                                shown[1] + OPEN_PICTURE_POINT[1]) != picture,
                            SETTLE, "the picture to go")
            blinks[f"show {show}"] = blinks_during(lambda: wine.post(main, WM_HOTKEY, HOTKEY_SHOW))
    assert not any(blinks.values()), {when: f"{len(colours)} samples of {sorted(set(colours))}"
                                      for when, colours in blinks.items() if colours}
