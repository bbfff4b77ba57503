"""The drive commands of the tray menu on the real program: a drive entry's
"Open" and "Close", and "Block All" on and off. Wine has no tray to move and
refuses the lock request, so what is checked from outside is that every
command is taken quietly and the program runs on; what the drives receive is
checked in-process."""

import harness as h

MENU_TOOLS = 1
MENU_FIRST_DRIVE = 3
TOOLS_BLOCK_ALL = 2
DRIVE_OPEN = 1  # "Explore...", "Open", "Close"; the separator is skipped
DRIVE_CLOSE = 2


def assert_quiet_and_running(program):
    assert h.msgbox_text(h.PROGRAM_TITLE) is None, "a command reported something"
    assert program.running()


def test_drive_entry_open_and_close_are_quiet():
    with h.cdrom("D", "DOORS"):
        program = h.start_tarvelo()
        entry = MENU_FIRST_DRIVE + h.cdrom_letters().index("D")
        h.open_tray_menu().choose(entry, DRIVE_OPEN)
        h.wait_until(lambda: h.find_windows(cls=h.POPUP_MENU_CLASS, visible=True) == [], 10, "the menu to close")
        assert_quiet_and_running(program)
        h.open_tray_menu().choose(entry, DRIVE_CLOSE)
        h.wait_until(lambda: h.find_windows(cls=h.POPUP_MENU_CLASS, visible=True) == [], 10, "the menu to close")
        assert_quiet_and_running(program)


def test_block_all_on_and_off_then_exit_with_it_on():
    with h.cdrom("D", "LOCKED"):
        program = h.start_tarvelo()
        for _ in range(3):  # on, off, on
            h.open_tray_menu().choose(MENU_TOOLS, TOOLS_BLOCK_ALL)
            h.wait_until(lambda: h.find_windows(cls=h.POPUP_MENU_CLASS, visible=True) == [], 10,
                         "the menu to close")
            assert_quiet_and_running(program)
        # Ending with the lock on releases it on the way out; nothing is shown.
        h.open_tray_menu().choose(2)
        assert program.exit_code(timeout=15) == 0


if __name__ == "__main__":
    h.main()
