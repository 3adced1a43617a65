#!/usr/bin/env bash
# Builds and runs the whole test suite: once as a normal build, then the
# Debian package is built and checked (installed programs run by an
# unprivileged user), once with AddressSanitizer and UndefinedBehaviorSanitizer,
# then the fuzz targets (30 s each; FUZZ_SECONDS sets another time).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh --tests
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDRILLING_BENCH=ON >/dev/null
ninja -C build-test -j"$jobs"
ctest --test-dir build-test --output-on-failure -j1

deb=$(bash scripts/build-deb.sh | tail -n 1)
bash scripts/check-package.sh "$deb"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DDRILLING_SANITIZE=ON -DDRILLING_BENCH=OFF >/dev/null
ninja -C build-asan -j"$jobs"
ctest --test-dir build-asan --output-on-failure -j1

bash scripts/fuzz.sh
