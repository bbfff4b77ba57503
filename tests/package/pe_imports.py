"""Checks that an executable imports only DLLs that Windows always takes from
its own folder (its known DLLs, on Windows 7 and later). Any other import
would be looked for beside the program first, where a zip unpacked into
Downloads finds whatever a web page left there.

    python3 pe_imports.py Tarvelo.exe

Reads the PE file itself (the import and the delay-load tables), so it needs
no toolchain and runs wherever the build does."""

import struct
import sys

ALLOWED = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll", "msvcrt.dll"}
IMPORT_DIRECTORY, DELAY_IMPORT_DIRECTORY = 1, 13


class PeFile:
    def __init__(self, data):
        self.data = data
        header = struct.unpack_from("<I", data, 0x3C)[0]
        if data[header:header + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        sections, optional_size = struct.unpack_from("<H12xH", data, header + 6)
        optional = header + 24
        magic = struct.unpack_from("<H", data, optional)[0]
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


def main(path):
    pe = PeFile(open(path, "rb").read())
    imported = pe.dll_names(IMPORT_DIRECTORY, 20, 12)
    delayed = pe.dll_names(DELAY_IMPORT_DIRECTORY, 32, 4)
    print(f"{path}: imports {', '.join(imported)}; delay-loads {', '.join(delayed) or 'nothing'}")
    foreign = sorted({name for name in imported if name.lower() not in ALLOWED} | set(delayed))
    if not imported or foreign:
        print(f"FAILED: {', '.join(foreign) or 'no imports read'}: only known DLLs may be imported "
              "(load any other one from the system folder, app/system_library.h)")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
