#!/usr/bin/env python3
"""Packs the release zip the same way every time: fixed order, modes and times of the
entries, text files with Windows line ends; then writes SHA256SUMS.

    pack_dist.py <vintrel.exe> <version> <epoch> <out folder>
    pack_dist.py --tests <folder of the Win32 tests> <version> <epoch> <out folder>"""
import hashlib
import pathlib
import sys
import time
import zipfile

ROOT = pathlib.Path(__file__).resolve().parent.parent


def windows_text(text):
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode("ascii")


def pack_tests(binaries, version, stamp, out):
    """The test kit: the Win32 tests, the program they start, and how to run them."""
    readme = (ROOT / "docs" / "README-tests.txt").read_text().replace("@VERSION@", version)
    entries = [
        ("vintrel_win32_tests.exe", (binaries / "vintrel_win32_tests.exe").read_bytes()),
        ("vintrel.exe", (binaries / "vintrel.exe").read_bytes()),
        ("README.txt", windows_text(readme)),
    ]
    name = f"vintrel-{version}-win32-tests.zip"
    with zipfile.ZipFile(out / name, "w") as archive:
        for entry, data in entries:
            info = zipfile.ZipInfo(entry, date_time=stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0
            info.external_attr = 0x20
            archive.writestr(info, data, compresslevel=9)
    print(out / name)


def main():
    if sys.argv[1] == "--tests":
        binaries, version, epoch, out = sys.argv[2:6]
        stamp = time.gmtime(max(int(epoch), 315532800))[:6]
        pack_tests(pathlib.Path(binaries), version, stamp, pathlib.Path(out))
        return
    exe, version, epoch, out = sys.argv[1:5]
    out = pathlib.Path(out)
    # Zip times have two-second steps and start in 1980.
    stamp = time.gmtime(max(int(epoch), 315532800))[:6]
    readme = (ROOT / "docs" / "README-windows.txt").read_text().replace("@VERSION@", version)
    entries = [
        ("vintrel.exe", pathlib.Path(exe).read_bytes()),
        ("README.txt", windows_text(readme)),
        ("LICENSE.txt", windows_text((ROOT / "LICENSE").read_text())),
    ]
    name = f"vintrel-{version}-win32.zip"
    with zipfile.ZipFile(out / name, "w") as archive:
        for entry, data in entries:
            info = zipfile.ZipInfo(entry, date_time=stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0  # made on "MS-DOS": no Unix owner or mode in the entry
            info.external_attr = 0x20  # the archive attribute, nothing else
            archive.writestr(info, data, compresslevel=9)
    digest = hashlib.sha256((out / name).read_bytes()).hexdigest()
    (out / "SHA256SUMS").write_text(f"{digest}  {name}\n")
    print(f"{out / name}\n{digest}  {name}")


if __name__ == "__main__":
    main()
