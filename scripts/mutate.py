#!/usr/bin/env python3
"""A small mutation pass over the portable core: puts single-line faults into src/app,
src/discovery, src/profile, src/copies, src/backup and src/unattended one at a time, rebuilds the native
tree and runs the unit tests. A fault that no test notices is printed; the score is the share
of faults caught among those that still build. A fault that builds to its file's very object code
is the same program, and is counted apart.

    python3 scripts/mutate.py [--sample N] [--seed S] [--build DIR] [--only src/backup/backup.cpp,src/app]
Works on a copy of the sources, so the tree itself is never touched.

When code moves, the same faults can be tried before and after: --record FILE keeps each
fault tried (its line as it was and as changed, and whether it was caught); --replay FILE, run
on the later tree, puts each recorded fault into the line that reads the same wherever it
now lives, and says which faults caught before are caught no longer."""
import argparse
import json
import pathlib
import random
import re
import shutil
import subprocess
import sys
import tempfile

ROOT = pathlib.Path(__file__).resolve().parent.parent
FOLDERS = ["src/app", "src/discovery", "src/profile", "src/copies", "src/backup", "src/unattended"]

# Each rewrites one occurrence in a line.
OPERATORS = [
    (r"==", "!="), (r"!=", "=="), (r"<=", "<"), (r">=", ">"), (r"(?<![<-])<(?![<=])", "<="),
    (r"(?<![>-])>(?![>=])", ">="), (r"&&", "||"), (r"\|\|", "&&"), (r"\btrue\b", "false"),
    (r"\bfalse\b", "true"), (r"\+ 1\b", "- 1"), (r"- 1\b", "+ 1"), (r"\b0\b", "1"),
    (r"\breturn ([^;]+);", r"return {};"), (r"!(?=[A-Za-z_(])", ""), (r"\+\+", "--"),
]

# "return {};" for a return of an empty value is the same program, not a fault: never drawn.
SAME_PROGRAM = re.compile(r"^return (false|0|nullptr|std::nullopt|\"\"|\{\}|std::string\(\));")


def code_end(line):
    """Where a line's code ends: at a comment that is outside any literal, or at its end."""
    quote, escaped = None, False
    for at, c in enumerate(line):
        if quote:
            if escaped:
                escaped = False
            elif c == "\\":
                escaped = True
            elif c == quote:
                quote = None
        elif c in "\"'":
            quote = c
        elif line.startswith("//", at):
            return at
    return len(line)


def mutants(path):
    lines = path.read_text().split("\n")
    for number, line in enumerate(lines):
        end = code_end(line)  # a fault in a comment is none
        code = line[:end].strip()
        if (not code or code.startswith(("//", "#", "namespace", "}")) or "constexpr" in code
                or code.startswith(("inline", "struct", "class", "enum"))):
            continue
        for pattern, replacement in OPERATORS:
            for match in re.finditer(pattern, line[:end]):
                changed = line[:match.start()] + re.sub(pattern, replacement, line[match.start():], count=1)
                if changed != line and not SAME_PROGRAM.search(line[match.start():]):
                    yield number, changed
        # A statement left out.
        if code.endswith(";") and not code.startswith(("return", "case", "default", "break")):
            yield number, re.sub(r"\S.*", "", line) + ";"


def lines_of(text):
    return text.split("\n")


def context(lines, number):
    """The lines on either side of a line, as they read: what tells one copy of a line from
    another of the same words."""
    return [line.strip() for line in lines[max(0, number - 3):number] + lines[number + 1:number + 4]]


def replayed(work, record, before):
    """The recorded faults that still build, each put into the line that now reads as its line
    did, in whichever file of the portable core holds it; faults whose line is gone are said."""
    lines = {}
    for folder in FOLDERS:
        for path in sorted((work / folder).glob("*.cpp")) + sorted((work / folder).glob("*.h")):
            for number, line in enumerate(lines_of(path.read_text())):
                lines.setdefault(line.strip(), []).append((path, number, line))
    texts = {}
    found, gone = [], 0
    for text in pathlib.Path(record).read_text().splitlines():
        fault = json.loads(text)
        places = lines.get(fault["original"].strip(), [])
        if not places:
            gone += 1
            print(f"GONE {fault['file']}: {fault['original'].strip()}", flush=True)
            continue
        # Where the same line reads the same in several places ("return false;"): the one among
        # the same lines around it, then one in a file of the same name, then the one nearest
        # the line the fault was tried on.
        name = pathlib.Path(fault["file"]).name
        around = set(fault.get("context", []))

        def likeness(place):
            if place[0] not in texts:
                texts[place[0]] = lines_of(place[0].read_text())
            return (-len(around & set(context(texts[place[0]], place[1]))),
                    place[0].name != name, abs(place[1] - fault.get("line", 0)))
        path, number, line = min(places, key=likeness)
        indent = line[:len(line) - len(line.lstrip())]
        found.append((path, number, indent + fault["changed"].lstrip()))
        # Known by where it is tried now: the same fault on two like lines may have fared apart.
        before[(path, number, fault["changed"].strip())] = (
            "caught" if fault["caught"] else "survived")
    was = sum(1 for v in before.values() if v == "caught")
    print(f"{len(found)} recorded faults found again ({was} caught before), {gone} whose line is "
          "gone", flush=True)
    return found


