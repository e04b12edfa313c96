#!/usr/bin/env bash
# Installs what is needed, then builds and runs the whole test suite twice:
# a normal build, and one under AddressSanitizer + UndefinedBehaviorSanitizer;
# then the tests that run the engine's threads once more under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
jobs=$(nproc)
for kind in normal asan tsan; do
  dir=build-test-$kind
  flags=(-DPELLAVAN_WERROR=ON)
  target=all
  select=()
  [ $kind = asan ] && flags+=(-DPELLAVAN_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
  [ $kind = tsan ] && flags+=(-DPELLAVAN_TSAN=ON) && target=threaded_tests && select=(-L threaded)
  cmake -S . -B "$dir" -G Ninja "${flags[@]}"
  cmake --build "$dir" -j "$jobs" --target "$target"
  (cd "$dir" && ctest --output-on-failure -j "$jobs" --timeout 600 "${select[@]}")
done
