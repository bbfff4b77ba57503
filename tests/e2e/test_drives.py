"""The drive commands of the tray menu on the real program: a drive entry's
"Open" and "Close", and "Block All" on and off. Wine has no tray to move and
refuses the lock request, so what is checked from outside is that every
command is taken quietly and the program runs on; what the drives receive is
checked in-process."""

import pytest

from tarvelo_e2e import app, desktop, wine

MENU_TOOLS = 1
MENU_EXIT = 2
MENU_FIRST_DRIVE = 3
TOOLS_BLOCK_ALL = 2
DRIVE_EXPLORE = 0
DRIVE_OPEN = 1  # "Explore...", "Open", "Close"; the separator is skipped
DRIVE_CLOSE = 2


def assert_quiet_and_running(program):
    assert wine.msgbox_text(app.PROGRAM_TITLE) is None, "a command reported something"
    assert program.running()


@pytest.mark.cdrom("D", "DOORS")
def test_drive_entry_open_and_close_are_quiet(tarvelo):
    entry = MENU_FIRST_DRIVE + wine.cdrom_letters().index("D")
    desktop.open_tray_menu().choose(entry, DRIVE_OPEN)
    desktop.wait_menus_closed()
    assert_quiet_and_running(tarvelo)
    desktop.open_tray_menu().choose(entry, DRIVE_CLOSE)
    desktop.wait_menus_closed()
    assert_quiet_and_running(tarvelo)


@pytest.mark.cdrom("D", "LOCKED")
def test_block_all_on_and_off_then_exit_with_it_on(tarvelo):
    for _ in range(3):  # on, off, on
        desktop.open_tray_menu().choose(MENU_TOOLS, TOOLS_BLOCK_ALL)
        desktop.wait_menus_closed()
        assert_quiet_and_running(tarvelo)
    # Ending with the lock on releases it on the way out; nothing is shown.
    desktop.open_tray_menu().choose(MENU_EXIT)
    assert tarvelo.exit_code(timeout=15) == 0


@pytest.mark.cdrom("D", "IN USE")
def test_block_all_reaches_a_drive_with_a_file_open_on_it(programs, cdroms):
    (cdroms["D"] / "track.txt").write_text("playing\n")
    holder = programs.start(wine.probe_path(), "hold-file", ("hold-file", r"D:\track.txt"))
    with wine.ProbeWindow(holder), \
            wine.relay_traced(["kernel32.CreateFileW", "kernel32.DeviceIoControl"]):
        program = programs.start(app.tarvelo_exe(), env=wine.RELAY_ENVIRONMENT)
        app.wait_started(program)
        for _ in range(2):  # on, off
            desktop.open_tray_menu().choose(MENU_TOOLS, TOOLS_BLOCK_ALL)
            desktop.wait_menus_closed()
        wine.wait_until(lambda: len(wine.relay_calls(program, "DeviceIoControl")) >= 2, 10,
                        "the lock and its release to reach the drive")
        assert_quiet_and_running(program)
    # The volume is opened shared, so the open file on the disc is no
    # obstacle: both opens succeed and each is followed by its request.
    opens = [(arguments, handle) for arguments, handle in wine.relay_calls(program, "CreateFileW")
             if '"\\\\\\\\.\\\\D:"' in arguments]
    assert len(opens) == 2, opens
    for arguments, handle in opens:
        assert arguments.split(",")[2] == "00000003", f"shared for reading and writing: {arguments}"
        assert handle != 0xFFFFFFFF
    requests = wine.relay_calls(program, "DeviceIoControl")
    assert [arguments.split(",")[1] for arguments, _ in requests] == ["002d4804", "002d4804"]


@pytest.mark.cdrom("D", "FIRST")
def test_a_drive_defined_while_running_gets_its_entry(programs, work_dir):
    with wine.relay_traced(["kernel32.GetDriveTypeW"]):
        program = programs.start(app.tarvelo_exe(), env=wine.RELAY_ENVIRONMENT)
        app.wait_started(program)
        wine.define_cdrom("E", work_dir / "drive-e", "PLUGGED")
        try:
            # The program looks at the new letter at its next tick and finds
            # an optical drive.
            wine.wait_until(lambda: ('L"E:"', 5) in [(a.split(" ", 1)[-1], r)
                                                    for a, r in wine.relay_calls(program, "GetDriveTypeW")],
                            10, "the program to see drive E:")
            entry = MENU_FIRST_DRIVE + wine.cdrom_letters().index("E")
            desktop.open_tray_menu().choose(entry, DRIVE_EXPLORE)
            title = "PLUGGED (E:)"
            browser = wine.wait_window(cls=app.FILE_BROWSER_CLASS, title=title, timeout=wine.START_TIMEOUT)
            wine.close_window(browser)
            wine.wait_window_gone(cls=app.FILE_BROWSER_CLASS, title=title, timeout=10)
            assert program.running()
        finally:
            wine.remove_drive("E")
