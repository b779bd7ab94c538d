#!/usr/bin/env bash
# Fuzzes the profile reader with libFuzzer (clang, AddressSanitizer, UndefinedBehaviorSanitizer).
# Not part of make test. FUZZ_SECONDS sets how long it runs (default 60).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
mkdir -p build/fuzz/corpus
clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -Isrc \
    tests/fuzz/profile_fuzz.cpp src/profile/profile_format.cpp src/app/file_list.cpp \
    src/app/paths.cpp -o build/fuzz/profile_fuzz
cp -n tests/fuzz/corpus/* build/fuzz/corpus/ 2>/dev/null || true
build/fuzz/profile_fuzz -max_total_time="${FUZZ_SECONDS:-60}" -max_len=4096 build/fuzz/corpus
