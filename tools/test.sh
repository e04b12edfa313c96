#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is needed, then builds and runs the whole test suite twice:
# a normal build, and one under AddressSanitizer + UndefinedBehaviorSanitizer;
# then the tests that run the engine's threads once more under ThreadSanitizer,
# and the IFO fuzzer (clang's libFuzzer) for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
jobs=$(nproc)
for kind in normal asan tsan fuzz; do
  dir=build-test-$kind
  flags=(-DPELLAVAN_WERROR=ON)
  target=all
  select=()
  [ $kind = asan ] && flags+=(-DPELLAVAN_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
  [ $kind = tsan ] && flags+=(-DPELLAVAN_TSAN=ON) && target=threaded_tests && select=(-L threaded)
  [ $kind = fuzz ] && flags+=(-DPELLAVAN_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) &&
    target=fuzz_ifo && select=(-L fuzz)
  cmake -S . -B "$dir" -G Ninja "${flags[@]}"
  cmake --build "$dir" -j "$jobs" --target "$target"
  (cd "$dir" && ctest --output-on-failure -j "$jobs" --timeout 600 "${select[@]}")
done
