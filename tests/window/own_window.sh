#!/usr/bin/env bash
# On a real X11 display (Xvfb), the window list of ウインドウ列挙 holds the
# run-time's own main window under its caption. Skipped (status 77) where
# xvfb-run is not installed.
set -u
bin=$1; prog=$2
command -v xvfb-run >/dev/null || { echo "xvfb-run is not installed: skipped"; exit 77; }
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
cp "$prog" "$work/own.tmk"
out=$(cd "$work" && timeout 60 xvfb-run -a -s "-screen 0 1024x768x24" env QT_QPA_PLATFORM=xcb "$bin" --window own.tmk 2>&1)
if [ "$out" != "見つかった" ]; then echo "expected 見つかった, got: $out"; exit 1; fi
