#!/usr/bin/env bash
# Every gui program test once more on a real X11 display (Xvfb, a screen of
# the virtual screen's size), as tests/run_window.sh compares them. Skipped
# (status 77) where xvfb-run is not installed.
set -u
bin=$1; programs=$2
here=$(cd "$(dirname "$0")/.." && pwd)
command -v xvfb-run >/dev/null || { echo "xvfb-run is not installed: skipped"; exit 77; }
exec xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  fail=0
  for p in "$2"/gui_*.tmk; do
    if ! out=$(WINDOW_PLATFORM=xcb "$3/run_window.sh" "$1" "$p" 2>&1); then
      echo "$(basename "$p"):"; echo "$out"; fail=1
    fi
  done
  exit $fail' sh "$bin" "$programs" "$here"
