#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Authors small DVD-Video discs with ffmpeg, spumux and dvdauthor.
#
#   make-test-discs.sh DIR            the test discs: DIR/ntsc, DIR/pal (folders) and
#                                     DIR/ntsc.iso, DIR/pal.iso; kept while DIR/stamp
#                                     is newer than this script
#   make-test-discs.sh --sample DIR   one DVD folder at DIR for trying the program
#   make-test-discs.sh --long DIR     DIR/long: one 60 s 720x480 title (benchmarks)
#   make-test-discs.sh --busy DIR     DIR/busy: one 60 s title at 24 Mbit/s, about
#                                     180 MB, for unreadable stretches far longer than a skip
#
# Every title has its own background colour; a white bar across the top grows
# 100 pixels per second of the title, so a still tells which title and which
# moment it shows.  Chapters are separate files, so their frame counts are
# exact.  The layout (the engine tests expect exactly this):
#
#   ntsc, title set 1 (720x480, 4:3): audio en AC3 2ch, fr MP2 2ch; subtitles en, de
#     title 1 red:   chapters of 45, 30 and 3 frames
#     title 2 blue:  one chapter of 60 frames
#   ntsc, title set 2 (720x480, 16:9): audio en AC3 1ch, ja DTS 2ch; subtitles es
#     title 3 green: chapters of 30 and 36 frames
#   pal, title set 1 (720x576, 16:9): audio de MP2 2ch, it LPCM 2ch; subtitles fr
#     title 1 yellow: chapters of 50, 25 and 2 frames
#   pal, title set 2 (352x288, 4:3, recorded as size code 2, 352x576): audio en AC3 2ch
#     title 2 magenta: one chapter of 25 frames
#   sync (720x480, 4:3): audio en AC3 2ch; one title of six 30-frame chapters, see sync_disc
set -euo pipefail

mode=tests
case "${1:-}" in
  --sample) mode=sample; shift ;;
  --long) mode=long; shift ;;
  --busy) mode=busy; shift ;;
