#!/usr/bin/env python3
"""Swaps a name for a Linux link to a victim the moment it appears, again and again, until
killed: what another Linux user who may write in a folder could do to a run under Wine.

  race-swap.py FOLDER PATTERN VICTIM [--on create,moved_to,close_write,open] [--deep]
               [--swap PATH] [--count FILE]

FOLDER is watched (with --deep, every folder made below it too); a name matching PATTERN
(fnmatch, on the name alone) is swapped: a file or a Linux link is removed and a link to
VICTIM put in its place; a folder is renamed aside (NAME.swapped-N) and the link put in its
place (VICTIM then being a folder). With --swap, the name that appears is only the signal,
and PATH is swapped instead. FILE holds the number of swaps so far (0 once the watch is set).
"""
import argparse
import ctypes
import fnmatch
import os
import struct

EVENTS = {"create": 0x100, "moved_to": 0x80, "close_write": 0x08, "modify": 0x02, "open": 0x20}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("pattern")
    parser.add_argument("victim")
    parser.add_argument("--on", default="create,moved_to")
    parser.add_argument("--deep", action="store_true")
    parser.add_argument("--swap")
    parser.add_argument("--count")
    args = parser.parse_args()
    libc = ctypes.CDLL(None, use_errno=True)
    fd = libc.inotify_init1(0)
    if fd < 0:
        raise OSError(ctypes.get_errno(), "inotify_init1")
    wanted = 0
    for name in args.on.split(","):
        wanted |= EVENTS[name]
    mask = wanted | (EVENTS["create"] if args.deep else 0)
    watched = {}

    swaps = 0

    def counted():
        if args.count:
            with open(args.count + ".part", "w") as out:
                out.write("%d\n" % swaps)
            os.replace(args.count + ".part", args.count)

    def watch(folder):
        wd = libc.inotify_add_watch(fd, os.fsencode(folder), mask)
        if wd >= 0:
            watched[wd] = folder
        # What came into a new folder before its watch was set (a loaded machine is slow).
        if folder != args.folder:
            for name in os.listdir(folder):
                seen(folder, name, wanted)

    def seen(folder, name, event):
        nonlocal swaps
        path = os.path.join(folder, name)
        if args.deep and os.path.isdir(path) and not os.path.islink(path):
            watch(path)
        if not fnmatch.fnmatchcase(name, args.pattern) or not event & wanted:
            return
        path = args.swap or path
        if os.path.islink(path) and os.readlink(path) == args.victim:
            return  # the link this made
        try:
            if os.path.isdir(path) and not os.path.islink(path):
                os.rename(path, "%s.swapped-%d" % (path, swaps))
            else:
                os.unlink(path)
            os.symlink(args.victim, path)
        except OSError:
            return
        swaps += 1
        counted()

    for folder, _, _ in os.walk(args.folder) if args.deep else [(args.folder, 0, 0)]:
        watch(folder)
    counted()
    while True:
        data = os.read(fd, 65536)
        at = 0
        while at < len(data):
            wd, event, _, length = struct.unpack_from("iIII", data, at)
            name = os.fsdecode(data[at + 16:at + 16 + length].rstrip(b"\0"))
            at += 16 + length
            if wd in watched and name:
                seen(watched[wd], name, event)

if __name__ == "__main__":
    main()
