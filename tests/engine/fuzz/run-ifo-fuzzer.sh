#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the IFO fuzzer for a bounded time, seeded with the test discs' IFOs.
# usage: run-ifo-fuzzer.sh FUZZER DISCS SECONDS
set -euo pipefail
fuzzer=$1 discs=$2 seconds=$3
corpus=$(mktemp -d /tmp/ifo-corpus-XXXXXX)
trap 'rm -rf "$corpus"' EXIT
i=0
for disc in ntsc pal; do
  for ifo in VIDEO_TS VTS_01_0 VTS_02_0; do
    { printf "\\x$(printf %02x $i)"; cat "$discs/$disc/VIDEO_TS/$ifo.IFO"; } >"$corpus/$disc-$ifo"
    i=$(( (i + 1) % 3 ))
  done
done
# -detect_leaks stays on; -timeout catches a hang on one input.
exec "$fuzzer" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 -print_final_stats=1 "$corpus"
