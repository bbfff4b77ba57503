"""The picture buttons and the About window of the real program, from
outside: the pictures on screen and their hover state, the cross that hides
the window, a right-click on a picture, and the About window opened from the
tray menu and from the logo, with its shape, its keys and its dragging."""
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness as h  # noqa: E402

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


def main_form():
    return h.wait_window(cls=h.MAIN_FORM_CLASS)


def main_rect():
    return h.window_info(main_form())["rect"]


def centre_of(control):
    left, top, _, _ = main_rect()
    return left + control[0] + control[2] // 2, top + control[1] + control[3] // 2


def control_shot(control):
    left, top, _, _ = main_rect()
    return h.Screenshot.take((left + control[0], top + control[1], control[2], control[3]))


def hover(control, name):
    """Moves the pointer onto a picture and waits for its highlighted look."""
    normal = control_shot(control).data
    h.mouse_move(*centre_of(control))
    h.wait_until(lambda: control_shot(control).data != normal, SETTLE, f"{name} highlighted")


def about_window(visible=True):
    return h.wait_window(title=ABOUT_TITLE, visible=visible, timeout=SETTLE)


def about_visible(hwnd):
    return h.window_info(hwnd)["visible"]


# ---- the cases ---------------------------------------------------------------

def test_pictures_show_the_skin_through_their_masks_and_highlight_under_the_mouse():
    h.start_tarvelo()
    normal = {name: control_shot(c) for name, c in (("open", OPEN), ("close", CLOSE), ("cross", CROSS))}
    for name, shot in normal.items():
        whites = [(x, y) for x in range(shot.width) for y in range(shot.height) if shot.pixel(x, y) == WHITE]
        assert not whites, f"{name}: white (the see-through colour) shows where the skin should: {whites[:5]}"

    for name, control in (("open", OPEN), ("close", CLOSE), ("cross", CROSS)):
        hover(control, name)
        lit = control_shot(control)
        assert WHITE not in {lit.pixel(x, y) for x in range(lit.width) for y in range(lit.height)}, name
        h.park_pointer()
        h.wait_until(lambda: control_shot(control).data == normal[name].data, SETTLE, f"{name} normal again")


def test_a_real_click_on_the_cross_hides_the_window_and_the_program_runs_on():
    program = h.start_tarvelo()
    hover(CROSS, "cross")
    h.click(*centre_of(CROSS))
    h.wait_until(lambda: main_rect()[1] < 0, SETTLE, "the main window parked above the screen")
    assert h.window_info(main_form())["visible"], "moved away, not hidden"
    assert program.running(), "the cross hides; it does not end the program"
    assert not h.find_windows(title=ABOUT_TITLE, visible=True)


def test_a_right_click_on_a_picture_opens_the_tray_menu():
    program = h.start_tarvelo()
    hover(OPEN, "open")
    h.click(*centre_of(OPEN), button=3)
    menu = h.PopupMenu.wait_open()
    # It takes keys like the tray's menu: Escape closes it.
    h.keys("Escape", xwindow=menu.info["xwindow"])
    h.wait_until(lambda: not h.find_windows(cls=h.POPUP_MENU_CLASS, visible=True), SETTLE, "Escape to close the menu")
    assert program.running()


def test_about_from_the_tray_menu_has_round_corners_and_escape_closes_it():
    h.start_tarvelo()
    h.open_tray_menu().choose(MENU_ABOUT)
    about = about_window()
    info = h.window_info(about)
    left, top, right, bottom = info["rect"]
    assert (right - left, bottom - top) == ABOUT_SIZE, info["rect"]
    assert (left, top) == ((SCREEN[0] - ABOUT_SIZE[0]) // 2, (SCREEN[1] - ABOUT_SIZE[1]) // 2), "desktop centre"
    assert info["topmost"]

    def shape_on_screen():
        # Two pixels of margin: what lies beneath the window, to compare with.
        shot = h.Screenshot.take((left - 2, top - 2, ABOUT_SIZE[0] + 4, ABOUT_SIZE[1] + 4))
        beneath = shot.pixel(0, 0)
        width, height = ABOUT_SIZE
        corners = [(2, 2), (1 + width, 2), (2, 1 + height), (1 + width, 1 + height), (5, 5)]
        inside = [(2 + 251, 2 + 102), (2 + 240, 2 + 190), (2 + 20, 2 + 2)]
        return (beneath != WHITE and all(shot.pixel(x, y) == beneath for x, y in corners)
                and all(shot.pixel(x, y) == WHITE for x, y in inside))

    h.wait_until(shape_on_screen, SETTLE, "the About window drawn with its corners cut")

    h.keys("Escape", xwindow=h.x_window_of(about))
    h.wait_until(lambda: not about_visible(about), SETTLE, "Escape to close the About window")
    h.open_tray_menu().choose(MENU_ABOUT)
    assert about_window() == about, "the same window comes back"


def test_the_logo_opens_about_and_a_press_on_its_background_drags_it():
    h.start_tarvelo()
    hover(OPEN, "open")  # the window answers the mouse
    h.click(*centre_of(LOGO))
    about = about_window()
    left, top, _, _ = h.window_info(about)["rect"]

    # A point of the background, away from labels and pictures.
    grip = (left + 200, top + 180)
    h.xdotool("mousemove", *grip, "mousedown", "1")
    h.xdotool("mousemove", grip[0] - 60, grip[1] - 40)
    h.xdotool("mousemove", grip[0] - 120, grip[1] - 80)
    h.xdotool("mouseup", "1")
    h.wait_until(lambda: h.window_info(about)["rect"][:2] == (left - 120, top - 80), SETTLE,
                 "the About window to follow the mouse")

    h.keys("Return", xwindow=h.x_window_of(about))
    h.wait_until(lambda: not about_visible(about), SETTLE, "Enter to close the About window")


h.main()