def main():
    options = argparse.ArgumentParser()
    options.add_argument("--sample", type=int, default=0, help="try this many, chosen at random")
    options.add_argument("--seed", type=int, default=1)
    options.add_argument("--build", default="")
    options.add_argument("--only", default="",
                         help="only the files whose path starts so (several: comma-separated)")
    options.add_argument("--record", default="", help="keep every fault tried in this file")
    options.add_argument("--replay", default="", help="try the faults a --record file kept")
    args = options.parse_args()

    work = pathlib.Path(tempfile.mkdtemp(prefix="vintrel-mutate-"))
    for part in ["src", "tests", "cmake", "CMakeLists.txt", "CMakePresets.json"]:
        source = ROOT / part
        (shutil.copytree if source.is_dir() else shutil.copy)(source, work / part)
    build = pathlib.Path(args.build) if args.build else work / "build"
    # No debug information: it keeps where each token stood, and the same program would build
    # to other bytes.
    configure = ["cmake", "-S", str(work), "-B", str(build), "-G", "Ninja",
                 "-DCMAKE_BUILD_TYPE=", "-DCMAKE_CXX_FLAGS=-O0"]
    subprocess.run(configure, check=True, stdout=subprocess.DEVNULL)
    target = ["cmake", "--build", str(build), "--target", "vintrel_unit_tests"]
    subprocess.run(target, check=True, stdout=subprocess.DEVNULL)
    tests = build / "bin" / "vintrel_unit_tests"
    # A fault that compiles to the very object code of its file is the same program, not a
    # fault ("return CopyOutcome::Copied;" made "return {};", the first of its enum): it is
    # known by its object file, kept here as the program builds it.
    objects = build / "CMakeFiles" / "vintrel_core.dir"
    own_code = {path: path.read_bytes() for path in objects.rglob("*.o")}

    candidates = []
    for folder in FOLDERS:
        for path in sorted((work / folder).glob("*.cpp")) + sorted((work / folder).glob("*.h")):
            if str(path.relative_to(work)).startswith(tuple(args.only.split(","))):
                candidates += [(path, n, changed) for n, changed in mutants(path)]
    random.seed(args.seed)
    if args.sample and args.sample < len(candidates):
        candidates = random.sample(candidates, args.sample)
    before = {}
    if args.replay:
        candidates = replayed(work, args.replay, before)

    caught = survived = broken = lost = same = 0
    kept = open(args.record, "w") if args.record else None
    for path, number, changed in candidates:
        original = path.read_text()
        lines = original.split("\n")
        lines[number] = changed
        path.write_text("\n".join(lines))
        try:
            built = subprocess.run(target, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0
            if not built:
                broken += 1
                continue
            made = objects / (str(path.relative_to(work)) + ".o")
            if path.suffix == ".cpp" and made in own_code and made.read_bytes() == own_code[made]:
                same += 1
                continue
            try:
                ran = subprocess.run([str(tests), "--gtest_brief=1", "--gtest_fail_fast"], stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL, timeout=60).returncode
            except subprocess.TimeoutExpired:
                ran = 1  # a hang is noticed too
            if ran == 0:
                survived += 1
                print(f"SURVIVED {path.relative_to(work)}:{number + 1}: {changed.strip()}", flush=True)
                if before.get((path, number, changed.strip())) == "caught":
                    lost += 1
                    print("  ...caught before the code moved", flush=True)
            else:
                caught += 1
            if kept:
                kept.write(json.dumps({"file": str(path.relative_to(work)), "line": number,
                                       "original": original.split("\n")[number],
                                       "context": context(lines_of(original), number),
                                       "changed": changed,
                                       "caught": ran != 0}) + "\n")
                kept.flush()  # a run cut short keeps what it tried
        finally:
            path.write_text(original)
    total = caught + survived
    print(f"{caught} of {total} faults that build caught ({100 * caught / max(total, 1):.1f}%); "
          f"{broken} did not build; {same} built to the program's own object code (the same "
          "program, no fault)", flush=True)
    if args.replay:
        print(f"{lost} of the faults caught before the code moved are caught no longer", flush=True)
    shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
