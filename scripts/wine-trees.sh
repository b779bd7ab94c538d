#!/usr/bin/env bash
# Sourced by the scripts that run Windows programs: decides which build trees this machine
# can run under Wine and says so in one line.
#   wine_trees   the trees to run, the product's first (build/win32, build/win64)
#   run_tree     the tree that `make run` starts
# Some kernels cannot run 32-bit Linux programs at all (no IA-32 emulation), and then the
# 32-bit Wine cannot start; the x86-64 twin runs under the 64-bit Wine everywhere.
# VINTREL_X64_ONLY=1 takes that path on any machine, so that it can be tried anywhere.

# True when the kernel runs a 32-bit x86 program: a minimal static ELF32 that only exits 0.
can_run_32bit() {
    [ "$(uname -m)" = x86_64 ] || [ "$(uname -m)" = i686 ] || return 1
    local probe
    probe="$(mktemp)"
    printf '%b' \
        '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' \
        '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' \
        '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00' \
        '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' \
        '\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' \
        '\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$probe"
    chmod +x "$probe"
    local ok=1
    "$probe" 2>/dev/null && ok=0
    rm -f "$probe"
    return $ok
}

if [ "${VINTREL_X64_ONLY:-}" = 1 ]; then
    wine_trees=(build/win64)
    wine_reason="VINTREL_X64_ONLY=1: testing the x86-64 build under the 64-bit Wine only (the 32-bit build is still built)"
elif can_run_32bit && ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed' &&
     [ "${VINTREL_INSTALLING:-}" != 1 ]; then
    wine_trees=(build/win64)
    wine_reason="the 32-bit Wine (wine32:i386) is not installed here: testing the x86-64 build under the 64-bit Wine (the 32-bit build is still built)"
elif can_run_32bit; then
    wine_trees=(build/win32 build/win64)
    wine_reason="this machine runs 32-bit programs: testing the 32-bit build under the 32-bit Wine and its x86-64 twin under the 64-bit Wine"
else
    wine_trees=(build/win64)
    wine_reason="this machine cannot run 32-bit programs: testing the x86-64 build under the 64-bit Wine (the 32-bit build is still built)"
fi
run_tree="${wine_trees[0]}"
