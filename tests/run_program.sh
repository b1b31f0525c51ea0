#!/usr/bin/env bash
# Runs one program test: tests/programs/NAME.tmk through the headless run-time
# and compares what it printed with the files beside it:
#   NAME.out   expected standard output (UTF-8), required
#   NAME.err   expected standard error (UTF-8), optional (otherwise it must be empty)
#   NAME.code  expected exit status, optional (default 0)
#   NAME.args  extra arguments, one line, optional (default --headless);
#              the word PROG stands for the program file
#   NAME.in    standard input, optional (default /dev/null)
#   NAME.env   environment settings, optional: one VAR=value a line; the word
#              RUN stands for the folder the program runs in
# The program runs in a fresh folder that holds a copy of the test folder, and
# is named by its plain file name there, so paths in its output do not depend
# on where the tests live.
set -u
bin=$1; prog=$2
dir=$(dirname "$prog"); name=$(basename "$prog" .tmk); base="$dir/$name"
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
mkdir "$work/run"; cp -r "$dir"/. "$work/run/"
args=(--headless PROG)
[ -f "$base.args" ] && read -r -a args < "$base.args"
for i in "${!args[@]}"; do [ "${args[$i]}" = PROG ] && args[$i]=$name.tmk; done
input=/dev/null; [ -f "$base.in" ] && input="$base.in"
# the user's configuration and data folders are the test's own
env=(XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data")
if [ -f "$base.env" ]; then
  while IFS= read -r line || [ -n "$line" ]; do
    line=${line//\$PATH/$PATH}; [ -n "$line" ] && env+=("${line//RUN/$work/run}")
  done < "$base.env"
fi
( cd "$work/run" && env TMPDIR="$work" "${env[@]}" timeout 60 "$bin" "${args[@]}" <"$input" >"$work/stdout" 2>"$work/stderr" )
code=$?
fail=0
want_code=0; [ -f "$base.code" ] && want_code=$(tr -d ' \n' < "$base.code")
if [ "$code" != "$want_code" ]; then echo "exit status $code, expected $want_code"; fail=1; fi
if ! diff -u "$base.out" "$work/stdout"; then echo "standard output differs"; fail=1; fi
if [ -f "$base.err" ]; then
  if ! diff -u "$base.err" "$work/stderr"; then echo "standard error differs"; fail=1; fi
elif [ "$want_code" = 0 ] && [ -s "$work/stderr" ]; then
  echo "unexpected standard error:"; cat "$work/stderr"; fail=1
fi
exit $fail
