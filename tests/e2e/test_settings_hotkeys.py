"""The two settings and the four global hotkeys of the real program, driven
as a user would: "Hide On Start" and "Autostart" from the tray menu's Tools
submenu with the registry read through `wine reg`, restarts, real key
presses through X, and a combination that another program already holds."""

import shutil

import pytest

from tarvelo_e2e import app, desktop, wine

MENU_TOOLS = 1
MENU_EXIT = 2
TOOLS_HIDE_ON_START = 0
TOOLS_AUTOSTART = 1

RUN_KEY, RUN_VALUE, VENDOR_KEY = app.RUN_KEY, app.RUN_VALUE, app.VENDOR_KEY
SETTINGS_KEY, AUTO_HIDE_VALUE, OTHER_RUN_VALUE = app.SETTINGS_KEY, app.AUTO_HIDE_VALUE, app.OTHER_RUN_VALUE

MOD_CONTROL = 0x2
VK_PRIOR, VK_NEXT, VK_END, VK_HOME = 0x21, 0x22, 0x23, 0x24

FADE_TIMEOUT = 10  # a 0.8 s fade on a loaded machine
REGISTRY_TIMEOUT = 10
MAX_PATH = 260


# ---- the registry, put back after every test ------------------------------------

@pytest.fixture
def clean_registry(programs):
    """The program's registry values cleared before the test and put back
    after it, once its programs have ended."""
    run_value = wine.reg_query(RUN_KEY, RUN_VALUE)
    vendor_key = wine.reg_key_exists(VENDOR_KEY)
    auto_hide = wine.reg_query(SETTINGS_KEY, AUTO_HIDE_VALUE)
    assert wine.reg_key_exists(RUN_KEY), "the prefix has a Run key"
    wine.reg_delete(RUN_KEY, RUN_VALUE)
    wine.reg_delete(SETTINGS_KEY, AUTO_HIDE_VALUE)
    yield
    programs.stop_everything()
    wine.reg_delete(RUN_KEY, OTHER_RUN_VALUE)
    if run_value is None:
        wine.reg_delete(RUN_KEY, RUN_VALUE)
    else:
        wine.reg_add(RUN_KEY, RUN_VALUE, run_value)
    if not vendor_key:
        wine.reg_delete(VENDOR_KEY)
    elif auto_hide is None:
        wine.reg_delete(SETTINGS_KEY, AUTO_HIDE_VALUE)
    else:
        wine.reg_add(SETTINGS_KEY, AUTO_HIDE_VALUE, auto_hide)


def wait_value(key, value, expected):
    return wine.wait_until(lambda: wine.reg_query(key, value) == expected, REGISTRY_TIMEOUT,
                           f"{key}\\{value} to be {expected!r}")


def choose_tool(item):
    desktop.open_tray_menu().choose(MENU_TOOLS, item)


# ---- what the screen shows --------------------------------------------------------

def skin_rect():
    png_form = wine.wait_window(cls=app.PNG_FORM_CLASS)
    return wine.window_info(png_form)["rect"]


