"""The program on a screen scaled to 150 and 200 %: the window's size, a
real click and the hover on the pictures where they are drawn, and the
notification-area icon at the small-icon size of that scale.

Wine gives every program the prefix's LogPixels, read when its wineserver
starts: the module restarts the server with each scale and puts the
prefix back at 96 DPI afterwards."""

import pytest

from tarvelo_e2e import app, desktop, wine

SKIN_SIZE = (251, 215)
# The Open picture at 100 %: left, top, width, height.
OPEN = (56, 93, 145, 50)
# SM_CXSMICON as Wine gives it at each scale.
SMALL_ICON = {144: 24, 192: 32}
IMAGE_ICON = 1
IDI_MAINICON = 1
SETTLE = 10


def scaled(length, dpi):
    """A length at 100 % at `dpi`, halves rounded up, as the program does."""
    return (length * dpi + 48) // 96


@pytest.fixture(scope="module", params=sorted(SMALL_ICON))
def dpi(request):
    app.stop_everything()
    wine.set_screen_dpi(request.param)
    try:
        yield request.param
    finally:
        app.stop_everything()
        wine.set_screen_dpi(None)


def rect_of(cls):
    left, top, right, bottom = wine.window_info(wine.wait_window(cls=cls))["rect"]
    return left, top, right - left, bottom - top


def test_window_pictures_and_tray_icon_follow_the_screen_scale(programs, dpi):
    with wine.relay_traced(["winmm.mciSendStringA", "user32.LoadImageW"]):
        program = programs.start(app.tarvelo_exe(), env=wine.RELAY_ENVIRONMENT)
        # The skin on screen is the scaled one, not the file's.
        app.wait_started(program, picture=None)

    size = (scaled(SKIN_SIZE[0], dpi), scaled(SKIN_SIZE[1], dpi))
    left, top, width, height = rect_of(app.MAIN_FORM_CLASS)
    assert (width, height) == size
    assert rect_of(app.PNG_FORM_CLASS) == (left, top, *size)

    icons = [arguments for arguments, _ in wine.relay_calls(program, "LoadImageW")
             if [int(a, 16) for a in arguments.split(",")[1:3]] == [IDI_MAINICON, IMAGE_ICON]]
    small = SMALL_ICON[dpi]
    assert icons and all([int(a, 16) for a in i.split(",")[3:5]] == [small, small] for i in icons), icons

    # The picture at its scaled place highlights under the pointer ...
    open_rect = (left + scaled(OPEN[0], dpi), top + scaled(OPEN[1], dpi),
                 scaled(OPEN[0] + OPEN[2], dpi) - scaled(OPEN[0], dpi),
                 scaled(OPEN[1] + OPEN[3], dpi) - scaled(OPEN[1], dpi))
    normal = desktop.Screenshot.take(open_rect).data
    centre = (open_rect[0] + open_rect[2] // 2, open_rect[1] + open_rect[3] // 2)
    desktop.mouse_move(*centre)
    wine.wait_until(lambda: desktop.Screenshot.take(open_rect).data != normal, SETTLE, "Open highlighted")

    # ... and a click there runs the open command.
    desktop.click(*centre)
    wine.wait_until(lambda: any("door open" in arguments for arguments, _ in wine.relay_calls(program, "mciSendStringA")),
                    SETTLE, "the open command's MCI string")
