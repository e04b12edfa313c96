#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Conversion speed and memory: `dvdconvert convert` against the ffmpeg
# command on the same authored title, same codec settings, one pass each,
# runs alternating.  Prints wall-time ratios (ours / ffmpeg's) and peak
# memory against their goals, and for each codec our peak memory for a
# 10-second and a 60-second title (flat: the longer title needs no more).
#
# usage: bench/convert_bench.sh BUILD_DIR [RUNS]
set -euo pipefail
build=${1:?usage: convert_bench.sh BUILD_DIR [RUNS]}
runs=${2:-3}
cli="$build/tools/dvdconvert/dvdconvert"
[ -x "$cli" ] || { echo "no $cli: build the dvdconvert_cli target" >&2; exit 1; }
work=$(mktemp -d /tmp/convert-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT

# A disc with a 10-second and a 60-second title: NTSC 6 Mbit/s MPEG-2 with AC3.
for s in 10 60; do
  ffmpeg -v error -y -f lavfi -i "testsrc2=size=720x480:rate=30000/1001:duration=$s" \
    -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=$s" -ac 2 \
    -target ntsc-dvd -b:v 6000k -aspect 4:3 "$work/t$s.mpg" </dev/null
done
cat > "$work/disc.xml" <<XML
<dvdauthor dest="$work/disc"><vmgm/><titleset><titles>
<video format="ntsc" aspect="4:3"/><audio format="ac3"/>
<pgc><vob file="$work/t10.mpg"/></pgc><pgc><vob file="$work/t60.mpg"/></pgc>
</titles></titleset></dvdauthor>
XML
VIDEO_FORMAT=NTSC dvdauthor -x "$work/disc.xml" >/dev/null 2>&1
vob="$work/t60.mpg"   # the same program stream the disc's title 2 holds

# name | wall-time goal | our options | the ffmpeg command's equivalent
cases=(
  "H.264 640x480 1500k|0.95|--codec 0 --size 640x480 --vbitrate 1500 --abitrate 96 --samplerate 44100|-s 640x480 -c:v libx264 -profile:v baseline -level 3.0 -preset medium -b:v 1500k -maxrate 1500k -bufsize 3000k -g 250 -c:a aac -b:a 96k -ar 44100 -ac 2 -movflags +faststart -f mp4"
  "MPEG-4 640x480 1500k|0.65|--codec 2 --size 640x480 --vbitrate 1500 --abitrate 96 --samplerate 44100|-s 640x480 -c:v mpeg4 -bf 0 -b:v 1500k -maxrate 1500k -bufsize 1500k -g 250 -c:a aac -b:a 96k -ar 44100 -ac 2 -movflags +faststart -f mp4"
  "WMV 320x240 640k|0.65|--codec 3 --size 320x240 --vbitrate 640 --abitrate 32 --samplerate 44100|-s 320x240 -c:v wmv2 -b:v 640k -maxrate 640k -bufsize 640k -g 250 -c:a wmav2 -b:a 32k -ar 44100 -ac 2 -f asf"
)
memory_goal=1.10   # our peak memory against ffmpeg's

# Prints "seconds kilobytes" for a command.
measure() {
  /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
  cat "$work/time"
}
# "yes" when $1 <= $2.
within() { [ "$(echo "$1 <= $2" | bc -l)" = 1 ] && echo yes || echo NO; }

printf '%-22s %8s %8s %6s %5s %4s %8s %8s %6s %5s %4s\n' case "ours s" "ffmpeg s" ratio goal met \
  "ours MB" "ffmpeg MB" ratio goal met
for c in "${cases[@]}"; do
  IFS='|' read -r name goal ours theirs <<<"$c"
  ot=0; ft=0; om=0; fm=0
  for ((i = 0; i < runs; i++)); do
    read -r t m < <(measure "$cli" convert "$work/disc" "$work/ours" 2 $ours)
    ot=$(echo "$ot + $t" | bc -l); om=$(( m > om ? m : om ))
    read -r t m < <(measure ffmpeg -v error -y -i "$vob" -map 0:v:0 -map 0:a:0 $theirs "$work/theirs")
    ft=$(echo "$ft + $t" | bc -l); fm=$(( m > fm ? m : fm ))
  done
  ratio=$(echo "$ot / $ft" | bc -l); mratio=$(echo "$om / $fm" | bc -l)
  printf '%-22s %8.2f %8.2f %6.2f %5.2f %4s %8.1f %8.1f %6.2f %5.2f %4s\n' "$name" "$(echo "$ot / $runs" | bc -l)" \
    "$(echo "$ft / $runs" | bc -l)" "$ratio" "$goal" "$(within "$ratio" "$goal")" "$(echo "$om / 1024" | bc -l)" \
    "$(echo "$fm / 1024" | bc -l)" "$mratio" "$memory_goal" "$(within "$mratio" "$memory_goal")"
done

# Memory stays flat with the title's length: the 60-second title may need
# at most 5 % more than the 10-second one.
for c in "${cases[@]}"; do
  IFS='|' read -r name goal ours theirs <<<"$c"
  read -r t short < <(measure "$cli" convert "$work/disc" "$work/ours" 1 $ours)
  read -r t long < <(measure "$cli" convert "$work/disc" "$work/ours" 2 $ours)
  printf 'peak memory, %-22s 10-second title %6.1f MB, 60-second title %6.1f MB, flat: %s\n' "$name:" \
    "$(echo "$short / 1024" | bc -l)" "$(echo "$long / 1024" | bc -l)" "$(within "$long" "$(echo "$short * 1.05" | bc -l)")"
done
