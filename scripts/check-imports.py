#!/usr/bin/env python3
"""Fails when vintrel.exe imports a call that Windows XP SP3 does not have: XP's loader refuses
to start a program with any such import, before a line of it runs.

    python3 scripts/check-imports.py build/win32/bin/vintrel.exe [more.exe ...]

A call of the system's libraries passes when the MinGW-w64 headers declare it for Windows XP
(_WIN32_WINNT and WINVER 0x0501): they declare each newer call only for the Windows that has it.
The C runtime's calls (msvcrt.dll) are not versioned by the headers; they pass when they stand
in the list below, of calls that XP SP3's msvcrt.dll exports. Calls newer than XP are reached
through the late-bound table (src/win32/system_calls.h), which imports nothing."""
import pathlib
import re
import subprocess
import sys
import tempfile

# Each call of msvcrt.dll that the program imports today, all exported by XP SP3's msvcrt.dll
# (version 7.0). A new one is added only once it is known to be there.
XP_MSVCRT = set("""
___lc_codepage_func ___mb_cur_max_func __argc __argv __dllonexit __getmainargs __initenv
__mb_cur_max __p___argv __p__acmdln __p__commode __p__fmode atoi setlocale strchr
__iob_func __lconv_init __set_app_type __setusermatherr _acmdln _amsg_exit _beginthreadex
_cexit _close _commode _endthreadex _errno _fmode _fpreset _initterm _iob _lock _onexit _read
_setjmp _setjmp3 _strdup _ultoa _unlock abort atexit calloc exit fprintf fputc fputs free
fwrite localeconv longjmp malloc memchr memcmp memcpy memmove memset printf realloc signal
strcmp strerror strlen strncmp strncpy strtol vfprintf wcslen
""".split())

SYSTEM_HEADERS = ["windows.h", "commctrl.h", "objbase.h", "shellapi.h", "shlobj.h", "imagehlp.h"]


def imports(exe, objdump):
    """(library, call) for every call the executable imports by name."""
    text = subprocess.run([objdump, "-p", exe], check=True, capture_output=True,
                          text=True).stdout
    found, library = [], None
    for line in text.splitlines():
        named = re.match(r"\s*DLL Name: (\S+)", line)
        if named:
            library = named.group(1).lower()
            continue
        call = re.match(r"\t[0-9a-f]+\t +\d+ +(\w+)", line)
        if library and call:
            found.append((library, call.group(1)))
    return found


def undeclared_for_xp(calls, compiler):
    """The calls that the headers do not declare for Windows XP."""
    if not calls:
        return set()
    with tempfile.TemporaryDirectory() as folder:
        source = pathlib.Path(folder) / "xp.c"
        source.write_text(
            "#define _WIN32_WINNT 0x0501\n#define WINVER 0x0501\n#define _WIN32_IE 0x0600\n" +
            "".join(f"#include <{h}>\n" for h in SYSTEM_HEADERS) +
            "".join(f"void *use_{n}_{i} = (void *)&{n};\n" for i, n in enumerate(calls)))
        result = subprocess.run([compiler, "-fsyntax-only", "-w", str(source)],
                                capture_output=True, text=True)
    return set(re.findall(r"'(\w+)' undeclared", result.stderr.replace("\u2018", "'")
                          .replace("\u2019", "'"))) & set(calls)


def main():
    failed = False
    for exe in sys.argv[1:]:
        text = subprocess.run(["file", "-b", exe], capture_output=True, text=True).stdout
        triple = "x86_64-w64-mingw32" if "x86-64" in text else "i686-w64-mingw32"
        found = imports(exe, f"{triple}-objdump")
        if not found:
            print(f"check-imports: {exe}: no imports read", file=sys.stderr)
            failed = True
            continue
        crt = [c for lib, c in found if lib.startswith("msvcrt")]
        system = sorted({c for lib, c in found if not lib.startswith("msvcrt")})
        missing = sorted(undeclared_for_xp(system, f"{triple}-gcc"))
        missing += sorted(c + " (msvcrt.dll)" for c in set(crt) - XP_MSVCRT)
        if missing:
            failed = True
            print(f"check-imports: {exe} imports what Windows XP SP3 lacks (call it through "
                  f"src/win32/system_calls.h): {', '.join(missing)}", file=sys.stderr)
        else:
            print(f"check-imports: {exe}: all {len(found)} imports are on Windows XP SP3")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
