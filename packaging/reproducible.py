"""Gives CPack's packages the same bytes wherever and whenever they are made.

    reproducible.py stamp FOLDER EPOCH   every file and folder under FOLDER
                                         dated EPOCH (the installer stores
                                         the dates of the files it carries)
    reproducible.py zip ARCHIVE EPOCH    the zip written again: entries in
                                         name order, dated EPOCH in UTC, no
                                         owner, read-only or executable
                                         permissions only, no extra fields

The zip's own writer records the builder's user, local time zone and the
files' times; a zip is small enough to be written again whole."""

import os
import sys
import time
import zipfile


def stamp(folder, epoch):
    for root, folders, files in os.walk(folder):
        for name in folders + files:
            os.utime(os.path.join(root, name), (epoch, epoch), follow_symlinks=False)
    os.utime(folder, (epoch, epoch))


def rewrite_zip(path, epoch):
    date = time.gmtime(max(epoch, 315532800))[:6]  # a zip cannot date before 1980
    with zipfile.ZipFile(path) as source:
        entries = sorted(((info, source.read(info)) for info in source.infolist()), key=lambda e: e[0].filename)
    temporary = path + ".tmp"
    with zipfile.ZipFile(temporary, "w") as target:
        for old, data in entries:
            info = zipfile.ZipInfo(old.filename, date)
            info.create_system = 3  # Unix, so that the permissions below mean what they say
            directory = old.filename.endswith("/")
            executable = directory or (old.external_attr >> 16) & 0o111
            info.external_attr = ((0o40755 if directory else 0o100755 if executable else 0o100644) << 16) \
                | (0x10 if directory else 0)
            info.compress_type = zipfile.ZIP_STORED if directory else zipfile.ZIP_DEFLATED
            target.writestr(info, data, compresslevel=9)
    os.replace(temporary, path)


def main(command, path, epoch):
    {"stamp": stamp, "zip": rewrite_zip}[command](path, int(epoch))


if __name__ == "__main__":
    main(*sys.argv[1:])
