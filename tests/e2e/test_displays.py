"""The skinned window when the resolution changes. Under plain Xvfb the
resolution cannot change; a Wine virtual desktop can, so this module runs in
a Wine prefix of its own whose desktop is virtual, 1024 x 768, and the other
modules keep their plain desktop. The probe changes the resolution as a
display settings dialog would, and every program is told."""

import os
import shutil
import subprocess
from pathlib import Path

import pytest

from tarvelo_e2e import app, desktop, wine

START_SIZE = (1024, 768)
SMALLER_SIZE = (800, 600)
DESKTOP_TITLE = "Default - Wine desktop"
EMPTY_POINT = (100, 100)  # on the virtual desktop, where no window is
PREFIX_TIMEOUT = 240  # making a prefix on a loaded two-core machine
SERVER_TIMEOUT = 30


def _server(*args):
    subprocess.run(["wineserver", *args], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=SERVER_TIMEOUT, check=False)


def _restart_server():
    _server("-k")
    _server("-w")
    _server("-p")


@pytest.fixture(scope="module", autouse=True)
def virtual_desktop(tmp_path_factory):
    """Every Wine call of the module goes to a prefix of its own, made here,
    whose programs all run in one virtual desktop; removed afterwards."""
    root = Path(os.environ["TARVELO_WORK"]) if os.environ.get("TARVELO_WORK") else tmp_path_factory.mktemp("displays")
    prefix = root / "virtual-desktop-prefix"
    shared = os.environ["WINEPREFIX"]
    os.environ["WINEPREFIX"] = str(prefix)
    try:
        prefix.mkdir(parents=True, exist_ok=True)
        _server("-p")
        wine.wine("reg", "query", r"HKCU\Software", timeout=PREFIX_TIMEOUT)
        wine.reg_add(r"HKCU\Software\Wine\Explorer", "Desktop", "Default")
        wine.reg_add(r"HKCU\Software\Wine\Explorer\Desktops", "Default", "x".join(map(str, START_SIZE)))
        # Making the prefix may have started a plain desktop already.
        _restart_server()
        yield
    finally:
        _server("-k")
        _server("-w")
        os.environ["WINEPREFIX"] = shared
        shutil.rmtree(prefix, ignore_errors=True)


def primary_display():
    """(monitor, work area) of the primary monitor, as a fresh process reads them."""
    first = wine.probe("displays").splitlines()[0]
    fields = dict(part.split("=") for part in first.split())
    return tuple(tuple(int(v) for v in fields[key].split(",")) for key in ("monitor", "work"))


def set_resolution(width, height):
    wine.probe("display-mode", width, height)
    wine.wait_until(lambda: primary_display()[0] == (0, 0, width, height), 10, f"the desktop to be {width}x{height}")


def start_tarvelo(programs):
    """Tarvelo at the start size, past its start-up: (main form, skin window)."""
    set_resolution(*START_SIZE)
    program = programs.start(app.tarvelo_exe())
    main = wine.wait_until(app.started_main_form, wine.START_TIMEOUT, "the main form shown after its fade-in")
    assert program.running()
    return main, wine.wait_window(cls=app.PNG_FORM_CLASS)


def in_corner(main, png):
    """Both windows together in the bottom-right corner of the work area.

    Wine's tray band in a virtual desktop takes its place only after the
    programs have been told (of the start or of a change), and tells no one:
    until then the work area ends at the old band's top, which after a
    change to a smaller screen lies below it, so the window may rest on the
    screen's own bottom edge instead."""
    (_, _, _, height), (_, _, right, bottom) = primary_display()
    rects = [wine.window_info(w)["rect"] for w in (main, png)]
    return rects[0] == rects[1] and rects[0][2] == right and rects[0][3] in (bottom, height)


def test_the_window_follows_the_corner_to_the_new_resolution(programs):
    main, png = start_tarvelo(programs)
    assert in_corner(main, png), "placed in the start size's corner"
    set_resolution(*SMALLER_SIZE)
    wine.wait_until(lambda: in_corner(main, png), 10, "the window in the corner of the smaller screen")


def test_a_dragged_window_left_off_the_screen_comes_back_to_the_corner(programs):
    main, png = start_tarvelo(programs)
    left, top, _, _ = wine.window_info(main)["rect"]
    # On the start size's screen, but right of where the smaller one ends.
    target = (SMALLER_SIZE[0] + 20, 450)
    grip = app.standard_skin().opaque_point()
    xwindow = desktop.xdotool("search", "--name", f"^{DESKTOP_TITLE}$").split()[0]
    origin = desktop.x_window_geometry(xwindow)
    start = (origin[0] + left + grip[0], origin[1] + top + grip[1])
    end = (start[0] + target[0] - left, start[1] + target[1] - top)
    # The first press in a virtual desktop that has not had the focus yet
    # comes twice (measured: the window moved twice the pointer's way): the
    # desktop gets the focus and one click on its empty part first, which
    # mostly helps.
    desktop.focus_x_window(xwindow)
    desktop.click(origin[0] + EMPTY_POINT[0], origin[1] + EMPTY_POINT[1])
    # The pointer moves only once the drag has begun (the main window hides).
    desktop.xdotool("mousemove", *start, "mousedown", 1)
    wine.wait_until(lambda: not wine.window_info(main)["visible"], 10, "the drag to begin")
    desktop.mouse_move(*end)
    desktop.xdotool("mouseup", 1)

    # The click first does not always keep the press from coming twice, so
    # the window may have gone twice the way: either place lies right of the
    # smaller screen and still on this one, which is all the test needs.
    def dropped_beyond_the_smaller_screen():
        info = wine.window_info(main)
        return info["visible"] and SMALLER_SIZE[0] <= info["rect"][0] < START_SIZE[0]
    try:
        wine.wait_until(dropped_beyond_the_smaller_screen, 10, f"the window dragged to {target}")
    except wine.Timeout:
        pytest.fail(f"dragged from {(left, top)} by the desktop at {origin}, the window is at "
                    f"{wine.window_info(main)['rect']}, not right of {SMALLER_SIZE[0]} as at {target}")

    set_resolution(*SMALLER_SIZE)
    wine.wait_until(lambda: in_corner(main, png), 10, "the window back in the corner of the smaller screen")
