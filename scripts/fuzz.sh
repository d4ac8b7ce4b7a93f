#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz and runs each for the given number of seconds
# (default 30) on a copy of its seed corpus. Usage: scripts/fuzz.sh [seconds] [target...]
# Ends non-zero when a target finds a crash, a hang or a failed check; what it found is left
# in build-fuzz/findings/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(CommandStrings CueFile FileNames CommandLine PlaylistNames)

mkdir -p build-fuzz
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DJUKORA_FUZZ=ON > build-fuzz/configure.log 2>&1 || { cat build-fuzz/configure.log; exit 1; }
cmake --build build-fuzz --target $(printf 'fuzz_%s ' "${targets[@]}")

export QT_QPA_PLATFORM=offscreen JUKORA_MPV_OPTIONS="ao=null vo=null"
export ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
for target in "${targets[@]}"; do
  work=build-fuzz/corpus/$target findings=build-fuzz/findings/$target
  rm -rf "$work" "$findings"
  mkdir -p "$work" "$findings"
  cp fuzz/corpus/$target/* "$work/"
  echo "== fuzz $target for $seconds s"
  if ! build-fuzz/fuzz_$target -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="$findings/" -print_final_stats=1 "$work" \
       > "build-fuzz/$target.log" 2>&1; then
    status=1
    tail -40 "build-fuzz/$target.log"
  fi
  grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "build-fuzz/$target.log" || true
done
exit $status
