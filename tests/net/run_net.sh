#!/usr/bin/env bash
# Runs one network test: tests/net/NAME.tmk through the headless run-time with
# a server of its own on 127.0.0.1, and compares what it printed:
#   NAME.server  the server to start (http, smtp, pop3, ftp), required
#   NAME.out     expected standard output (UTF-8), required
#   NAME.err     expected standard error (UTF-8), optional (else it must be empty)
#   NAME.code    expected exit status, optional (default 0)
#   NAME.args    the run-time's arguments, one line (default --headless PROG);
#                a third argument of this script replaces them
#   NAME.env     environment settings, one VAR=value a line, optional
#   NAME.check   a Python script run afterwards with the run folder as argument
#                (what the server recorded), optional
# The program runs in a fresh copy of the test folder; the server writes its
# port to port.txt there before the program starts.
set -u
bin=$(realpath "$1"); prog=$2
dir=$(cd "$(dirname "$prog")" && pwd); name=$(basename "$prog" .tmk); base="$dir/$name"
py=/usr/bin/python3
[ -x "$py" ] || { echo "no $py: skipped"; exit 77; }
work=$(mktemp -d)
server=""
cleanup() { [ -n "$server" ] && kill "$server" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
mkdir "$work/run"; cp -r "$dir"/. "$work/run/"
kind=$(tr -d ' \n' < "$base.server")
if [ "$kind" = ftp ] && ! "$py" -c 'import pyftpdlib' 2>/dev/null; then echo "no pyftpdlib: skipped"; exit 77; fi
"$py" "$dir/servers.py" "$kind" "$work/run" 2>"$work/server.err" &
server=$!
for _ in $(seq 100); do [ -f "$work/run/port.txt" ] && break; sleep 0.1; done
[ -f "$work/run/port.txt" ] || { echo "the $kind server did not start"; cat "$work/server.err"; exit 1; }
args=(--headless PROG)
[ -f "$base.args" ] && read -r -a args < "$base.args"
[ $# -ge 3 ] && read -r -a args <<< "$3"
for i in "${!args[@]}"; do
  [ "${args[$i]}" = PROG ] && args[$i]=$name.tmk
  args[$i]=${args[$i]//RUN/$work/run}
done
env=(TZ=JST-9 TMPDIR="$work" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data")
if [ -f "$base.env" ]; then
  while IFS= read -r line || [ -n "$line" ]; do [ -n "$line" ] && env+=("$line"); done < "$base.env"
fi
( cd "$work/run" && env "${env[@]}" timeout 60 "$bin" "${args[@]}" </dev/null >"$work/stdout" 2>"$work/stderr" )
code=$?
# the run folder's own path reads RUN
sed -i "s#$work/run#RUN#g" "$work/stdout" "$work/stderr"
# NET_STDOUT=FILE keeps what the program printed (to write NAME.out)
[ -n "${NET_STDOUT:-}" ] && cp "$work/stdout" "$NET_STDOUT"
fail=0
want_code=0; [ -f "$base.code" ] && want_code=$(tr -d ' \n' < "$base.code")
if [ "$code" != "$want_code" ]; then echo "exit status $code, expected $want_code"; fail=1; fi
if ! diff -u "$base.out" "$work/stdout"; then echo "standard output differs"; fail=1; fi
if [ -f "$base.err" ]; then
  if ! diff -u "$base.err" "$work/stderr"; then echo "standard error differs"; fail=1; fi
elif [ "$want_code" = 0 ] && [ -s "$work/stderr" ]; then
  echo "unexpected standard error:"; cat "$work/stderr"; fail=1
fi
if [ -f "$base.check" ]; then
  "$py" "$base.check" "$work/run" || { echo "the server's record differs"; fail=1; }
fi
[ $fail = 0 ] || { echo "--- server log:"; cat "$work/run/$kind.log" 2>/dev/null | head -50; cat "$work/server.err"; }
exit $fail
