#!/usr/bin/env python3
"""Plants a tree shaped like a real drive C:: 300,000 files; five folders of 10,000 entries
each (as Windows' own component stores hold); the rest in 2,500 folders of 100 files at depths
of 3 to 12; one file in 500 a data file of one of the four kinds."""
import os
import sys

root = sys.argv[1]
if os.path.isdir(root):
    sys.exit(0)  # already planted
kinds = [".pst", ".wab", ".pab", ".dbx"]
count = 0


def plant(directory, files):
    global count
    os.makedirs(directory, exist_ok=True)
    for f in range(files):
        count += 1
        ending = kinds[count // 500 % 4] if count % 500 == 0 else ".dll"
        open(os.path.join(directory, f"file{f:05d}{ending}"), "wb").close()


for big in range(5):
    plant(os.path.join(root, "Windows", f"store{big}"), 10000)
for i in range(2500):
    depth = 3 + i % 10
    parts = [f"top{i % 25:02d}"] + [f"level{d}-{(i // 25) % (d + 2)}" for d in range(1, depth - 1)]
    parts.append(f"leaf{i:04d}")
    if i % 40 == 0:
        parts.insert(2, "Outlook Express")
    plant(os.path.join(root, *parts), 100)
print(f"planted {count} files in {root}")
