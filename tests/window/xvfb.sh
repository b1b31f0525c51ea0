#!/usr/bin/env bash
# Every gui program test once more on a real X11 display (Xvfb, a screen of
# the virtual screen's size), as tests/run_window.sh compares them. Skipped
# (status 77) where xvfb-run is not installed. With SHARD and COUNT, only the
# programs whose place in the list is SHARD modulo COUNT, so that shards run
# side by side on displays of their own.
set -u
bin=$1; programs=$2; shard=${3:-0}; count=${4:-1}
here=$(cd "$(dirname "$0")/.." && pwd)
command -v xvfb-run >/dev/null || { echo "xvfb-run is not installed: skipped"; exit 77; }
exec xvfb-run -a -n $((100 + 10 * shard)) -s "-screen 0 1024x768x24" bash -c '
  fail=0; i=0
  for p in "$2"/gui_*.tmk; do
    i=$((i + 1))
    [ $(( (i - 1) % $5 )) -eq "$4" ] || continue
    if ! out=$(WINDOW_PLATFORM=xcb "$3/run_window.sh" "$1" "$p" 2>&1); then
      echo "$(basename "$p"):"; echo "$out"; fail=1
    fi
  done
  exit $fail' sh "$bin" "$programs" "$here" "$shard" "$count"
