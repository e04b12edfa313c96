#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Damaged discs: `dvdconvert convert … --codec 2` of a clean 8-second title
# and of copies of it with one fault each, against the clean run.  Prints
# each run's output length, wall time and peak memory, and the time and
# memory ratios (damaged / clean) against the memory goal.  The faults:
# a picture time 600 s ahead, a sound time 3600 s ahead, an unmarked clock
# restart of both streams, 3 s of sound missing (its packs made padding),
# and through the FailingReads shim 256 KB unreadable in the middle, and
# the same region with each failing read taking 300 ms.
#
# usage: bench/damaged_bench.sh BUILD_DIR [RUNS]
set -euo pipefail
build=${1:?usage: damaged_bench.sh BUILD_DIR [RUNS]}
runs=${2:-3}
cli="$build/tools/dvdconvert/dvdconvert"
shim="$build/tests/engine/libfailing_reads.so"
[ -x "$cli" ] || { echo "no $cli: build the dvdconvert_cli target" >&2; exit 1; }
[ -f "$shim" ] || { echo "no $shim: build the failing_reads target" >&2; exit 1; }
work=$(mktemp -d /tmp/damaged-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT

# The clean title: NTSC 6 Mbit/s MPEG-2 test pattern with an AC3 tone.
"$(dirname "$0")/author_title.sh" 8 "$work/clean"
vob=VIDEO_TS/VTS_01_1.VOB
size=$(stat -c %s "$work/clean/$vob")
middle=$(( size / 2 / 2048 * 2048 ))

# damage NAME KIND: a copy of the clean disc with its VOB patched in place.
#   picture600 / sound3600: the first timed picture / sound pack from the
#     middle on, that far ahead;  jump: every picture and sound time from the
#     middle on 20 s ahead;  soundgap: the sound packs from 3.5 s to 6.5 s
#     into the title turned into padding.
damage() {
  cp -r "$work/clean" "$work/$1"
  python3 - "$work/$1/$vob" "$2" "$middle" <<'PY'
import sys
path, kind, middle = sys.argv[1], sys.argv[2], int(sys.argv[3])
d = bytearray(open(path, 'rb').read())
def get(p):
    return ((d[p] & 0x0E) << 29) | (d[p+1] << 22) | ((d[p+2] & 0xFE) << 14) | (d[p+3] << 7) | (d[p+4] >> 1)
def put(p, t):
    t &= (1 << 33) - 1
    d[p] = (d[p] & 0xF0) | ((t >> 29) & 0x0E) | 1
    d[p+1] = (t >> 22) & 0xFF; d[p+2] = ((t >> 14) & 0xFE) | 1
    d[p+3] = (t >> 7) & 0xFF; d[p+4] = ((t << 1) & 0xFE) | 1
def pes(pos):   # (offset, stream id, has a time) of a pack's first packet
    o = pos + 14 + (d[pos+13] & 7)
    if d[o:o+3] != b'\0\0\1':
        return o, None, False
    return o, d[o+3], d[o+3] in (0xE0, 0xBD) and bool(d[o+7] & 0x80)
def shift(o, delta):
    put(o+9, get(o+9) + delta)
    if d[o+7] & 0x40:
        put(o+14, get(o+14) + delta)
tick = 90000
if kind in ('picture600', 'sound3600'):
    want, delta = (0xE0, 600 * tick) if kind == 'picture600' else (0xBD, 3600 * tick)
    for pos in range(middle, len(d) - 2047, 2048):
        o, sid, timed = pes(pos)
        if sid == want and timed:
            shift(o, delta); break
elif kind == 'jump':
    for pos in range(middle, len(d) - 2047, 2048):
        o, sid, timed = pes(pos)
        if timed:
            shift(o, 20 * tick)
elif kind == 'soundgap':
    first = last = None
    for pos in range(0, len(d) - 2047, 2048):
        o, sid, timed = pes(pos)
        if sid == 0xE0 and timed and first is None:
            first = get(o+9)
        if sid != 0xBD or d[o + 9 + d[o+8]] != 0x80:
            continue
        if timed:
            last = get(o+9)
        if first is not None and last is not None and 3.5 * tick <= last - first < 6.5 * tick:
            n = 2048 - (o - pos) - 6
            d[o+3] = 0xBE; d[o+4] = n >> 8; d[o+5] = n & 0xFF
            d[o+6:pos+2048] = b'\xff' * (pos + 2048 - o - 6)
open(path, 'wb').write(d)
PY
}
damage picture600 picture600
damage sound3600 sound3600
damage jump jump
damage soundgap soundgap

# Prints "seconds kilobytes" for one conversion; extra environment first.
measure() {
  env "$@" /usr/bin/time -f "%e %M" -o "$work/time" "$cli" convert "$disc" "$work/out.mp4" 1 --codec 2 \
    >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
  cat "$work/time"
}
length() { ffprobe -v error -show_entries format=duration -of csv=p=0 "$work/out.mp4"; }
within() { [ "$(echo "$1 <= $2" | bc -l)" = 1 ] && echo yes || echo NO; }
memory_goal=1.10   # damaged peak memory against the clean run's

failing=(LD_PRELOAD="$shim" PELLAVAN_FAIL_FILE=VTS_01_1.VOB PELLAVAN_FAIL_FROM=$middle
  PELLAVAN_FAIL_TO=$(( middle + 256 * 1024 )))
# name | disc | extra environment
cases=(
  "clean|clean|"
  "picture time +600 s|picture600|"
  "sound time +3600 s|sound3600|"
  "256 KB unreadable|clean|${failing[*]} PELLAVAN_FAIL_DELAY_MS=0"
  "256 KB, reads 300 ms|clean|${failing[*]} PELLAVAN_FAIL_DELAY_MS=300"
  "both clocks +20 s|jump|"
  "sound missing 3 s|soundgap|"
)
printf '%-22s %8s %8s %8s %6s %8s %6s %5s %4s\n' case "length s" "wall s" "peak MB" "time x" "mem MB+" "mem x" goal met
clean_t=0; clean_m=0
for c in "${cases[@]}"; do
  IFS='|' read -r name d extra <<<"$c"
  disc="$work/$d"
  tt=0; mm=0
  for ((i = 0; i < runs; i++)); do
    # shellcheck disable=SC2086
    read -r t m < <(measure $extra)
    tt=$(echo "$tt + $t" | bc -l); mm=$(( m > mm ? m : mm ))
  done
  t=$(echo "$tt / $runs" | bc -l)
  if [ "$name" = clean ]; then clean_t=$t; clean_m=$mm; fi
  tr=$(echo "$t / $clean_t" | bc -l); mr=$(echo "$mm / $clean_m" | bc -l)
  printf '%-22s %8.2f %8.2f %8.1f %6.2f %8.1f %6.2f %5.2f %4s\n' "$name" "$(length)" "$t" \
    "$(echo "$mm / 1024" | bc -l)" "$tr" "$(echo "($mm - $clean_m) / 1024" | bc -l)" "$mr" "$memory_goal" \
    "$(within "$mr" "$memory_goal")"
done
