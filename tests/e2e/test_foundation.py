"""The program's frame, seen from outside: start-up with its tray icon, the
single-instance guard, "Exit" from the tray menu, a new start afterwards, and
"Explore..." on a drive entry."""

import time

import pytest

from tarvelo_e2e import app, desktop, wine

# Selectable items of the tray menu from the top, as the keyboard meets them
# (separators are skipped): "About...", "Tools", "Exit", then the drive entries.
MENU_EXIT = 2
MENU_FIRST_DRIVE = 3
DRIVE_EXPLORE = 0  # first item of a drive entry's submenu

SECOND_COPY_LIMIT = 5  # seconds for a second copy to give up, Wine's start included
EXIT_TIMEOUT = 15
FADE_OUT_SECONDS = 0.8
EXPLORE_LABEL = "TARVELO_E2E"


def exit_from_tray_menu(program):
    """Chooses "Exit" in the tray menu; returns the exit code and the seconds it took."""
    chosen = desktop.open_tray_menu().choose(MENU_EXIT)
    code = program.exit_code(timeout=EXIT_TIMEOUT)
    return code, time.monotonic() - chosen


def assert_one_running_copy():
    windows = app.tarvelo_windows()
    for cls, found in windows.items():
        assert len(found) == 1, f"{cls}: {len(found)} windows"
    assert desktop.tray_icon_slots() == 1, "one tray icon"
    return windows


def test_start_shows_the_tray_icon_and_no_taskbar_window(tarvelo):
    windows = assert_one_running_copy()
    main_form = wine.window_info(windows[app.MAIN_FORM_CLASS][0])
    application = wine.window_info(windows[app.APPLICATION_CLASS][0])
    tray_window = wine.window_info(windows[app.TRAY_WINDOW_CLASS][0])
    assert main_form["title"] == application["title"] == app.PROGRAM_TITLE
    assert main_form["pid"] == application["pid"] == tray_window["pid"]
    assert not application["visible"], "the application window stays hidden: no taskbar button"
    assert wine.msgbox_text(app.PROGRAM_TITLE) is None
    assert tarvelo.running()


def test_second_start_ends_at_once_and_leaves_the_first_alone(tarvelo, programs):
    before = assert_one_running_copy()

    started = time.monotonic()
    second = programs.start(app.tarvelo_exe(), "Tarvelo-second")
    code = second.exit_code(timeout=wine.START_TIMEOUT)
    seconds = time.monotonic() - started

    assert code == 0
    assert seconds < SECOND_COPY_LIMIT, f"the second copy took {seconds:.1f} s"
    assert app.tarvelo_windows() == before, "no window added, none replaced"
    assert desktop.tray_icon_slots() == 1, "no second tray icon"
    assert wine.msgbox_text(app.PROGRAM_TITLE) is None, "the second copy says nothing"
    assert tarvelo.running()


def test_exit_from_tray_menu_fades_out_and_ends_with_code_zero(tarvelo):
    code, seconds = exit_from_tray_menu(tarvelo)
    assert code == 0
    assert seconds >= FADE_OUT_SECONDS, f"ended {seconds:.2f} s after Exit: no fade-out"
    wine.wait_until(lambda: desktop.tray_x_window() is None, 10, "the tray icon to go")
    assert not wine.find_windows(cls=app.MAIN_FORM_CLASS)


def test_start_after_exit_runs_normally_and_guards_again(tarvelo, programs):
    code, _ = exit_from_tray_menu(tarvelo)
    assert code == 0

    program = programs.start_tarvelo()
    assert_one_running_copy()
    # The new copy holds the guard again: yet another start gives up.
    assert programs.start(app.tarvelo_exe(), "Tarvelo-third").exit_code(timeout=wine.START_TIMEOUT) == 0
    assert_one_running_copy()
    assert program.running()


def test_icon_comes_back_after_the_taskbar_restarts(tarvelo):
    tray_window = app.tarvelo_windows()[app.TRAY_WINDOW_CLASS][0]
    wine.probe("tray-forget", hex(tray_window), "1")
    wine.wait_until(lambda: desktop.tray_icon_slots() == 0, 10, "the shell to forget the icon")
    wine.broadcast_taskbar_created()
    wine.wait_until(lambda: desktop.tray_icon_slots() == 1, 10, "the icon to come back")
    # The icon that came back is the program's own: its menu still opens.
    desktop.open_tray_menu().dismiss()
    assert tarvelo.running()


@pytest.mark.cdrom("D", EXPLORE_LABEL)
def test_explore_opens_the_file_browser_on_the_drive(tarvelo):
    entry = MENU_FIRST_DRIVE + wine.cdrom_letters().index("D")
    desktop.open_tray_menu().choose(entry, DRIVE_EXPLORE)
    title = f"{EXPLORE_LABEL} (D:)"
    browser = wine.wait_window(cls=app.FILE_BROWSER_CLASS, title=title, timeout=wine.START_TIMEOUT)
    wine.close_window(browser)
    wine.wait_window_gone(cls=app.FILE_BROWSER_CLASS, title=title, timeout=10)
    assert tarvelo.running()
