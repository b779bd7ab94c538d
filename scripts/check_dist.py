#!/usr/bin/env python3
"""Checks the release zip that make dist wrote: its entries, their order, modes and times,
the checksum, the executable inside (the one just built, a 32-bit GUI image without a time
stamp or a path of this machine), and that a second build from a copy of the sources in
another folder gives the same zip byte for byte.

    check_dist.py <dist folder> <vintrel.exe just built> <epoch> <zip of the second build>"""
import hashlib
import pathlib
import struct
import sys
import time
import zipfile

ROOT = pathlib.Path(__file__).resolve().parent.parent


def main():
    dist, built, epoch, second = sys.argv[1:5]
    dist = pathlib.Path(dist)
    zips = sorted(dist.glob("vintrel-*-win32.zip"))
    version = next(l for l in (ROOT / "CMakeLists.txt").read_text().splitlines()
                   if l.startswith("project(Vintrel VERSION")).split()[2]
    checks = []

    def check(what, ok):
        checks.append(ok)
        print(("ok   " if ok else "FAIL ") + what)

    name = f"vintrel-{version}-win32.zip"
    check(f"the zip is named for the version in project(): {name}",
          [z.name for z in zips] == [name])
    data = (dist / name).read_bytes()
    archive = zipfile.ZipFile(dist / name)
    infos = archive.infolist()
    check("vintrel.exe, README.txt and LICENSE.txt, in that order",
          [i.filename for i in infos] == ["vintrel.exe", "README.txt", "LICENSE.txt"])
    stamp = time.gmtime(max(int(epoch), 315532800))[:6]
    stamp = stamp[:5] + (stamp[5] // 2 * 2,)
    check("every entry has the last commit's time and no Unix owner or mode",
          all(i.date_time == stamp and i.create_system == 0 and i.external_attr == 0x20
              for i in infos))
    readme = archive.read("README.txt").decode("ascii")
    check("README.txt names the version, with Windows line ends",
          f"Vintrel {version}" in readme and "\n" not in readme.replace("\r\n", ""))
    check("LICENSE.txt is the MIT license", archive.read("LICENSE.txt").startswith(b"MIT License"))
    sums = (dist / "SHA256SUMS").read_text()
    check("SHA256SUMS holds the zip's checksum",
          sums == f"{hashlib.sha256(data).hexdigest()}  {name}\n")
    exe = archive.read("vintrel.exe")
    check("the zip holds the executable just built", exe == pathlib.Path(built).read_bytes())
    pe = struct.unpack_from("<I", exe, 0x3C)[0]
    machine, _, stamp_in_image = struct.unpack_from("<HHI", exe, pe + 4)
    subsystem = struct.unpack_from("<H", exe, pe + 24 + 68)[0]
    check("a 32-bit (i386) GUI image with no time stamp",
          machine == 0x14C and stamp_in_image == 0 and subsystem == 2)
    check("no path of the build machine in it", str(ROOT).encode() not in exe)
    check("a second build from a copy elsewhere gives the same zip",
          pathlib.Path(second).read_bytes() == data)
    failed = checks.count(False)
    print(f"dist: {len(checks) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
