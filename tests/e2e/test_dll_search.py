"""DLLs planted beside the program, as a web page can leave them in the
Downloads folder a user unpacks the zip into, never run. Wine takes its own
copies of system DLLs first; the test lets it search for these the way
Windows does (a DLL in the program's folder before the system one), so a
planted copy that the program or a system DLL binds to leaves its mark."""

import os
import shutil

import pytest

from tarvelo_e2e import app, desktop, wine

# Not among Windows' known DLLs, and once imported by the program or loaded
# for it (comctl32 through the manifest's visual styles).
PLANTED = ("winmm.dll", "msimg32.dll", "comctl32.dll")
WM_HOTKEY = 0x0312
HOTKEY_HIDE, HOTKEY_SHOW = 3, 4
MENU_EXIT = 2
MENU_FIRST_DRIVE = 3
DRIVE_OPEN = 1
SETTLE = 15


def marks(folder):
    return sorted(path.name for path in folder.glob("*.loaded"))


@pytest.mark.cdrom("D", "PLANTED")
def test_dlls_planted_beside_the_program_are_never_loaded(programs, work_dir):
    folder = work_dir / "Downloads"
    folder.mkdir()
    for name in (app.PROGRAM_IMAGE, "form.png"):
        shutil.copy(app.dist_dir() / name, folder / name)
    for name in PLANTED:
        shutil.copy(os.environ["TARVELO_PLANTED"], folder / name)
    overrides = ";".join(filter(None, (os.environ.get("WINEDLLOVERRIDES"),
                                       ",".join(name[:-4] for name in PLANTED) + "=n,b")))
    environment = {"WINEDLLOVERRIDES": overrides, **wine.RELAY_ENVIRONMENT}

    with wine.relay_traced(["winmm.mciSendCommandA"]):
        program = programs.start(folder / app.PROGRAM_IMAGE, env=environment)
        # A planted msimg32 would leave the pictures undrawn: the skin is
        # looked for on the screen only after the fade.
        wine.wait_until(lambda: marks(folder) or (app.started_main_form() and desktop.tray_icon_slots() >= 1),
                        wine.START_TIMEOUT, "the program to start")
        assert marks(folder) == [], "loaded at start-up"

        # A tray command: the system's winmm (the only one the trace shows)
        # carries it.
        entry = MENU_FIRST_DRIVE + wine.cdrom_letters().index("D")
        desktop.open_tray_menu().choose(entry, DRIVE_OPEN)
        wine.wait_until(lambda: wine.relay_calls(program, "mciSendCommandA"), SETTLE,
                        "the tray command to reach the system's winmm")

        main = wine.wait_window(cls=app.MAIN_FORM_CLASS, visible=True)
        wine.post(main, WM_HOTKEY, HOTKEY_HIDE)
        wine.wait_until(lambda: wine.window_info(main)["rect"][1] < 0, SETTLE, "the window to fade out")
        wine.post(main, WM_HOTKEY, HOTKEY_SHOW)
        app.wait_started(program)

        desktop.open_tray_menu().choose(MENU_EXIT)
        assert program.exit_code(timeout=SETTLE) == 0
    assert marks(folder) == []
