#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# How close a converted title's pictures are to the pictures the disc was
# authored from (see author-film-disc.sh): each output picture against the
# true pictures sampled at the file's own rate, mean luma SSIM, the best
# match within two frames either way (which absorbs the rounding where
# rates meet).
#
#   film-ssim.sh FILE SECONDS SIZE RATE...
#
# One RATE per cell of the title, each cell SECONDS long (as authored), SIZE
# the disc's picture size.  Prints: mean SSIM, mean of the worst tenth, the
# file's picture count, its rate, and how many of its pictures repeat the
# one before (SSIM 0.99 or more; the true pictures all move).
set -euo pipefail
file=${1:?usage: film-ssim.sh FILE SECONDS SIZE RATE...}
seconds=$2 size=$3
shift 3
rate=$(ffprobe -v error -select_streams v -show_entries stream=avg_frame_rate -of csv=p=0 "$file")
count=$(ffprobe -v error -select_streams v -count_packets -show_entries stream=nb_read_packets -of csv=p=0 "$file")
span=$(awk -v s="$seconds" -v z="$size" 'BEGIN { print z ~ /576$/ ? s : int(s * 30000 / 1001 + 0.5) * 1001 / 30000 }')
inputs=() cells="" n=0
for r in "$@"; do
  inputs+=(-f lavfi -i "testsrc2=s=$size:r=$r")
  n=$((n + 1))
  cells+="[$n:v]trim=duration=$span,setpts=PTS-STARTPTS[c$n];"
  list+="[c$n]"
done
stats=$(mktemp -d)
trap 'rm -rf "$stats"' EXIT
for shift in -2 -1 0 1 2; do
  move=""
  ((shift > 0)) && move="trim=start_frame=$shift,"
  ((shift < 0)) && move="tpad=start=$((-shift)):start_mode=clone,"
  # The truth on a clock that holds every rate exactly (a picture half-way
  # between two output frames must round alike every time), then both sides
  # counted in frames: the comparison pairs pictures by time.
  ffmpeg -v error -i "$file" "${inputs[@]}" -lavfi "$cells${list}concat=n=$n,settb=1/120000,fps=$rate,${move}settb=1/100,setpts=N[t];
    [0:v]settb=1/100,setpts=N,format=yuv420p[o];[o][t]ssim=stats_file=$stats/$shift:shortest=1" \
    -fps_mode passthrough -f null - 2>/dev/null
done
ffmpeg -v error -i "$file" -lavfi "[0:v]settb=1/100,setpts=N,split[a][b];[b]trim=start_frame=1,setpts=N[c];
  [a][c]ssim=stats_file=$stats/repeats:shortest=1" -fps_mode passthrough -f null - 2>/dev/null
repeats=$(awk '{ split($2, y, ":"); n += y[2] >= 0.99 } END { print n + 0 }' "$stats/repeats")
cat "$stats"/-* "$stats"/[0-9]* | awk '{ split($1, n, ":"); split($2, y, ":"); if (!(n[2] in best) || y[2] > best[n[2]]) best[n[2]] = y[2] }
  END { for (i in best) print best[i] }' | sort -g |
  awk -v count="$count" -v rate="$rate" -v repeats="$repeats" '{ v[++c] = $1; sum += $1 }
    END { w = int(c / 10); if (w < 1) w = 1; for (i = 1; i <= w; i++) worst += v[i];
          printf "%.3f %.3f %d %s %d\n", sum / c, worst / w, count, rate, repeats }'
