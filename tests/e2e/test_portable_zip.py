"""The portable zip, end to end: unpacked into a folder with spaces in its
name, the program starts from there, finds its picture beside it, and ends
with code 0. The 64-bit build runs the same test with its own zip under
64-bit Wine."""

import shutil
import struct
import zipfile
from pathlib import PureWindowsPath

import pytest

from tarvelo_e2e import app, desktop, packages, wine

MENU_EXIT = 2
CONTENTS = {"Tarvelo.exe", "form.png", "README.txt", "LICENSE.txt"}
# The machine field of the executable's PE header.
MACHINE = {"win32": 0x14C, "win64": 0x8664}


def pe_machine(exe):
    data = exe.read_bytes()
    header = struct.unpack_from("<I", data, 0x3C)[0]
    assert data[header:header + 4] == b"PE\0\0"
    return struct.unpack_from("<H", data, header + 4)[0]


@pytest.fixture
def portable_folder(programs):
    """An empty folder with spaces in its path on C:, as a Windows path;
    removed once the test's programs have ended."""
    folder = PureWindowsPath(r"C:\Portable Tools\My Tarvelo")
    top = packages.unix_path(folder.parent)
    shutil.rmtree(top, ignore_errors=True)
    yield folder
    programs.stop_everything()
    shutil.rmtree(top, ignore_errors=True)


def test_the_zip_unpacked_into_a_folder_with_spaces_runs_from_there(portable_folder, programs, work_dir):
    archive = packages.make("ZIP", work_dir)
    top = f"Tarvelo-{packages.version()}-{packages.platform()}"
    assert archive.name == f"{top}.zip"

    unpacked = packages.unix_path(portable_folder)
    with zipfile.ZipFile(archive) as zipped:
        assert set(zipped.namelist()) == {f"{top}/{name}" for name in CONTENTS}
        zipped.extractall(unpacked)
    for text in ("README.txt", "LICENSE.txt"):
        content = (unpacked / top / text).read_bytes()
        assert content.count(b"\n") == content.count(b"\r\n") > 0, f"{text} has Windows line ends"
    exe = portable_folder / top / app.PROGRAM_IMAGE
    assert pe_machine(packages.unix_path(exe)) == MACHINE[packages.platform()]

    # Started by its Windows path from another folder (the test's work
    # folder): the picture must come from the program's own folder.
    program = programs.start_tarvelo(exe, name="Tarvelo")
    assert wine.msgbox_text(app.PROGRAM_TITLE) is None, "the picture was found"
    desktop.open_tray_menu().choose(MENU_EXIT)
    assert program.exit_code(timeout=wine.START_TIMEOUT) == 0
