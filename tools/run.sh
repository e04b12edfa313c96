#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is needed, builds Pellavan and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake -S . -B build -G Ninja -DPELLAVAN_TESTS=OFF
cmake --build build -j "$(nproc)"
# A sample DVD folder for those without a disc (made once).
if [ -x tests/engine/make-test-discs.sh ] && [ ! -d "$HOME/Pellavan sample DVD/VIDEO_TS" ]; then
  tests/engine/make-test-discs.sh --sample "$HOME/Pellavan sample DVD" || echo "Could not make the sample DVD folder." >&2
fi
exec build/shell/pellavan
