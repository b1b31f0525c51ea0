#!/usr/bin/env bash
# The error dialog with the window, answered "continue": the run goes on with
# the next step (without a window the error ends the run, so this one has no
# headless twin). Arguments: the run-time, the program.
set -u
bin=$1; prog=$2
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
cp "$prog" "$work/p.tmk"
printf 'answer continue\n' > "$work/p.ev"
( cd "$work" && QT_QPA_PLATFORM=offscreen timeout 60 "$bin" --window --events p.ev p.tmk >out 2>err )
code=$?
fail=0
[ "$code" = 1 ] || { echo "exit status $code, expected 1 (an error was reported)"; fail=1; }
printf '前\n後\n' | diff -u - "$work/out" || { echo "the run did not go on after the error"; fail=1; }
grep -q 'window_error_dialog.tmk\|p.tmk' "$work/err" || { echo "the error log did not reach standard error"; cat "$work/err"; fail=1; }
exit $fail
