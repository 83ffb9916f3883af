#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for a
# bounded time: TIZ_FUZZ_SECONDS per target (default 60).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${TIZ_FUZZ_SECONDS:-60}
dir=build/fuzz
CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTIZ_WERROR=ON -DTIZ_FUZZ=ON -DTIZ_BUILD_TESTS=OFF -DTIZ_BUILD_TOOLS=ON \
  -DTIZ_BUILD_BENCH=OFF >/dev/null
targets=(SettingsFileFuzzer TreeFileFuzzer RecordsFuzzer ApiSequenceFuzzer
         TreeRoundTripFuzzer SettingsFilebufferFuzzer ToolArgumentsFuzzer)
cmake --build "$dir" -j "$(nproc 2>/dev/null || echo 2)" --target "${targets[@]}"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
declare -A corpus=([SettingsFileFuzzer]=settings [TreeFileFuzzer]=tree
                   [RecordsFuzzer]=records [ApiSequenceFuzzer]=api
                   [TreeRoundTripFuzzer]=roundtrip [SettingsFilebufferFuzzer]=filebuffer
                   [ToolArgumentsFuzzer]=tool)
# A "filebuffer" count on a file that cannot be read must fail without
# claiming its memory: a smaller allocation limit makes that a finding.
declare -A options=([SettingsFilebufferFuzzer]=-malloc_limit_mb=512)
for target in "${targets[@]}"; do
  work="$dir/corpus-$target"
  mkdir -p "$work"
  echo "== $target: ${seconds}s =="
  "$dir/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$dir/$target-" -print_final_stats=1 ${options[$target]:-} \
    "$work" "fuzz/corpus/${corpus[$target]}" 2>&1 | tail -n 15
done
