"""Ways the program's life can go off the happy path, seen from outside: close
requests to any of its windows (as session managers, installers and taskkill
send them), a notification area that is not there yet at start-up, and the
largest skin the program accepts."""

import shutil

import pytest
from PIL import Image

from tarvelo_e2e import app, desktop, wine

WM_HOTKEY = 0x0312
HOTKEY_HIDE, HOTKEY_SHOW = 3, 4

CLOSE_TIMEOUT = 10
TRAY_TIMEOUT = 10
BIG_SKIN_TIMEOUT = 120  # fades of 64 MiB pictures on a loaded machine
LARGEST_SKIN_SIDE = 4096


def closed_by(targets):
    """Sends a close request to the program's windows of the given classes, or
    asks taskkill (without /F) to end it, which closes every top-level window."""
    if targets == "taskkill":
        wine.wine("taskkill", "/im", app.PROGRAM_IMAGE, check=False)
        return
    windows = app.tarvelo_windows()
    for cls in targets:
        wine.close_window(windows[cls][0])


@pytest.mark.parametrize("targets", [
    (app.MAIN_FORM_CLASS,),
    (app.APPLICATION_CLASS,),
    (app.TRAY_WINDOW_CLASS,),
    (app.MAIN_FORM_CLASS, app.APPLICATION_CLASS, app.TRAY_WINDOW_CLASS),
    "taskkill",
], ids=["main form", "application window", "tray window", "all at once", "taskkill"])
def test_a_close_request_ends_the_program_and_a_new_start_works(tarvelo, programs, targets):
    closed_by(targets)
    assert tarvelo.exit_code(timeout=CLOSE_TIMEOUT) == 0
    wine.wait_until(lambda: desktop.tray_x_window() is None, TRAY_TIMEOUT, "the tray icon to go")
    assert not any(app.tarvelo_windows().values()), "no window of the program is left"
    # The guard went with it: a new start runs.
    assert programs.start_tarvelo().running()


def test_a_notification_area_that_comes_late_still_gets_the_icon(programs):
    refusing = programs.start(wine.probe_path(), "refusing-tray", ("refusing-tray",))
    with wine.ProbeWindow(refusing):
        program = programs.start(app.tarvelo_exe())
        # Everything but the icon works meanwhile: the window, the hotkeys.
        main_form = wine.wait_until(app.started_main_form, wine.START_TIMEOUT, "the window to show")
        wine.wait_until(lambda: "refused" in refusing.output(), TRAY_TIMEOUT, "the icon to be asked for")
        assert desktop.tray_icon_slots() == 0
        wine.post(main_form, WM_HOTKEY, HOTKEY_HIDE)
        wine.wait_until(lambda: wine.window_info(main_form)["rect"][1] < 0, TRAY_TIMEOUT, "a hotkey to hide it")
        assert program.running()
        assert wine.msgbox_text("Application Error") is None
    # The notification area is there now: the icon follows within seconds,
    # and it is the program's, with its menu.
    wine.wait_until(lambda: desktop.tray_icon_slots() == 1, TRAY_TIMEOUT, "the icon to appear")
    desktop.open_tray_menu().dismiss()
    assert program.running()


@pytest.fixture
def windows_left_to_the_program():
    """Wine hands a window that covers the whole work area to the window
    manager as a full-screen one, and openbox then fits it to the screen: no
    Windows desktop does that to a program's popup. The largest skin covers
    the work area, so for its test Wine keeps the window manager away from
    the program's windows."""
    key = rf"HKCU\Software\Wine\AppDefaults\{app.PROGRAM_IMAGE}\X11 Driver"
    wine.reg_add(key, "Managed", "N")
    yield
    wine.reg_delete(rf"HKCU\Software\Wine\AppDefaults\{app.PROGRAM_IMAGE}")


@pytest.mark.usefixtures("windows_left_to_the_program")
def test_the_largest_skin_accepted_starts_fades_drags_and_exits(programs, work_dir):
    folder = work_dir / "largest skin"
    folder.mkdir()
    shutil.copy2(app.tarvelo_exe(), folder / app.PROGRAM_IMAGE)
    Image.new("RGBA", (LARGEST_SKIN_SIDE, LARGEST_SKIN_SIDE), (40, 60, 90, 255)).save(folder / "form.png")
    program = programs.start(folder / app.PROGRAM_IMAGE)
    main_form = wine.wait_until(app.started_main_form, BIG_SKIN_TIMEOUT, "the window to show")

    def rect():
        return wine.window_info(main_form)["rect"]

    left, top, right, bottom = rect()
    assert (right - left, bottom - top) == (LARGEST_SKIN_SIDE, LARGEST_SKIN_SIDE)
    wine.post(main_form, WM_HOTKEY, HOTKEY_HIDE)
    wine.wait_until(lambda: rect()[1] == -LARGEST_SKIN_SIDE, BIG_SKIN_TIMEOUT, "the fade-out to park the window")
    wine.post(main_form, WM_HOTKEY, HOTKEY_SHOW)
    wine.wait_until(lambda: rect()[1] == top, BIG_SKIN_TIMEOUT, "the fade-in to bring it back")
    wine.wait_until(app.started_main_form, BIG_SKIN_TIMEOUT, "the fade-in to end")

    # Anywhere on the screen is skin: the pictures lie beyond its top-left edge.
    desktop.drag([(300, 300), (320, 310), (340, 320)])
    wine.wait_until(lambda: rect()[:2] == (left + 40, top + 20), BIG_SKIN_TIMEOUT, "the drag to move it")

    assert wine.msgbox_text(app.PROGRAM_TITLE) is None, "no error box on the way"
    # The skin covers the whole screen, the tray included: a close request ends it.
    wine.close_window(main_form)
    assert program.exit_code(timeout=BIG_SKIN_TIMEOUT) == 0
