"""The program's frame, seen from outside: start-up with its tray icon, the
single-instance guard, "Exit" from the tray menu, a new start afterwards, and
"Explore..." on a drive entry."""

import time

import harness as h

# Selectable items of the tray menu from the top, as the keyboard meets them
# (separators are skipped): "About...", "Tools", "Exit", then the drive entries.
MENU_EXIT = 2
MENU_FIRST_DRIVE = 3
DRIVE_EXPLORE = 0  # first item of a drive entry's submenu

SECOND_COPY_LIMIT = 5  # seconds for a second copy to give up, Wine's start included
EXIT_TIMEOUT = 15
FADE_OUT_SECONDS = 0.8


def exit_from_tray_menu(program):
    """Chooses "Exit" in the tray menu; returns the exit code and the seconds it took."""
    chosen = h.open_tray_menu().choose(MENU_EXIT)
    code = program.exit_code(timeout=EXIT_TIMEOUT)
    return code, time.monotonic() - chosen


def assert_one_running_copy():
    windows = h.tarvelo_windows()
    for cls, found in windows.items():
        assert len(found) == 1, f"{cls}: {len(found)} windows"
    assert h.tray_icon_slots() == 1, "one tray icon"
    return windows


def test_start_shows_the_tray_icon_and_no_taskbar_window():
    program = h.start_tarvelo()
    windows = assert_one_running_copy()
    main_form = h.window_info(windows[h.MAIN_FORM_CLASS][0])
    application = h.window_info(windows[h.APPLICATION_CLASS][0])
    tray_window = h.window_info(windows[h.TRAY_WINDOW_CLASS][0])
    assert main_form["title"] == application["title"] == h.PROGRAM_TITLE
    assert main_form["pid"] == application["pid"] == tray_window["pid"]
    assert not application["visible"], "the application window stays hidden: no taskbar button"
    assert h.msgbox_text(h.PROGRAM_TITLE) is None
    assert program.running()


def test_second_start_ends_at_once_and_leaves_the_first_alone():
    first = h.start_tarvelo()
    before = assert_one_running_copy()

    started = time.monotonic()
    second = h.Program(h.tarvelo_exe(), "Tarvelo-second")
    code = second.exit_code(timeout=h.START_TIMEOUT)
    seconds = time.monotonic() - started

    assert code == 0
    assert seconds < SECOND_COPY_LIMIT, f"the second copy took {seconds:.1f} s"
    assert h.tarvelo_windows() == before, "no window added, none replaced"
    assert h.tray_icon_slots() == 1, "no second tray icon"
    assert h.msgbox_text(h.PROGRAM_TITLE) is None, "the second copy says nothing"
    assert first.running()


def test_exit_from_tray_menu_fades_out_and_ends_with_code_zero():
    program = h.start_tarvelo()
    code, seconds = exit_from_tray_menu(program)
    assert code == 0
    assert seconds >= FADE_OUT_SECONDS, f"ended {seconds:.2f} s after Exit: no fade-out"
    h.wait_until(lambda: h.tray_x_window() is None, 10, "the tray icon to go")
    assert not h.find_windows(cls=h.MAIN_FORM_CLASS)


def test_start_after_exit_runs_normally_and_guards_again():
    code, _ = exit_from_tray_menu(h.start_tarvelo())
    assert code == 0

    program = h.start_tarvelo()
    assert_one_running_copy()
    # The new copy holds the guard again: yet another start gives up.
    assert h.Program(h.tarvelo_exe(), "Tarvelo-third").exit_code(timeout=h.START_TIMEOUT) == 0
    assert_one_running_copy()
    assert program.running()


def test_icon_comes_back_after_the_taskbar_restarts():
    program = h.start_tarvelo()
    tray_window = h.tarvelo_windows()[h.TRAY_WINDOW_CLASS][0]
    h.probe("tray-forget", hex(tray_window), "1")
    h.wait_until(lambda: h.tray_icon_slots() == 0, 10, "the shell to forget the icon")
    h.broadcast_taskbar_created()
    h.wait_until(lambda: h.tray_icon_slots() == 1, 10, "the icon to come back")
    # The icon that came back is the program's own: its menu still opens.
    h.open_tray_menu().dismiss()
    assert program.running()


def test_explore_opens_the_file_browser_on_the_drive():
    label = "TARVELO_E2E"
    with h.cdrom("D", label):
        program = h.start_tarvelo()
        entry = MENU_FIRST_DRIVE + h.cdrom_letters().index("D")
        h.open_tray_menu().choose(entry, DRIVE_EXPLORE)
        browser = h.wait_window(cls=h.FILE_BROWSER_CLASS, title=f"{label} (D:)", timeout=h.START_TIMEOUT)
        h.close_window(browser)
        h.wait_window_gone(cls=h.FILE_BROWSER_CLASS, title=f"{label} (D:)", timeout=10)
        assert program.running()


if __name__ == "__main__":
    h.main()
