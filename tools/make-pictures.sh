#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Redraws the program's pictures into resources/ (they are committed).
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${BUILD_DIR:-build}
cmake -S . -B "$dir" -G Ninja >/dev/null
cmake --build "$dir" --target pellavan_draw_pictures
"$dir/tools/pellavan_draw_pictures" resources
