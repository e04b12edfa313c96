#!/usr/bin/env bash
# Installs what is needed, then builds and runs the whole test suite twice:
# a normal build, and one under AddressSanitizer + UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
jobs=$(nproc)
for kind in normal asan; do
  dir=build-test-$kind
  flags=(-DPELLAVAN_WERROR=ON)
  [ $kind = asan ] && flags+=(-DPELLAVAN_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
  cmake -S . -B "$dir" -G Ninja "${flags[@]}"
  cmake --build "$dir" -j "$jobs"
  (cd "$dir" && ctest --output-on-failure -j "$jobs" --timeout 600)
done
