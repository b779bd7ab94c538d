#!/usr/bin/env python3
"""Plants a tree shaped like a real drive C:: 300,000 files; five folders of 10,000 entries
each (as Windows' own component stores hold); the rest in 2,500 folders of 100 files at depths
of 3 to 12; one file in 500 a data file of one of the four kinds. A backup target holds
copies of 2,000 of them, 20 of which are data files, named in its record of copies."""
import os
import sys

root = sys.argv[1]
backup = os.path.join(root, "Backup")
if os.path.isdir(backup):
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


if os.path.isdir(root):
    count = 300000  # planted before the backup target was
for big in range(5) if count == 0 else []:
    plant(os.path.join(root, "Windows", f"store{big}"), 10000)
for i in range(2500) if count < 300000 else []:
    depth = 3 + i % 10
    parts = [f"top{i % 25:02d}"] + [f"level{d}-{(i // 25) % (d + 2)}" for d in range(1, depth - 1)]
    parts.append(f"leaf{i:04d}")
    if i % 40 == 0:
        parts.insert(2, "Outlook Express")
    plant(os.path.join(root, *parts), 100)
# The copies a backup made, and the record of them at the target's root.
record = []
for leaf in range(20):
    relative = os.path.join("Mail", f"leaf{leaf:02d}")
    os.makedirs(os.path.join(backup, relative))
    for f in range(100):
        name = f"file{f:05d}" + (".pst" if f == 0 else ".dll")
        open(os.path.join(backup, relative, name), "wb").close()
        record.append(relative.replace("/", "\\") + "\\" + name)
with open(os.path.join(backup, "Vintrel Copies.txt"), "w", newline="") as text:
    text.write("".join(line + "\r\n" for line in record))
print(f"planted {count} files and a backup of {len(record)} in {root}")
