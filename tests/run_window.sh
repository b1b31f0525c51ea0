#!/usr/bin/env bash
# Runs one program test a second time with the window (under
# QT_QPA_PLATFORM=offscreen): what it prints, its standard error and its exit
# status must be those of the headless run (the files beside it, as
# tests/run_program.sh reads them), and the objects at the end (--dump-model)
# those the same run leaves headless. The arguments of NAME.args are taken with
# --window for --headless; a test without scripted events gets an empty
# script, so that its run ends as the headless one does rather than waiting
# for the window to be closed.
# WINDOW_PLATFORM=xcb runs it on the display instead (tests/window/xvfb.sh).
# A third argument names the expected files instead (EXPECTED.out ...), for a
# program kept elsewhere (the examples).
#   NAME.check  optional: a shell text run in the work folder afterwards
#               (the pictures a `shot` step took are checked there; $CHECK_PNG
#               names the picture reader)
set -u
bin=$1; prog=$2
here=$(cd "$(dirname "$0")" && pwd)
dir=$(dirname "$prog"); name=$(basename "$prog" .tmk); base="$dir/$name"
want=${3:-$base}
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
mkdir "$work/run"; cp -r "$dir"/. "$work/run/"
args=(--headless PROG)
[ -f "$base.args" ] && read -r -a args < "$base.args"
events=0
for i in "${!args[@]}"; do
  [ "${args[$i]}" = PROG ] && args[$i]=$name.tmk
  [ "${args[$i]}" = --headless ] && args[$i]=--window
  [ "${args[$i]}" = --events ] && events=1
done
if [ $events = 0 ] && [ -f "$base.ev" ]; then args=(--events "$name.ev" "${args[@]}"); events=1; fi
if [ $events = 0 ]; then : > "$work/none.ev"; args=(--events "$work/none.ev" "${args[@]}"); fi
case " ${args[*]} " in *" --window "*) ;; *) args=(--window "${args[@]}") ;; esac
input=/dev/null; [ -f "$base.in" ] && input="$base.in"
# the same run headless, for its objects at the end
headless=()
for a in "${args[@]}"; do [ "$a" = --window ] && a=--headless; headless+=("$a"); done
rm -rf "$work/h"; cp -r "$work/run" "$work/h"
( cd "$work/h" && TMPDIR="$work" timeout 60 "$bin" --dump-model "$work/headless.json" "${headless[@]}" <"$input" >/dev/null 2>&1 )
( cd "$work/run" && TMPDIR="$work" QT_QPA_PLATFORM=${WINDOW_PLATFORM:-offscreen} timeout 60 "$bin" --dump-model "$work/window.json" "${args[@]}" <"$input" >"$work/stdout" 2>"$work/stderr" )
code=$?
fail=0
# model and view agree: the window leaves the objects as the headless run does
if [ -f "$work/headless.json" ] && ! diff -u "$work/headless.json" "$work/window.json"; then
  echo "the objects at the end differ from the headless run"; fail=1
fi
want_code=0; [ -f "$want.code" ] && want_code=$(tr -d ' \n' < "$want.code")
if [ "$code" != "$want_code" ]; then echo "exit status $code, expected $want_code"; fail=1; fi
if ! diff -u "$want.out" "$work/stdout"; then echo "standard output differs"; fail=1; fi
if [ -f "$want.err" ]; then
  if ! diff -u "$want.err" "$work/stderr"; then echo "standard error differs"; fail=1; fi
elif [ "$want_code" = 0 ] && [ -s "$work/stderr" ]; then
  echo "unexpected standard error:"; cat "$work/stderr"; fail=1
fi
if [ -f "$want.check" ]; then
  if ! ( cd "$work/run" && CHECK_PNG="$here/window/png_pixel.py" bash "$want.check" ); then
    echo "picture check failed"; fail=1
  fi
fi
exit $fail
