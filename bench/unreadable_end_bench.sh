#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A disc that cannot be read to its end: `dvdconvert convert … --codec 2` of
# a 23-minute title split over two VOB files, with every read after the
# title's first 50 MB failing (the FailingReads shim): each failing read
# taking 300 ms (a drive that gives up quickly), 3 s (a drive that retries),
# and the medium gone (ENOMEDIUM at once).  Prints each run's wall time and
# output length against the goals, and what dvdconvert said of the loss.
#
# The title (about 1.1 GB) is authored once into CACHE_DIR (default
# /tmp/pellavan-unreadable-end) and reused while it is there.
#
# usage: bench/unreadable_end_bench.sh BUILD_DIR [CACHE_DIR]
set -euo pipefail
build=${1:?usage: unreadable_end_bench.sh BUILD_DIR [CACHE_DIR]}
cache=${2:-/tmp/pellavan-unreadable-end}
cli="$build/tools/dvdconvert/dvdconvert"
shim="$build/tests/engine/libfailing_reads.so"
[ -x "$cli" ] || { echo "no $cli: build the dvdconvert_cli target" >&2; exit 1; }
[ -f "$shim" ] || { echo "no $shim: build the failing_reads target" >&2; exit 1; }
mkdir -p "$cache"
disc="$cache/disc"
minutes=23

# The title, which dvdauthor splits at 1 GB into VTS_01_1.VOB and VTS_01_2.VOB.
if [ ! -f "$cache/stamp" ]; then
  echo "authoring the $minutes-minute title into $cache (once)..." >&2
  "$(dirname "$0")/author_title.sh" $((minutes * 60)) "$disc"
  touch "$cache/stamp"
fi
[ -f "$disc/VIDEO_TS/VTS_01_2.VOB" ] || { echo "the title was not split over two VOB files" >&2; exit 1; }
work=$(mktemp -d /tmp/unreadable-end-XXXXXX)
trap 'rm -rf "$work"' EXIT

from=$(( 50 * 1024 * 1024 ))
to=$(( $(stat -c %s "$disc/VIDEO_TS/VTS_01_1.VOB") + $(stat -c %s "$disc/VIDEO_TS/VTS_01_2.VOB") ))
within() { [ "$(echo "$1 <= $2" | bc -l)" = 1 ] && echo yes || echo NO; }

# name | goal in seconds | failing read delay in ms | errno
cases=(
  "reads fail in 300 ms|30|300|EIO"
  "reads fail in 3 s|120|3000|EIO"
  "no medium|5|0|ENOMEDIUM"
)
printf '%-22s %8s %6s %4s %10s  %s\n' case "wall s" goal met "length s" "what dvdconvert said"
for c in "${cases[@]}"; do
  IFS='|' read -r name goal delay err <<<"$c"
  rm -f "$work/out.mp4"
  start=$(date +%s.%N)
  env LD_PRELOAD="$shim" PELLAVAN_FAIL_FILE=VTS_01_1.VOB,VTS_01_2.VOB PELLAVAN_FAIL_FROM=$from \
    PELLAVAN_FAIL_TO=$to PELLAVAN_FAIL_DELAY_MS=$delay PELLAVAN_FAIL_ERRNO=$err \
    "$cli" convert "$disc" "$work/out.mp4" 1 --codec 2 >/dev/null 2>"$work/err" || true
  t=$(echo "$(date +%s.%N) - $start" | bc -l)
  length=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$work/out.mp4" 2>/dev/null || echo 0)
  said=$(tr '\r' '\n' <"$work/err" | grep -E 'could not be read|disc (is gone|went away)|dvdconvert:' | tail -n 1)
  printf '%-22s %8.1f %6s %4s %10.2f  %s\n' "$name" "$t" "$goal" "$(within "$t" "$goal")" "${length:-0}" "$said"
done