def skin_is_see_through(repaint=False):
    """Whether every pixel of the skin's place shows what lies beneath it
    (the root's colour, read just left of the skin). repaint: the
    compositor paints the place afresh first (see desktop.repaint)."""
    left, top, right, bottom = skin_rect()
    if repaint:
        desktop.repaint((left, top, right - left, bottom - top))
    shot = desktop.Screenshot.take((left - 4, top, right - left + 4, bottom - top))
    beneath = shot.pixel(0, (bottom - top) // 2)
    return all(shot.pixel(x, y) == beneath for x in range(4, shot.width) for y in range(shot.height))


def main_form_top():
    return wine.window_info(wine.wait_window(cls=app.MAIN_FORM_CLASS))["rect"][1]


def is_hidden():
    # Hidden: the main window parked above the screen and nothing of the skin left.
    return main_form_top() < 0 and skin_is_see_through(repaint=True)


def is_shown():
    return main_form_top() >= 0 and not skin_is_see_through()


def wait_hidden(what):
    wine.wait_until(is_hidden, FADE_TIMEOUT, what)


def wait_shown(what):
    wine.wait_until(is_shown, FADE_TIMEOUT, what)


def installed_copy(folder):
    """Tarvelo.exe and its skin copied into a folder of the prefix or the work area."""
    folder.mkdir(parents=True, exist_ok=True)
    shutil.copy2(app.tarvelo_exe(), folder / app.PROGRAM_IMAGE)
    shutil.copy2(app.dist_dir() / "form.png", folder / "form.png")
    return folder / app.PROGRAM_IMAGE


@pytest.fixture
def program_files_copy(programs):
    """Tarvelo.exe installed in a folder of C:\\Program Files, removed after
    the test once its programs have ended."""
    folder = wine.prefix() / "drive_c" / "Program Files" / "Tarvelo E2E"
    yield installed_copy(folder)
    programs.stop_everything()
    shutil.rmtree(folder, ignore_errors=True)


# ---- the tests ---------------------------------------------------------------------

def test_hide_on_start_is_stored_and_the_next_start_ends_hidden(clean_registry, programs):
    program = programs.start_tarvelo()
    assert not wine.reg_key_exists(VENDOR_KEY), "reading the settings creates nothing"
    choose_tool(TOOLS_HIDE_ON_START)
    wait_value(SETTINGS_KEY, AUTO_HIDE_VALUE, "1")
    assert is_shown(), "the setting only acts at the next start"
    desktop.open_tray_menu().choose(MENU_EXIT)
    assert program.exit_code(timeout=wine.START_TIMEOUT) == 0

    program = programs.start(app.tarvelo_exe())
    wait_hidden("the new start to fade in and out again")
    assert desktop.tray_icon_slots() == 1, "only the tray icon is left"
    assert program.running()

    # Switched off: the value goes, the key stays, the window stays hidden.
    choose_tool(TOOLS_HIDE_ON_START)
    wine.wait_until(lambda: wine.reg_query(SETTINGS_KEY, AUTO_HIDE_VALUE) is None, REGISTRY_TIMEOUT,
                    "AutoHide to be deleted")
    assert wine.reg_key_exists(SETTINGS_KEY)
    assert is_hidden()


def test_autostart_writes_the_quoted_path_with_spaces_and_off_deletes_only_it(clean_registry, programs,
                                                                              program_files_copy):
    wine.reg_add(RUN_KEY, OTHER_RUN_VALUE, "other.exe")
    program = programs.start_tarvelo(program_files_copy)
    choose_tool(TOOLS_AUTOSTART)
    wait_value(RUN_KEY, RUN_VALUE, r'"C:\Program Files\Tarvelo E2E\Tarvelo.exe"')
    choose_tool(TOOLS_AUTOSTART)
    wine.wait_until(lambda: wine.reg_query(RUN_KEY, RUN_VALUE) is None, REGISTRY_TIMEOUT, "Mirrowen to go")
    assert wine.reg_query(RUN_KEY, OTHER_RUN_VALUE) == "other.exe"
    assert wine.reg_key_exists(RUN_KEY)
    assert program.running()


def test_autostart_stays_off_when_the_path_does_not_fit(clean_registry, programs, work_dir):
    folder = work_dir
    while len(str(folder)) <= MAX_PATH:
        folder = folder / "a_folder_deep_enough_to_overflow_the_path_buffer"
    # The cut-short path leaves no folder to find the skin in. A skin in the
    # current folder (the work folder) is someone else's file: it is not
    # read, and the skin is reported missing.
    shutil.copy2(app.dist_dir() / "form.png", work_dir / "form.png")
    program = programs.start(installed_copy(folder))
    text = wine.wait_until(lambda: wine.msgbox_text(app.PROGRAM_TITLE), wine.START_TIMEOUT, "the skin message")
    assert text == "Image form.png introuvable."
    wine.msgbox_close(app.PROGRAM_TITLE)
    app.wait_started(program, picture=None)
    choose_tool(TOOLS_AUTOSTART)
    # Commands run one after the other: once hide-on-start is stored, the
    # autostart switch before it has been handled.
    choose_tool(TOOLS_HIDE_ON_START)
    wait_value(SETTINGS_KEY, AUTO_HIDE_VALUE, "1")
    assert wine.reg_query(RUN_KEY, RUN_VALUE) is None, "no cut-short path is stored"
    assert wine.msgbox_text(app.PROGRAM_TITLE) is None


def test_ctrl_end_hides_and_ctrl_home_shows_and_all_four_are_free_after_exit(tarvelo, programs):
    with programs.focus_window() as focus:
        focus_x = wine.x_window_of(focus.hwnd)
        desktop.keys("ctrl+End", xwindow=focus_x)
        wait_hidden("Ctrl+End to hide the window")
        desktop.keys("ctrl+Home", xwindow=focus_x)
        wait_shown("Ctrl+Home to show the window")
    desktop.open_tray_menu().choose(MENU_EXIT)
    assert tarvelo.exit_code(timeout=wine.START_TIMEOUT) == 0
    for vk in (VK_PRIOR, VK_NEXT, VK_END, VK_HOME):
        with programs.hold_hotkey(MOD_CONTROL, vk):
            pass


def test_keys_pressed_during_a_fade_wait_for_it_and_run_in_order(tarvelo, programs):
    # Each second press comes 40 ms after the first, inside its 0.8 s fade:
    # it waits for the fade and then runs, never dropped.
    # The hide shows only while the main form is parked above the screen,
    # until the show's fade-in ends: under a second. Its X window is read,
    # which starts no Wine program, so that no poll on a loaded machine
    # outlasts that second.
    front_x = wine.window_info(wine.wait_window(cls=app.MAIN_FORM_CLASS))["xwindow"]
    with programs.focus_window() as focus:
        focus_x = wine.x_window_of(focus.hwnd)
        desktop.keys("ctrl+End", "ctrl+Home", xwindow=focus_x)
        # Hidden first, then shown.
        wine.wait_until(lambda: desktop.x_window_geometry(front_x)[1] < 0, FADE_TIMEOUT, "the hide to run")
        wait_shown("hide, then show: the window ends shown")

        desktop.keys("ctrl+Home", "ctrl+End", xwindow=focus_x)
        wait_hidden("show, then hide: the window ends hidden")


def test_exit_chosen_while_a_hotkey_box_is_open_ends_the_program_after_ok(programs):
    with programs.hold_hotkey(MOD_CONTROL, VK_END):
        program = programs.start(app.tarvelo_exe())
        wine.wait_until(lambda: wine.msgbox_text(app.PROGRAM_TITLE), wine.START_TIMEOUT, "the hotkey message")
        desktop.open_tray_menu().choose(MENU_EXIT)
        desktop.wait_menus_closed()
        assert program.running(), "start-up is not over while the box is open"
        wine.msgbox_close(app.PROGRAM_TITLE)
        assert program.exit_code(timeout=wine.START_TIMEOUT) == 0


def test_a_combination_held_elsewhere_is_named_before_the_window_shows(programs):
    with programs.hold_hotkey(MOD_CONTROL, VK_HOME) as holder:
        program = programs.start(app.tarvelo_exe())
        text = wine.wait_until(lambda: wine.msgbox_text(app.PROGRAM_TITLE), wine.START_TIMEOUT,
                               "the hotkey message")
        assert text == "Unable to assign Ctrl+Home as hotkey."
        assert app.started_main_form() is None, "the box comes before the window"
        wine.msgbox_close(app.PROGRAM_TITLE)
        app.wait_started(program)
        assert wine.msgbox_text(app.PROGRAM_TITLE) is None, "one box only"

        # Ctrl+End is the program's; Ctrl+Home stays with the other program.
        holder_x = wine.x_window_of(holder.hwnd)
        desktop.keys("ctrl+End", xwindow=holder_x)
        wait_hidden("Ctrl+End to hide the window")
        desktop.keys("ctrl+Home", xwindow=holder_x)
        wine.wait_until(lambda: holder.hotkeys_received() == [1], FADE_TIMEOUT, "the holder to get Ctrl+Home")
        assert is_hidden()
