#!/usr/bin/env bash
# Builds Vorel with AddressSanitizer and UndefinedBehaviorSanitizer into build-asan/ and
# runs every test there. Leaks inside system libraries (GLib, GStreamer...) are listed in
# tests/lsan.supp; ours are never suppressed.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOREL_SANITIZE=ON -DVOREL_BENCH=OFF >/dev/null
cmake --build build-asan -j2
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:fast_unwind_on_malloc=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
cd build-asan
ctest --output-on-failure -j2 --timeout 600
