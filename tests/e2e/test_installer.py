"""The per-user installer, end to end under Wine: silent installs, the
program started from the target of its Start-menu shortcut, an upgrade over
a running older version, a silent uninstall while the program runs that
ends it politely and takes its files, its shortcut and its settings, and
nothing else, and the same into a folder named outside the code page."""

import re
import shutil
import time
from pathlib import PureWindowsPath

import pytest

from tarvelo_e2e import app, desktop, packages, wine

OLDER_VERSION = "0.9.0"
INSTALLED_FILES = {"Tarvelo.exe", "form.png", "README.txt", "LICENSE.txt", "Uninstall.exe"}

UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarvelo"
RUN_KEY, RUN_VALUE, VENDOR_KEY = app.RUN_KEY, app.RUN_VALUE, app.VENDOR_KEY
SETTINGS_KEY, AUTO_HIDE_VALUE, OTHER_RUN_VALUE = app.SETTINGS_KEY, app.AUTO_HIDE_VALUE, app.OTHER_RUN_VALUE
OTHER_VENDOR_KEY = VENDOR_KEY + r"\TarveloE2eOther"

MENU_TOOLS = 1
TOOLS_HIDE_ON_START = 0
TOOLS_AUTOSTART = 1

INSTALL_TIMEOUT = 60
REGISTRY_TIMEOUT = 10
UNINSTALL_TIMEOUT = 60

# A profile of an account named in Cyrillic and Chinese, on a prefix whose
# ANSI code page (1252) has none of these characters.
FOREIGN_PROFILE = PureWindowsPath(r"C:\users\Пользователь 用户")


def install_folder():
    return packages.user_folder("LOCALAPPDATA") + r"\Programs\Tarvelo"


def shortcut():
    return packages.user_folder("APPDATA") + r"\Microsoft\Windows\Start Menu\Programs\Tarvelo.lnk"


def entry(value):
    return wine.reg_query(UNINSTALL_KEY, value)


def install_silently(installer):
    code, _, _ = wine.wine(installer, "/S", timeout=INSTALL_TIMEOUT, check=False)
    assert code == 0, f"{installer.name} /S exited with {code}"


def start_from_shortcut(programs):
    """Starts what the Start-menu shortcut starts; returns it once started."""
    target = packages.shortcut_target(shortcut())
    assert target["target"] == install_folder() + "\\" + app.PROGRAM_IMAGE
    assert target["folder"] == install_folder()
    return programs.start_tarvelo(target["target"], name="Tarvelo")


def wait_value(key, value, expected):
    wine.wait_until(lambda: wine.reg_query(key, value) == expected, REGISTRY_TIMEOUT,
                    f"{key}\\{value} to be {expected!r}")


def remove_installation():
    """Removes whatever an earlier run or a failed case left installed."""
    wine.reg_delete(UNINSTALL_KEY)
    folder = packages.unix_path(install_folder())
    for path in (packages.unix_path(shortcut()), *folder.glob("*")):
        path.unlink(missing_ok=True)
    if folder.exists():
        folder.rmdir()
    wine.reg_delete(RUN_KEY, RUN_VALUE)
    wine.reg_delete(RUN_KEY, OTHER_RUN_VALUE)
    wine.reg_delete(VENDOR_KEY)


@pytest.fixture
def nothing_installed(programs):
    """The case starts and ends with nothing of the program installed; its
    programs have ended before their files go."""
    remove_installation()
    yield
    programs.stop_everything()
    remove_installation()


def test_upgrade_over_a_running_older_version_ends_it_and_replaces_it_in_place(nothing_installed, programs,
                                                                                work_dir):
    version = packages.version()
    current = packages.make("NSIS", work_dir)
    older = packages.make("NSIS", work_dir, OLDER_VERSION)
    assert current.name == f"Tarvelo-{version}-setup.exe"

    install_silently(older)
    assert entry("DisplayVersion") == OLDER_VERSION
    assert entry("InstallLocation") == install_folder()
    program = start_from_shortcut(programs)

    install_silently(current)
    assert program.exit_code(timeout=wine.START_TIMEOUT) == 0, "the running copy was asked to end"
    assert entry("DisplayVersion") == version
    assert entry("InstallLocation") == install_folder(), "the same folder"
    assert entry("Publisher") == "Hobrast"
    assert entry("DisplayIcon") == install_folder() + r"\Tarvelo.exe,0"
    assert entry("QuietUninstallString") == f'"{install_folder()}\\Uninstall.exe" /S'
    assert int(entry("EstimatedSize"), 0) > 0
    folder = packages.unix_path(install_folder())
    assert {p.name for p in folder.iterdir()} == INSTALLED_FILES

    # The version resource of the installed program agrees with the names.
    resource = packages.file_version(install_folder() + r"\Tarvelo.exe")
    assert resource["fixed"].split(".")[:3] == version.split(".")
    assert resource["product"] == resource["fixed"]
    start_from_shortcut(programs)


