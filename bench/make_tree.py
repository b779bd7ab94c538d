#!/usr/bin/env python3
"""Plants the benchmark tree: 50 x 10 x 10 directories, 10 files in each of the 5,000 deepest
(50,000 files), one in every 150 of them a data file of one of the four kinds. With --record,
the tree is a backup target: a record at its top names every data file as a copy, with its
size and last-write time."""
import os
import sys

root = sys.argv[1]
record = "--record" in sys.argv[2:]
if os.path.isdir(root):
    sys.exit(0)  # already planted
kinds = [".pst", ".wab", ".pab", ".dbx"]
count = 0
copies = []
for a in range(50):
    for b in range(10):
        for c in range(10):
            d = os.path.join(root, f"dir{a:02d}", f"sub{b}", f"leaf{c}")
            if c == 0:
                d = os.path.join(root, f"dir{a:02d}", f"sub{b}", "Outlook Express")
            os.makedirs(d)
            for f in range(10):
                count += 1
                ending = kinds[count // 150 % 4] if count % 150 == 0 else ".txt"
                path = os.path.join(d, f"file{f}{ending}")
                with open(path, "wb") as out:
                    out.write(b"x" * (count % 7))
                if ending != ".txt":
                    copies.append(path)
if record:
    # A FILETIME counts 100-nanosecond steps from 1601; Linux counts nanoseconds from 1970.
    with open(os.path.join(root, "Vintrel Copies.txt"), "wb") as out:
        for path in copies:
            facts = os.stat(path)
            below = os.path.relpath(path, root).replace("/", "\\")
            time = facts.st_mtime_ns // 100 + 116444736000000000
            out.write(f"{below}\t{facts.st_size}\t{time}\t-\r\n".encode())
