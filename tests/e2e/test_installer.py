"""The per-user installer, end to end under Wine: silent installs, the
program started from the target of its Start-menu shortcut, an upgrade over
a running older version, and a silent uninstall while the program runs that
ends it politely and takes its files, its shortcut and its settings, and
nothing else."""

import re
import time

import harness as h
import packages

OLDER_VERSION = "0.9.0"
INSTALLED_FILES = {"Tarvelo.exe", "form.png", "README.txt", "LICENSE.txt", "Uninstall.exe"}

UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarvelo"
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
RUN_VALUE = "Mirrowen"
VENDOR_KEY = r"HKCU\Software\Hobrast"
SETTINGS_KEY = VENDOR_KEY + r"\Mirrowen"
AUTO_HIDE_VALUE = "AutoHide"
# What other programs keep beside the program's own entries.
OTHER_RUN_VALUE = "TarveloE2eOther"
OTHER_VENDOR_KEY = VENDOR_KEY + r"\TarveloE2eOther"

MENU_TOOLS = 1
TOOLS_HIDE_ON_START = 0
TOOLS_AUTOSTART = 1

INSTALL_TIMEOUT = 60
REGISTRY_TIMEOUT = 10
UNINSTALL_TIMEOUT = 60


def key_exists(key):
    return h.wine("reg", "query", key, check=False)[0] == 0


def install_folder():
    return packages.folder_of_user("LOCALAPPDATA") + r"\Programs\Tarvelo"


def shortcut():
    return packages.folder_of_user("APPDATA") + r"\Microsoft\Windows\Start Menu\Programs\Tarvelo.lnk"


def entry(value):
    return h.reg_query(UNINSTALL_KEY, value)


def install_silently(installer):
    code, _, _ = h.run(["wine", installer, "/S"], timeout=INSTALL_TIMEOUT, check=False)
    assert code == 0, f"{installer.name} /S exited with {code}"


def start_from_shortcut():
    """Starts what the Start-menu shortcut starts; returns it once started."""
    lines = dict(line.split("=", 1) for line in h.probe("shortcut-target", shortcut()).splitlines())
    assert lines["target"] == install_folder() + "\\" + h.PROGRAM_IMAGE
    assert lines["folder"] == install_folder()
    program = h.Program(lines["target"], name="Tarvelo")
    h.wait_started(program)
    return program


def leave_nothing_installed():
    """Removes whatever an earlier run or a failed case left installed."""
    h.stop_everything()
    h.reg_delete(UNINSTALL_KEY)
    for path in (packages.unix_path(shortcut()), *packages.unix_path(install_folder()).glob("*")):
        path.unlink(missing_ok=True)
    if packages.unix_path(install_folder()).exists():
        packages.unix_path(install_folder()).rmdir()
    h.reg_delete(RUN_KEY, RUN_VALUE)
    h.reg_delete(RUN_KEY, OTHER_RUN_VALUE)
    h.reg_delete(VENDOR_KEY)


class nothing_installed_around:
    """Context: the case starts and ends with nothing of the program installed."""

    def __enter__(self):
        leave_nothing_installed()
        return self

    def __exit__(self, *exc):
        leave_nothing_installed()
        return False


# ---- the cases -------------------------------------------------------------------

def test_upgrade_over_a_running_older_version_ends_it_and_replaces_it_in_place():
    with nothing_installed_around():
        version = packages.version()
        current = packages.make("NSIS")
        older = packages.make("NSIS", OLDER_VERSION)
        assert current.name == f"Tarvelo-{version}-setup.exe"

        install_silently(older)
        assert entry("DisplayVersion") == OLDER_VERSION
        assert entry("InstallLocation") == install_folder()
        program = start_from_shortcut()

        install_silently(current)
        assert program.exit_code(timeout=h.START_TIMEOUT) == 0, "the running copy was asked to end"
        assert entry("DisplayVersion") == version
        assert entry("InstallLocation") == install_folder(), "the same folder"
        assert entry("Publisher") == "Hobrast"
        assert entry("DisplayIcon") == install_folder() + r"\Tarvelo.exe,0"
        assert entry("QuietUninstallString") == f'"{install_folder()}\\Uninstall.exe" /S'
        assert int(entry("EstimatedSize"), 0) > 0
        folder = packages.unix_path(install_folder())
        assert {p.name for p in folder.iterdir()} == INSTALLED_FILES

        # The version resource of the installed program agrees with the names.
        lines = dict(line.split("=", 1)
                     for line in h.probe("file-version", install_folder() + r"\Tarvelo.exe").splitlines())
        assert lines["fixed"].split(".")[:3] == version.split(".")
        assert lines["product"] == lines["fixed"]
        start_from_shortcut()


def test_silent_uninstall_while_running_ends_it_and_takes_its_files_and_settings_only():
    with nothing_installed_around():
        install_silently(packages.make("NSIS"))
        program = start_from_shortcut()
        for tool in (TOOLS_AUTOSTART, TOOLS_HIDE_ON_START):
            h.open_tray_menu().choose(MENU_TOOLS, tool)
        h.wait_until(lambda: h.reg_query(SETTINGS_KEY, AUTO_HIDE_VALUE) == "1", REGISTRY_TIMEOUT,
                     "Hide On Start to be stored")
        assert h.reg_query(RUN_KEY, RUN_VALUE) == f'"{install_folder()}\\Tarvelo.exe"'
        h.reg_add(RUN_KEY, OTHER_RUN_VALUE, "other.exe")
        h.reg_add(OTHER_VENDOR_KEY, "Kept", "1")

        command = re.fullmatch(r'"([^"]+)" (/S)', entry("QuietUninstallString"))
        assert command, entry("QuietUninstallString")
        started = time.monotonic()
        h.wine(*command.groups())
        assert program.exit_code(timeout=UNINSTALL_TIMEOUT) == 0, "ended by a close request"
        h.wait_until(lambda: not key_exists(UNINSTALL_KEY), UNINSTALL_TIMEOUT, "the uninstaller to finish")
        print(f"uninstalled in {time.monotonic() - started:.1f} s", flush=True)

        assert not packages.unix_path(install_folder()).exists()
        assert not packages.unix_path(shortcut()).exists()
        assert h.reg_query(RUN_KEY, RUN_VALUE) is None
        assert not key_exists(SETTINGS_KEY)
        assert h.reg_query(RUN_KEY, OTHER_RUN_VALUE) == "other.exe"
        assert h.reg_query(OTHER_VENDOR_KEY, "Kept") == "1"


if __name__ == "__main__":
    h.main()
