#!/usr/bin/env bash
# The editor link end to end: a headless run serving its service, requests
# sent with --send, the row report to a stand-in editor, a stale socket
# replaced and a live one kept.
set -u
bin=$1; here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d); trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
export TMPDIR=$work; unset XDG_RUNTIME_DIR
folder=$work/tamakazu-$(id -u)
cp "$here/wait.tmk" "$work/"
fail=0
check() {  # what, expected, actual
  if [ "$2" != "$3" ]; then echo "FAIL $1: expected [$2], got [$3]"; fail=1; else echo "ok $1"; fi
}
send() { "$bin" --send "$@" 2>&1; }
# waits until the service answers a request that does nothing
ready() { for _ in $(seq 100); do [ "$(send "$1" command nothing)" = ack ] && return 0; sleep 0.1; done; return 1; }

# --- requests: line, LINE, another topic, pause, break
(cd "$work" && "$bin" --headless --service tk1 wait.tmk >"$work/out1" 2>"$work/err1"; echo $? >"$work/rc1") &
ready tk1 || { echo "FAIL the service did not start"; cat "$work/err1"; exit 1; }
check "socket mode" 600 "$(stat -c %a "$folder/tk1.sock")"
check "folder mode" 700 "$(stat -c %a "$folder")"
check "line" ack "$(send tk1 command line)"
check "line with blanks" ack "$(send tk1 command 'line   ')"
check "LINE" ack "$(send tk1 command LINE)"
check "two lines" ack "$(send tk1 command $'line\r\ntamapad')"
check "another topic" nak "$(send tk1 other line)"
check "pause" ack "$(send tk1 command pause)"
# a live service is never taken over
(cd "$work" && exec "$bin" --headless --service tk1 wait.tmk >"$work/out2" 2>"$work/err2" </dev/null) &
second=$!
for _ in $(seq 100); do [ -s "$work/err2" ] && break; sleep 0.1; done
check "second run refused" "tamakazu: $folder/tk1.sock: the service is in use" "$(head -1 "$work/err2")"
check "live one still answers" ack "$(send tk1 command nothing)"
kill "$second"
check "break" ack "$(send tk1 command break)"
wait
check "status" 0 "$(cat "$work/rc1")"
check "output" "$(printf '始め\n実行ライン:4\n実行ライン:4')" "$(cat "$work/out1")"
check "pause report" "$(printf 'デバッグダイアログ\n現在の実行行:3\n  3:20秒、待つ')" "$(head -3 "$work/err1")"
check "socket removed" no "$([ -e "$folder/tk1.sock" ] && echo yes || echo no)"
check "no service" "tamakazu: tk1: $folder/tk1.sock: No such file or directory" "$(send tk1 command line)"

# --- a stale socket is replaced; break tamapad reports the row to the editor first
python3 "$here/stale_socket.py" "$folder/tk2.sock"
python3 "$here/fake_editor.py" "$folder/tamapad.sock" "$work/editor" &
for _ in $(seq 100); do [ -f "$work/editor.ready" ] && break; sleep 0.1; done
(cd "$work" && "$bin" --headless --service tk2 wait.tmk >"$work/out3" 2>"$work/err3"; echo $? >"$work/rc3") &
ready tk2 || { echo "FAIL the stale socket was not replaced"; cat "$work/err3"; exit 1; }
check "break tamapad" ack "$(send tk2 command 'break tamapad')"
wait
check "row report" "command row 4" "$(cat "$work/editor")"
check "ended" "始め" "$(cat "$work/out3")"

# --- break tamapad with no editor listening still ends the run
(cd "$work" && "$bin" --headless --service tk3 wait.tmk >"$work/out4" 2>"$work/err4"; echo $? >"$work/rc4") &
ready tk3 || exit 1
check "break tamapad alone" ack "$(send tk3 command 'break tamapad')"
wait
check "ended alone" "始め" "$(cat "$work/out4")"
exit $fail
