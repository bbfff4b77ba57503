"""Checks the winget and Scoop manifests that scripts/package wrote beside
the packages: they parse (YAML, JSON), carry the fields the two package
managers need, and their hashes and file names are those of the packages in
the folder.

    python3 check_manifests.py DIST VERSION"""

import hashlib
import json
import sys
from pathlib import Path
from urllib.parse import urlparse

import yaml

IDENTIFIER = "Hobrast.Tarvelo"


def sha256(path):
    return hashlib.sha256(path.read_bytes()).hexdigest()


def check(dist, version):
    problems = []

    def expect(condition, text):
        if not condition:
            problems.append(text)

    def package_of(url):
        path = dist / Path(urlparse(url).path).name
        expect(path.is_file(), f"{url} names no package in {dist}")
        return path

    folder = dist / "winget" / "manifests" / "h" / "Hobrast" / "Tarvelo" / version
    manifests = {kind: yaml.safe_load((folder / f"{IDENTIFIER}{suffix}.yaml").read_text(encoding="utf-8"))
                 for kind, suffix in (("version", ""), ("defaultLocale", ".locale.en-US"),
                                      ("installer", ".installer"))}
    for kind, manifest in manifests.items():
        expect(manifest["ManifestType"] == kind and manifest["ManifestVersion"] == "1.12.0",
               f"winget {kind}: type or manifest version")
        expect(manifest["PackageIdentifier"] == IDENTIFIER and manifest["PackageVersion"] == version,
               f"winget {kind}: identifier or version")
    expect(manifests["version"]["DefaultLocale"] == "en-US", "winget version: default locale")
    locale = manifests["defaultLocale"]
    for field in ("Publisher", "PackageName", "License", "ShortDescription", "Description", "Tags"):
        expect(locale.get(field), f"winget locale: {field} missing")
    installer = manifests["installer"]
    expect(installer.get("InstallerType") == "nullsoft" and installer.get("Scope") == "user",
           "winget installer: type and scope")
    expect(installer.get("InstallerSwitches", {}).get("Silent") == "/S", "winget installer: silent switch")
    expect(installer.get("UpgradeBehavior") == "install", "winget installer: upgrade behaviour")
    expect(installer.get("ProductCode") == "Tarvelo", "winget installer: product code = uninstall key")
    expect(installer.get("ReleaseDate") and installer.get("AppsAndFeaturesEntries"),
           "winget installer: release date and Apps & Features entry")
    for entry in installer["Installers"]:
        path = package_of(entry["InstallerUrl"])
        expect(path.name == f"Tarvelo-{version}-setup.exe", f"winget installer: {path.name}")
        expect(path.is_file() and entry["InstallerSha256"].lower() == sha256(path), f"winget: hash of {path.name}")

    scoop = json.loads((dist / "scoop" / "tarvelo.json").read_text(encoding="utf-8"))
    expect(scoop["version"] == version and scoop.get("checkver") and scoop.get("shortcuts"),
           "scoop: version, checkver, shortcuts")
    for arch, platform in (("32bit", "win32"), ("64bit", "win64")):
        entry = scoop["architecture"][arch]
        path = package_of(entry["url"])
        expect(path.name == f"Tarvelo-{version}-{platform}.zip", f"scoop {arch}: {path.name}")
        expect(path.is_file() and entry["hash"].lower() == sha256(path), f"scoop {arch}: hash of {path.name}")
        expect(entry["extract_dir"] == path.stem, f"scoop {arch}: extract_dir")
        update = scoop["autoupdate"]["architecture"][arch]
        expect("$version" in update["url"] and update["hash"] == {"url": "$url.sha256"},
               f"scoop {arch}: autoupdate")
        # The hash that autoupdate reads is the one the release carries.
        checksum = dist / f"{path.name}.sha256"
        expect(checksum.is_file() and checksum.read_text().split()[0] == sha256(path),
               f"{checksum.name} beside {path.name}")
    return problems


if __name__ == "__main__":
    found = check(Path(sys.argv[1]), sys.argv[2])
    for problem in found:
        print(f"FAILED: {problem}")
    print("manifests: " + ("wrong" if found else "parse, carry their fields, and match the packages"))
    sys.exit(1 if found else 0)
