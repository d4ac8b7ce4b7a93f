#!/usr/bin/env bash
# Installs what is needed, then builds and runs every test headless: once with warnings as
# errors, once under AddressSanitizer and UndefinedBehaviorSanitizer. Checks the formatting and
# that the benchmarks build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-packages.sh
export QT_QPA_PLATFORM=offscreen

echo "== formatting"
files=$(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'tools/*.cpp' 'fuzz/*.cpp' 'fuzz/*.h')
clang-format --dry-run --Werror $files

echo "== build and test"
cmake -S . -B build-ci -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DJUKORA_WERROR=ON
cmake --build build-ci
cmake --build build-ci --target benchmarks
ctest --test-dir build-ci --output-on-failure

echo "== build and test with sanitizers"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DJUKORA_SANITIZE=ON
cmake --build build-asan
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure

echo "== fuzz targets, 30 seconds each"
bash scripts/fuzz.sh 30
