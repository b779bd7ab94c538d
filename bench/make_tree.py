#!/usr/bin/env python3
"""Plants the benchmark tree: 50 x 10 x 10 directories, 10 files in each of the 5,000 deepest
(50,000 files), one in every 150 of them a data file of one of the four kinds."""
import os
import sys

root = sys.argv[1]
if os.path.isdir(root):
    sys.exit(0)  # already planted
kinds = [".pst", ".wab", ".pab", ".dbx"]
count = 0
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
                with open(os.path.join(d, f"file{f}{ending}"), "wb") as out:
                    out.write(b"x" * (count % 7))
