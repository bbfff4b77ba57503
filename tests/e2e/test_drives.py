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
