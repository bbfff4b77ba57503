"""Writes the winget and Scoop manifests of the packages in a folder, beside
them, with the packages' own SHA-256 values:

    manifests.py DIST RELEASE_JSON

RELEASE_JSON is the build's packaging/release.json (names, version, the
release address pattern). The users' description is the README's first
paragraph.

winget gets the installer only: its portable install starts a program
through a link in a folder of its own, where the picture that must sit
beside Tarvelo.exe is not. Scoop, whose shims and shortcuts start the
program where it was unpacked, gets the two zips."""

import datetime
import hashlib
import json
import re
import sys
import textwrap
from pathlib import Path

WINGET_MANIFEST_VERSION = "1.12.0"
WINGET_SCHEMA = "https://aka.ms/winget-manifest.{kind}.{version}.schema.json"
FOLD_WIDTH = 100
TAGS = ["cd", "dvd", "eject", "optical-drive", "tray"]
README = Path(__file__).resolve().parent.parent / "README.md"


def sha256(path):
    return hashlib.sha256(path.read_bytes()).hexdigest().upper()


def first_paragraph(markdown):
    """The first paragraph of text under the title, as one line."""
    paragraphs = [block.strip() for block in re.split(r"\n\s*\n", markdown)]
    text = next(block for block in paragraphs if block and not block.startswith(("#", "!", "[")))
    return " ".join(text.split())


def yaml_text(value):
    """A YAML scalar that reads back as the same string."""
    return json.dumps(value, ensure_ascii=False)


def write_yaml(path, kind, fields):
    lines = [f"# yaml-language-server: $schema={WINGET_SCHEMA.format(kind=kind, version=WINGET_MANIFEST_VERSION)}"]
    lines += emit(fields, 0)
    path.write_text("\n".join(lines) + "\n", encoding="utf-8", newline="\n")


def emit(value, indent):
    pad = " " * indent
    lines = []
    for key, item in value.items():
        if isinstance(item, dict):
            lines.append(f"{pad}{key}:")
            lines += emit(item, indent + 2)
        elif isinstance(item, list):
            lines.append(f"{pad}{key}:")
            for element in item:
                if isinstance(element, dict):
                    nested = emit(element, indent + 4)
                    lines.append(f"{pad}  - {nested[0].lstrip()}")
                    lines += nested[1:]
                else:
                    lines.append(f"{pad}  - {yaml_text(element)}")
        elif isinstance(item, str) and len(item) > FOLD_WIDTH:
            # Folded, so that the lines stay short: YAML joins them with spaces.
            lines.append(f"{pad}{key}: >-")
            lines += textwrap.wrap(item, FOLD_WIDTH, initial_indent=pad + "  ", subsequent_indent=pad + "  ")
        else:
            lines.append(f"{pad}{key}: {yaml_text(item)}")
    return lines


def main(dist, release_json):
    dist = Path(dist)
    release = json.loads(Path(release_json).read_text(encoding="utf-8"))
    name, version, publisher = release["name"], release["version"], release["publisher"]
    identifier = f"{publisher}.{name}"

    def package(suffix):
        path = dist / f"{name}-{version}-{suffix}"
        if not path.is_file():
            sys.exit(f"manifests.py: {path} is missing")
        return path, release["release_url"].format(version=version, file=path.name)

    setup, setup_url = package("setup.exe")
    zips = {arch: package(f"{platform}.zip") for arch, platform in (("32bit", "win32"), ("64bit", "win64"))}
    description = first_paragraph(README.read_text(encoding="utf-8"))
    released = datetime.datetime.fromtimestamp(int(release["source_date_epoch"]), datetime.timezone.utc)

    folder = dist / "winget" / "manifests" / identifier[0].lower() / publisher / name / version
    folder.mkdir(parents=True, exist_ok=True)
    common = {"PackageIdentifier": identifier, "PackageVersion": version}
    write_yaml(folder / f"{identifier}.yaml", "version", {
        **common, "DefaultLocale": "en-US", "ManifestType": "version", "ManifestVersion": WINGET_MANIFEST_VERSION})
    write_yaml(folder / f"{identifier}.locale.en-US.yaml", "defaultLocale", {
        **common, "PackageLocale": "en-US", "Publisher": publisher, "PackageName": name,
        "PackageUrl": release["project_url"], "License": "MIT", "Copyright": release["copyright"],
        "ShortDescription": release["summary"], "Description": description, "Tags": TAGS,
        "ManifestType": "defaultLocale", "ManifestVersion": WINGET_MANIFEST_VERSION})
    write_yaml(folder / f"{identifier}.installer.yaml", "installer", {
        **common, "InstallerType": "nullsoft", "Scope": "user",
        "InstallerSwitches": {"Silent": "/S", "SilentWithProgress": "/S", "InstallLocation": "/D=<INSTALLPATH>"},
        "UpgradeBehavior": "install", "ProductCode": release["product_code"],
        "ReleaseDate": released.strftime("%Y-%m-%d"),
        "AppsAndFeaturesEntries": [{"DisplayName": name, "Publisher": publisher, "DisplayVersion": version,
                                    "ProductCode": release["product_code"]}],
        "Installers": [{"Architecture": "x86", "InstallerUrl": setup_url, "InstallerSha256": sha256(setup)}],
        "ManifestType": "installer", "ManifestVersion": WINGET_MANIFEST_VERSION})

    pattern = release["release_url"]
    github = re.match(r"(https://github\.com/[^/]+/[^/]+)/releases/", pattern)
    scoop = {
        "version": version,
        "description": release["summary"],
        "homepage": release["project_url"],
        "license": "MIT",
        "architecture": {arch: {"url": url, "hash": sha256(path).lower(), "extract_dir": path.stem}
                         for arch, (path, url) in zips.items()},
        "shortcuts": [[release["exe"], name]],
        "checkver": {"github": github.group(1)} if github else
                    {"url": release["project_url"], "regex": f"{re.escape(name)}-([\\d.]+)-setup\\.exe"},
        "autoupdate": {"architecture": {
            arch: {"url": pattern.format(version="$version", file=f"{name}-$version-{platform}.zip"),
                   "hash": {"url": "$url.sha256"}, "extract_dir": f"{name}-$version-{platform}"}
            for arch, platform in (("32bit", "win32"), ("64bit", "win64"))}},
    }
    (dist / "scoop").mkdir(exist_ok=True)
    (dist / "scoop" / f"{name.lower()}.json").write_text(json.dumps(scoop, indent=4) + "\n", encoding="utf-8",
                                                        newline="\n")


if __name__ == "__main__":
    main(*sys.argv[1:])
