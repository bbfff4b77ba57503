"""Checks that an executable imports only DLLs that Windows always takes from
its own folder (its known DLLs, on Windows 7 and later). Any other import
would be looked for beside the program first, where a zip unpacked into
Downloads finds whatever a web page left there.

With --wide, it also checks that the program calls Windows through the wide
entry points only: its text is UTF-8 inside and UTF-16 at every call, and an
ANSI call would turn what the code page lacks into '?'.

    python3 pe_imports.py [--wide] Tarvelo.exe

Reads the PE file itself (the import and the delay-load tables), so it needs
no toolchain and runs wherever the build does."""

import re
import struct
import sys

ALLOWED = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll", "msvcrt.dll"}

# The ANSI calls of MinGW's runtime, linked as it ships, none with a text of
# the program's: the C start-up code (GetStartupInfoA) and its frame
# registration (GetModuleHandleA, LoadLibraryA, for a runtime DLL the program
# never has), and the threads library (its unnamed events and semaphores and
# its debug output). The drive and MCI calls that stay ANSI are looked up at
# run time (app/system_library.h), so they are not imports.
RUNTIME_ANSI = {"GetStartupInfoA", "GetModuleHandleA", "LoadLibraryA", "CreateEventA", "CreateSemaphoreA",
                "OutputDebugStringA"}
# An ANSI entry point: a word that ends in "A" after a small letter or digit.
ANSI_NAME = re.compile(r"[A-Za-z_0-9]*[a-z0-9]A")
IMPORT_DIRECTORY, DELAY_IMPORT_DIRECTORY = 1, 13


class PeFile:
    def __init__(self, data):
        self.data = data
        header = struct.unpack_from("<I", data, 0x3C)[0]
        if data[header:header + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        sections, optional_size = struct.unpack_from("<H12xH", data, header + 6)
        optional = header + 24
        self.magic = magic = struct.unpack_from("<H", data, optional)[0]
        directories = optional + {0x10B: 96, 0x20B: 112}[magic]
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(16)]
        table = optional + optional_size
        self.sections = [struct.unpack_from("<8xIIII", data, table + 40 * i) for i in range(sections)]

    def offset(self, rva):
        for virtual_size, address, raw_size, raw_offset in self.sections:
            if address <= rva < address + max(virtual_size, raw_size):
                return raw_offset + rva - address
        raise ValueError(f"address {rva:#x} is in no section")

    def text(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def imported_names(self):
        """The procedures imported by name, each with its DLL."""
        rva, size = self.directories[IMPORT_DIRECTORY]
        pe64 = self.magic == 0x20B
        thunk_size, ordinal_flag = (8, 1 << 63) if pe64 else (4, 1 << 31)
        names = []
        entry = self.offset(rva) if size else None
        while entry is not None and any(self.data[entry:entry + 20]):
            lookup, _, _, dll, addresses = struct.unpack_from("<IIIII", self.data, entry)
            thunk = self.offset(lookup or addresses)
            while True:
                value = struct.unpack_from("<Q" if pe64 else "<I", self.data, thunk)[0]
                if not value:
                    break
                if not value & ordinal_flag:
                    names.append((self.text(dll), self.text((value & 0x7FFFFFFF) + 2)))
                thunk += thunk_size
            entry += 20
        return names

    def dll_names(self, directory, entry_size, name_field):
        rva, size = self.directories[directory]
        names = []
        if not size:
            return names
        entry = self.offset(rva)
        while any(self.data[entry:entry + entry_size]):
            names.append(self.text(struct.unpack_from("<I", self.data, entry + name_field)[0]))
            entry += entry_size
        return names


def main(arguments):
    wide = "--wide" in arguments
    path = [argument for argument in arguments if argument != "--wide"][0]
    pe = PeFile(open(path, "rb").read())
    imported = pe.dll_names(IMPORT_DIRECTORY, 20, 12)
    delayed = pe.dll_names(DELAY_IMPORT_DIRECTORY, 32, 4)
    print(f"{path}: imports {', '.join(imported)}; delay-loads {', '.join(delayed) or 'nothing'}")
    foreign = sorted({name for name in imported if name.lower() not in ALLOWED} | set(delayed))
    if not imported or foreign:
        print(f"FAILED: {', '.join(foreign) or 'no imports read'}: only known DLLs may be imported "
              "(load any other one from the system folder, app/system_library.h)")
        return 1
    if wide:
        ansi = sorted(f"{dll}!{name}" for dll, name in pe.imported_names()
                      if ANSI_NAME.fullmatch(name) and name not in RUNTIME_ANSI)
        if ansi:
            print(f"FAILED: ANSI calls {', '.join(ansi)}: call the wide ones (app/utf8.h converts)")
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
