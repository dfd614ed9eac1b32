#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz and runs each one for a fixed
# time (first argument, seconds; default 30) over a copy of its seed corpus. Fails on the
# first target that crashes or breaks one of its properties.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DVOREL_FUZZ=ON -DVOREL_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=()
for source in fuzz/*_fuzz.cpp; do
  targets+=("$(basename "${source%.cpp}")")
done
cmake --build build-fuzz -j2 --target "${targets[@]}"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
status=0
for target in "${targets[@]}"; do
  name="${target%_fuzz}"
  mkdir -p "$work/$name/corpus" "$work/$name/artifacts"
  if [ -d "fuzz/corpus/$name" ]; then cp -r "fuzz/corpus/$name/." "$work/$name/corpus/"; fi
  echo "== $target (${seconds} s)"
  if ./build-fuzz/fuzz/"$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=25 -print_final_stats=1 \
      -artifact_prefix="$work/$name/artifacts/" "$work/$name/corpus" >"$work/$name/log" 2>&1; then
    grep -E "DONE|stat::number_of_executed_units" "$work/$name/log" | tail -2
  else
    status=1
    echo "FAILED: $target"
    tail -40 "$work/$name/log"
    for artifact in "$work/$name/artifacts"/*; do
      [ -e "$artifact" ] && { echo "input $(basename "$artifact"):"; base64 -w0 "$artifact"; echo; }
    done
  fi
done
exit "$status"
