"""The portable zip, end to end: unpacked into a folder with spaces in its
name, the program starts from there, finds its picture beside it, and ends
with code 0. The 64-bit build runs the same test with its own zip under
64-bit Wine."""

import shutil
import struct
import zipfile
from pathlib import PureWindowsPath

import harness as h
import packages

MENU_EXIT = 2
CONTENTS = {"Tarvelo.exe", "form.png", "README.txt", "LICENSE.txt"}
# The machine field of the executable's PE header.
MACHINE = {"win32": 0x14C, "win64": 0x8664}


def pe_machine(exe):
    data = exe.read_bytes()
    header = struct.unpack_from("<I", data, 0x3C)[0]
    assert data[header:header + 4] == b"PE\0\0"
    return struct.unpack_from("<H", data, header + 4)[0]


def test_the_zip_unpacked_into_a_folder_with_spaces_runs_from_there():
    archive = packages.make("ZIP")
    top = f"Tarvelo-{packages.version()}-{packages.platform()}"
    assert archive.name == f"{top}.zip"

    folder = PureWindowsPath(r"C:\Portable Tools\My Tarvelo")
    unpacked = packages.unix_path(folder)
    try:
        with zipfile.ZipFile(archive) as zipped:
            assert set(zipped.namelist()) == {f"{top}/{name}" for name in CONTENTS}
            zipped.extractall(unpacked)
        for text in ("README.txt", "LICENSE.txt"):
            content = (unpacked / top / text).read_bytes()
            assert content.count(b"\n") == content.count(b"\r\n") > 0, f"{text} has Windows line ends"
        exe = folder / top / h.PROGRAM_IMAGE
        assert pe_machine(packages.unix_path(exe)) == MACHINE[packages.platform()]

        # Started by its Windows path from another folder: the picture must
        # come from the program's own folder.
        program = h.Program(exe, name="Tarvelo")
        h.wait_started(program)
        assert h.msgbox_text(h.PROGRAM_TITLE) is None, "the picture was found"
        h.open_tray_menu().choose(MENU_EXIT)
        assert program.exit_code(timeout=h.START_TIMEOUT) == 0
    finally:
        h.stop_everything()
        shutil.rmtree(packages.unix_path(folder.parent), ignore_errors=True)


if __name__ == "__main__":
    h.main()
