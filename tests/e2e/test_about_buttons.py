"""The picture buttons and the About window of the real program, from
outside: the pictures on screen and their hover state, the cross that hides
the window, a right-click on a picture, and the About window opened from the
tray menu and from the logo, with its shape, its keys and its dragging."""

import pytest

from tarvelo_e2e import app, desktop, wine

ABOUT_TITLE = "frmAbout"
ABOUT_SIZE = (502, 204)
SCREEN = (1920, 1080)
MENU_ABOUT = 0  # first selectable item of the tray menu
WHITE = (255, 255, 255)
SETTLE = 10  # seconds for a fade or a repaint and the compositor to catch up

# Picture controls of the main window: left, top, width, height.
OPEN = (56, 93, 145, 50)
CLOSE = (56, 149, 145, 50)
CROSS = (214, 20, 20, 20)
LOGO = (56, 20, 145, 65)
BUTTONS = {"open": OPEN, "close": CLOSE, "cross": CROSS}
SKIN_POINT = (20, 110)  # left of the pictures, on the opaque panel


def main_form():
    return wine.wait_window(cls=app.MAIN_FORM_CLASS)


def main_rect():
    return wine.window_info(main_form())["rect"]


def centre_of(control):
    left, top, _, _ = main_rect()
    return left + control[0] + control[2] // 2, top + control[1] + control[3] // 2


def control_shot(control):
    left, top, _, _ = main_rect()
    return desktop.Screenshot.take((left + control[0], top + control[1], control[2], control[3]))


def hover(control, name):
    """Moves the pointer onto a picture and waits for its highlighted look."""
    normal = control_shot(control).data
    desktop.mouse_move(*centre_of(control))
    wine.wait_until(lambda: control_shot(control).data != normal, SETTLE, f"{name} highlighted")


def about_window(visible=True):
    return wine.wait_window(title=ABOUT_TITLE, visible=visible, timeout=SETTLE)


def about_visible(hwnd):
    return wine.window_info(hwnd)["visible"]


def colours(shot):
    return {shot.pixel(x, y) for x in range(shot.width) for y in range(shot.height)}


@pytest.mark.parametrize("name", BUTTONS)
def test_picture_shows_the_skin_through_its_mask_and_highlights_under_the_mouse(tarvelo, name):
    control = BUTTONS[name]
    normal = control_shot(control)
    whites = [(x, y) for x in range(normal.width) for y in range(normal.height) if normal.pixel(x, y) == WHITE]
    assert not whites, f"{name}: white (the see-through colour) shows where the skin should: {whites[:5]}"

    hover(control, name)
    assert WHITE not in colours(control_shot(control)), name
    desktop.park_pointer()
    wine.wait_until(lambda: control_shot(control).data == normal.data, SETTLE, f"{name} normal again")


def test_a_picture_left_for_the_skin_or_another_picture_returns_to_normal(tarvelo):
    # The main window lets the skin show through around the pictures: there
    # the pointer is over the skin window beneath, not over the main window.
    left, top, _, _ = main_rect()
    on_skin = (left + SKIN_POINT[0], top + SKIN_POINT[1])
    normal = {name: control_shot(control).data for name, control in BUTTONS.items()}
    for name, control in BUTTONS.items():
        hover(control, name)
        desktop.mouse_move(*on_skin)
        wine.wait_until(lambda: control_shot(control).data == normal[name], SETTLE, f"{name} normal on the skin")
    hover(OPEN, "open")
    hover(CLOSE, "close")
    wine.wait_until(lambda: control_shot(OPEN).data == normal["open"], SETTLE, "open normal on the other picture")


def test_a_real_click_on_the_cross_hides_the_window_and_the_program_runs_on(tarvelo):
    hover(CROSS, "cross")
    desktop.click(*centre_of(CROSS))
    wine.wait_until(lambda: main_rect()[1] < 0, SETTLE, "the main window parked above the screen")
    assert wine.window_info(main_form())["visible"], "moved away, not hidden"
    assert tarvelo.running(), "the cross hides; it does not end the program"
    assert not wine.find_windows(title=ABOUT_TITLE, visible=True)


def test_a_right_click_on_a_picture_opens_the_tray_menu(tarvelo):
    hover(OPEN, "open")
    desktop.click(*centre_of(OPEN), button=3)
    menu = desktop.PopupMenu.wait_open()
    # It takes keys like the tray's menu: Escape closes it.
    desktop.keys("Escape", xwindow=menu.info["xwindow"])
    desktop.wait_menus_closed(timeout=SETTLE)
    assert tarvelo.running()


def test_about_from_the_tray_menu_has_round_corners_and_escape_closes_it(tarvelo):
    desktop.open_tray_menu().choose(MENU_ABOUT)
    about = about_window()
    info = wine.window_info(about)
    left, top, right, bottom = info["rect"]
    assert (right - left, bottom - top) == ABOUT_SIZE, info["rect"]
    assert (left, top) == ((SCREEN[0] - ABOUT_SIZE[0]) // 2, (SCREEN[1] - ABOUT_SIZE[1]) // 2), "desktop centre"
    assert info["topmost"]

    def shape_on_screen():
        # Two pixels of margin: what lies beneath the window, to compare with.
        shot = desktop.Screenshot.take((left - 2, top - 2, ABOUT_SIZE[0] + 4, ABOUT_SIZE[1] + 4))
        beneath = shot.pixel(0, 0)
        width, height = ABOUT_SIZE
        corners = [(2, 2), (1 + width, 2), (2, 1 + height), (1 + width, 1 + height), (5, 5)]
        inside = [(2 + 251, 2 + 102), (2 + 240, 2 + 190), (2 + 20, 2 + 2)]
        return (beneath != WHITE and all(shot.pixel(x, y) == beneath for x, y in corners)
                and all(shot.pixel(x, y) == WHITE for x, y in inside))

    wine.wait_until(shape_on_screen, SETTLE, "the About window drawn with its corners cut")

    desktop.keys("Escape", xwindow=wine.x_window_of(about))
    wine.wait_until(lambda: not about_visible(about), SETTLE, "Escape to close the About window")
    desktop.open_tray_menu().choose(MENU_ABOUT)
    assert about_window() == about, "the same window comes back"


def test_the_logo_opens_about_and_a_press_on_its_background_drags_it(tarvelo):
    hover(OPEN, "open")  # the window answers the mouse
    desktop.click(*centre_of(LOGO))
    about = about_window()
    left, top, _, _ = wine.window_info(about)["rect"]

    # A point of the background, away from labels and pictures.
    grip = (left + 200, top + 180)
    desktop.drag([grip, (grip[0] - 60, grip[1] - 40), (grip[0] - 120, grip[1] - 80)])
    wine.wait_until(lambda: wine.window_info(about)["rect"][:2] == (left - 120, top - 80), SETTLE,
                    "the About window to follow the mouse")

    desktop.keys("Return", xwindow=wine.x_window_of(about))
    wine.wait_until(lambda: not about_visible(about), SETTLE, "Enter to close the About window")