def test_silent_uninstall_while_running_ends_it_and_takes_its_files_and_settings_only(nothing_installed,
                                                                                      programs, work_dir):
    install_silently(packages.make("NSIS", work_dir))
    program = start_from_shortcut(programs)
    desktop.open_tray_menu().choose(MENU_TOOLS, TOOLS_AUTOSTART)
    wait_value(RUN_KEY, RUN_VALUE, f'"{install_folder()}\\Tarvelo.exe"')
    desktop.open_tray_menu().choose(MENU_TOOLS, TOOLS_HIDE_ON_START)
    wait_value(SETTINGS_KEY, AUTO_HIDE_VALUE, "1")
    wine.reg_add(RUN_KEY, OTHER_RUN_VALUE, "other.exe")
    wine.reg_add(OTHER_VENDOR_KEY, "Kept", "1")

    command = re.fullmatch(r'"([^"]+)" (/S)', entry("QuietUninstallString"))
    assert command, entry("QuietUninstallString")
    started = time.monotonic()
    wine.wine(*command.groups())
    assert program.exit_code(timeout=UNINSTALL_TIMEOUT) == 0, "ended by a close request"
    wine.wait_until(lambda: not wine.reg_key_exists(UNINSTALL_KEY), UNINSTALL_TIMEOUT, "the uninstaller to finish")
    print(f"uninstalled in {time.monotonic() - started:.1f} s", flush=True)

    assert not packages.unix_path(install_folder()).exists()
    assert not packages.unix_path(shortcut()).exists()
    assert wine.reg_query(RUN_KEY, RUN_VALUE) is None
    assert not wine.reg_key_exists(SETTINGS_KEY)
    assert wine.reg_query(RUN_KEY, OTHER_RUN_VALUE) == "other.exe"
    assert wine.reg_query(OTHER_VENDOR_KEY, "Kept") == "1"


@pytest.fixture
def foreign_profile(nothing_installed, programs):
    """The empty folder of FOREIGN_PROFILE, as a profile is before anything is
    installed into it; removed once the test's programs have ended."""
    folder = packages.unix_path(FOREIGN_PROFILE)
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    yield FOREIGN_PROFILE
    programs.stop_everything()
    shutil.rmtree(folder, ignore_errors=True)


def test_a_folder_named_outside_the_code_page_installs_runs_with_its_skin_and_uninstalls_without_a_trace(
        foreign_profile, programs, work_dir):
    target = foreign_profile / "Tarvelo"
    # The installer takes the folder as the rest of its command line, spaces
    # and all, unquoted, as a user types it: cmd passes the line on as written.
    installer = "Z:" + str(packages.make("NSIS", work_dir)).replace("/", "\\")
    code, _, _ = wine.wine("cmd", "/c", f"{installer} /S /D={target}", timeout=INSTALL_TIMEOUT, check=False)
    assert code == 0, f"the installer exited with {code}"
    assert {p.name for p in packages.unix_path(target).iterdir()} == INSTALLED_FILES

    # The skin is found beside the program and shown: no box saying it is missing.
    program = programs.start_tarvelo(target / app.PROGRAM_IMAGE, name="Tarvelo")
    assert wine.msgbox_text(app.PROGRAM_TITLE) is None, "the picture was found"

    wine.wine(target / "Uninstall.exe", "/S")
    assert program.exit_code(timeout=UNINSTALL_TIMEOUT) == 0, "ended by a close request"
    wine.wait_until(lambda: not wine.reg_key_exists(UNINSTALL_KEY), UNINSTALL_TIMEOUT, "the uninstaller to finish")
    assert list(packages.unix_path(foreign_profile).iterdir()) == []
    assert not packages.unix_path(shortcut()).exists()