esac
[ $# -eq 1 ] || { echo "usage: $0 [--sample|--long] DIR" >&2; exit 2; }
out=$1
script=$(readlink -f "$0")

if [ $mode = tests ] && [ -f "$out/stamp" ] && [ "$out/stamp" -nt "$script" ]; then
  exit 0
fi
for tool in ffmpeg dvdauthor spumux; do
  command -v $tool >/dev/null || { echo "$tool is not installed" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

ffmpeg -v error -f lavfi -i "color=c=white:s=160x40" -frames:v 1 -pix_fmt rgb24 -y "$work/sub.png"

# chapter FILE STANDARD SIZE ASPECT COLOUR FRAMES START_SECONDS AUDIO... -- SUBTITLES
# AUDIO is CODEC:CHANNELS (ac3, mp2, dca, pcm_s16be); SUBTITLES the number of streams.
chapter() {
  local file=$1 std=$2 size=$3 aspect=$4 colour=$5 frames=$6 start=$7
  shift 7
  local rate=30000/1001
  [ "$std" = pal ] && rate=25
  local -a inputs=(-f lavfi -i "color=c=$colour:s=$size:r=$rate[b];color=c=white:s=${size%x*}x48:r=$rate[w];[b][w]overlay=x='-${size%x*}+16+(t+$start)*100':y=0")
  local -a maps=(-map 0:v) codecs=()
  local n=1 a=0
  while [ "$1" != -- ]; do
    local codec=${1%:*} channels=${1#*:}
    inputs+=(-f lavfi -i "sine=f=$((300 + 110 * n)):sample_rate=48000")
    maps+=(-map $n:a)
    codecs+=(-c:a:$a "$codec" -ac:a:$a "$channels")
    [ "$codec" = ac3 ] || [ "$codec" = mp2 ] && codecs+=(-b:a:$a 192k)
    [ "$codec" = dca ] && codecs+=(-b:a:$a 384k -strict -2)
    n=$((n + 1)); a=$((a + 1))
    shift
  done
  local subs=$2
  ffmpeg -v fatal "${inputs[@]}" "${maps[@]}" -frames:v "$frames" -shortest \
    -c:v mpeg2video -b:v 3M -maxrate 8M -bufsize 1835k -g 15 -bf 2 -pix_fmt yuv420p -aspect "$aspect" \
    "${codecs[@]}" -f dvd -y "$work/$file.tmp.mpg"
  local s
  for ((s = 0; s < subs; s++)); do
    cat > "$work/$file.sub$s.xml" <<XML
<subpictures><stream><spu start="00:00:00.00" end="00:00:00.05" image="$work/sub.png" xoffset="80" yoffset="100"/></stream></subpictures>
XML
    spumux -s $s -m dvd "$work/$file.sub$s.xml" < "$work/$file.tmp.mpg" > "$work/$file.tmp2.mpg" 2>/dev/null
    mv "$work/$file.tmp2.mpg" "$work/$file.tmp.mpg"
  done
  mv "$work/$file.tmp.mpg" "$work/$file.mpg"
}

# sync_chapter FILE TONE_HZ SOUND_LEAD_SECONDS
# 30 dark frames with a white flash at frames 6 and 7, and silence with a
# 0.4 s tone that starts exactly at the flash.  The sound stream starts
# LEAD seconds before the pictures (negative: after them); no B-frames, so
# the muxer keeps the flash and the tone on the same timestamp.  Every file
# starts its clock afresh, so the title's clock restarts at each cell.
sync_chapter() {
  local file=$1 hz=$2 lead=$3
  local tone shift
  tone=$(awk -v l="$lead" 'BEGIN { printf "%.4f", 6 * 1001 / 30000 + l }')
  shift=$(awk -v l="$lead" 'BEGIN { printf "%.4f", -l }')
  ffmpeg -v fatal \
    -f lavfi -i "color=c=0x202020:s=720x480:r=30000/1001,geq=lum='if(between(N,6,7),235,32)':cb=128:cr=128" \
    -itsoffset "$shift" -f lavfi -i "aevalsrc='if(between(t,$tone,$tone+0.4),0.5*sin(2*PI*$hz*t),0)':s=48000:d=1.2" \
    -map 0:v -map 1:a -frames:v 30 -c:v mpeg2video -b:v 3M -maxrate 8M -bufsize 1835k -g 15 -bf 0 \
    -pix_fmt yuv420p -aspect 4:3 -c:a ac3 -b:a 192k -ac 2 -f dvd -y "$work/$file.tmp.mpg"
  mv "$work/$file.tmp.mpg" "$work/$file.mpg"
}

# Tones and sound leads per chapter: the test reads the same table.
sync_disc() {
  sync_chapter s1 400 0
  sync_chapter s2 600 0.05
  sync_chapter s3 800 -0.07
  sync_chapter s4 1000 0.03
  sync_chapter s5 1200 -0.04
  sync_chapter s6 1400 0.06
  author sync NTSC "<titleset><titles><video format=\"ntsc\" aspect=\"4:3\"/><audio lang=\"en\"/>
    <pgc>$(vobs s1 s2 s3 s4 s5 s6)</pgc></titles></titleset>"
}

vobs() { local f; for f; do echo "<vob file=\"$work/$f.mpg\" chapters=\"0\"/>"; done; }

author() {   # author NAME STANDARD XML-TITLESETS
  local name=$1 std=$2 xml=$3
  rm -rf "${out:?}/$name"
  echo "<dvdauthor dest=\"$out/$name\"><vmgm/>$xml</dvdauthor>" > "$work/$name.xml"
  VIDEO_FORMAT=$std dvdauthor -x "$work/$name.xml" > "$work/$name.log" 2>&1 ||
    { cat "$work/$name.log" >&2; exit 1; }
}

iso() {   # iso NAME
  genisoimage -quiet -dvd-video -V "PELLAVAN_${1^^}" -o "$out/$1.iso" "$out/$1"
}

ntsc_disc() {   # ntsc_disc NAME
  chapter t1c1 ntsc 720x480 4:3 red 45 0 ac3:2 mp2:2 -- 2
  chapter t1c2 ntsc 720x480 4:3 red 30 1.5015 ac3:2 mp2:2 -- 2
  chapter t1c3 ntsc 720x480 4:3 red 3 2.5025 ac3:2 mp2:2 -- 2
  chapter t2c1 ntsc 720x480 4:3 blue 60 0 ac3:2 mp2:2 -- 2
  chapter t3c1 ntsc 720x480 16:9 green 30 0 ac3:1 dca:2 -- 1
  chapter t3c2 ntsc 720x480 16:9 green 36 1.001 ac3:1 dca:2 -- 1
  author "$1" NTSC "<titleset><titles><video format=\"ntsc\" aspect=\"4:3\"/>
    <audio lang=\"en\"/><audio lang=\"fr\"/><subpicture lang=\"en\"/><subpicture lang=\"de\"/>
    <pgc>$(vobs t1c1 t1c2 t1c3)</pgc><pgc>$(vobs t2c1)</pgc></titles></titleset>
    <titleset><titles><video format=\"ntsc\" aspect=\"16:9\" widescreen=\"nopanscan\"/>
    <audio lang=\"en\"/><audio lang=\"ja\"/><subpicture lang=\"es\"/>
    <pgc>$(vobs t3c1 t3c2)</pgc></titles></titleset>"
}

mkdir -p "$out"
case $mode in
  sample)
    out=$(dirname "$(readlink -f "$out")")/.pellavan-sample-work
    mkdir -p "$out"
    ntsc_disc sample
    rm -rf "$1" && mv "$out/sample" "$1" && rm -rf "$out"
    echo "Sample DVD folder: $1"
    ;;
  long)
    chapter long ntsc 720x480 4:3 red 1800 0 ac3:2 -- 0
    author long NTSC "<titleset><titles><video format=\"ntsc\" aspect=\"4:3\"/><audio lang=\"en\"/>
      <pgc>$(vobs long)</pgc></titles></titleset>"
    ;;
  busy)
    ffmpeg -v fatal -f lavfi -i "testsrc2=size=720x480:rate=30000/1001:duration=60" \
      -f lavfi -i "sine=f=440:sample_rate=48000:duration=60" -c:v mpeg2video -b:v 24M -minrate 24M -maxrate 24M \
      -bufsize 1835k -g 15 -pix_fmt yuv420p -aspect 4:3 -c:a ac3 -b:a 192k -ac 2 -muxrate 30M -f dvd -y "$work/busy.mpg"
    author busy NTSC "<titleset><titles><video format=\"ntsc\" aspect=\"4:3\"/><audio lang=\"en\"/>
      <pgc>$(vobs busy)</pgc></titles></titleset>"
    ;;
  tests)
    ntsc_disc ntsc
    chapter p1c1 pal 720x576 16:9 yellow 50 0 mp2:2 pcm_s16be:2 -- 1
    chapter p1c2 pal 720x576 16:9 yellow 25 2 mp2:2 pcm_s16be:2 -- 1
    chapter p1c3 pal 720x576 16:9 yellow 2 3 mp2:2 pcm_s16be:2 -- 1
    chapter p2c1 pal 352x288 4:3 magenta 25 0 ac3:2 -- 0
    author pal PAL "<titleset><titles><video format=\"pal\" aspect=\"16:9\" widescreen=\"nopanscan\"/>
      <audio lang=\"de\"/><audio lang=\"it\"/><subpicture lang=\"fr\"/>
      <pgc>$(vobs p1c1 p1c2 p1c3)</pgc></titles></titleset>
      <titleset><titles><video format=\"pal\" aspect=\"4:3\"/><audio lang=\"en\"/>
      <pgc>$(vobs p2c1)</pgc></titles></titleset>"
    sync_disc
    iso ntsc
    iso pal
    touch "$out/stamp"
    ;;
esac
