#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Pictures from film and video discs, "DeInterlace" off and on: a disc
# authored from known pictures (author-film-disc.sh), every title converted
# at its own size, MPEG-4 8000 kbit/s at its own rate, and compared with
# the pictures it was made from (film-ssim.sh).  Prints, per title and
# setting: mean luma SSIM, its worst tenth, the file's pictures, rate and
# pictures repeating the one before, the conversion's wall time; the goal
# for "DeInterlace" on.
# Then the cost of "DeInterlace" on a 640x480 H.264 job (runs taking turns,
# medians), and `dvdconvert info` against `lsdvd -x` on this disc and on a
# folder of 99 titles.
#
# usage: bench/film_bench.sh BUILD_DIR [SECONDS] [RUNS]
set -euo pipefail
build=${1:?usage: film_bench.sh BUILD_DIR [SECONDS] [RUNS]}
seconds=${2:-10}
runs=${3:-5}
cli="$(readlink -f "$build")/tools/dvdconvert/dvdconvert"
[ -x "$cli" ] || { echo "no $cli: build the dvdconvert_cli target" >&2; exit 1; }
here=$(dirname "$(readlink -f "$0")")
work=$(mktemp -d /tmp/film-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
"$here/author-film-disc.sh" "$work" "$seconds"
"$here/author-film-disc.sh" --many "$work"

now() { date +%s.%N; }
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# name | disc | title | size | the true pictures' rate in each cell | goal with "DeInterlace" on
rows=(
  "film, soft telecine|ntsc|1|720x480|24000/1001|0.984"
  "film, hard telecine|ntsc|2|720x480|24000/1001|0.984"
  "interlaced video|ntsc|3|720x480|60000/1001|0.979"
  "progressive 29.97|ntsc|4|720x480|30000/1001|0.995"
  "all four, one per cell|ntsc|5|720x480|24000/1001 24000/1001 60000/1001 30000/1001|0.983"
  "progressive, flagged interlaced|ntsc|6|720x480|30000/1001|0.995"
  "PAL interlaced video|pal|1|720x576|50|0.979"
  "PAL progressive 25|pal|2|720x576|25|0.995"
)
printf '%-32s | %-47s | %-47s | %5s %4s\n' "title (${seconds} s a cell)" \
  '"DeInterlace" off: SSIM (worst tenth) pictures' '"DeInterlace" on: SSIM (worst tenth) pictures' goal met
printf '%-32s | %-47s | %-47s |\n' "" "                   at rate, repeated, time" "                   at rate, repeated, time"
for row in "${rows[@]}"; do
  IFS='|' read -r name disc title size rates goal <<<"$row"
  line=$(printf '%-32s' "$name")
  for flag in "" --deinterlace; do
    start=$(now)
    "$cli" convert "$work/$disc" "$work/out.mp4" "$title" --codec 2 --size "$size" --vbitrate 8000 $flag \
      >/dev/null 2>&1
    took=$(echo "$(now) - $start" | bc -l)
    # shellcheck disable=SC2086
    read -r ssim worst count rate repeats < <("$here/film-ssim.sh" "$work/out.mp4" "$seconds" "$size" $rates)
    line+=$(printf ' | %.3f (%.3f) %5d at %-10s %4d %5.2f s' "$ssim" "$worst" "$count" "$rate" "$repeats" "$took")
  done
  met=$([ "$(echo "$ssim >= $goal" | bc -l)" = 1 ] && echo yes || echo NO)
  echo "$line | $goal $met"
done

echo
echo "640x480 H.264, title 5 of $seconds s each cell, $runs runs each, taking turns:"
off=() on=()
for ((i = 0; i < runs; i++)); do
  for flag in "" --deinterlace; do
    start=$(now)
    "$cli" convert "$work/ntsc" "$work/h264.mp4" 5 --codec 0 --size 640x480 $flag >/dev/null 2>&1
    took=$(echo "$(now) - $start" | bc -l)
    if [ -z "$flag" ]; then off+=("$took"); else on+=("$took"); fi
  done
done
o=$(printf '%s\n' "${off[@]}" | median) d=$(printf '%s\n' "${on[@]}" | median)
printf '  "DeInterlace" off %.2f s, on %.2f s (medians): ratio %.2f, goal 1.30 %s\n' "$o" "$d" \
  "$(echo "$d / $o" | bc -l)" "$([ "$(echo "$d <= 1.3 * $o" | bc -l)" = 1 ] && echo met || echo NOT MET)"

echo
echo "dvdconvert info against lsdvd -x, 20 runs each, taking turns (medians):"
for disc in ntsc pal many; do
  ours=() theirs=()
  for ((i = 0; i < 20; i++)); do
    start=$(now); "$cli" info "$work/$disc" >/dev/null 2>&1; ours+=("$(echo "$(now) - $start" | bc -l)")
    start=$(now); lsdvd -x "$work/$disc" >/dev/null 2>&1; theirs+=("$(echo "$(now) - $start" | bc -l)")
  done
  o=$(printf '%s\n' "${ours[@]}" | median) t=$(printf '%s\n' "${theirs[@]}" | median)
  printf '  %-5s info %7.1f ms   lsdvd -x %7.1f ms   ratio %.2f\n' "$disc" "$(echo "$o * 1000" | bc -l)" \
    "$(echo "$t * 1000" | bc -l)" "$(echo "$o / $t" | bc -l)"
done
echo "  goals: ntsc and pal within twice lsdvd's time; many (99 titles of two cells of soft film, each"
echo "  read at its start and middle) under 1 s"
