#!/usr/bin/env bash
# The TCP and DDE commands end to end, on 127.0.0.1 and this user's local
# sockets only: a server and a client in one program, two run-times talking,
# Python peers checking the exact bytes and the server's lists, DDE between
# two run-times, and the facts about this machine.
set -u
bin=$1; here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d); trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
export TMPDIR=$work; unset XDG_RUNTIME_DIR
for f in "$here"/*.u8; do iconv -f UTF-8 -t CP932 "$f" >"$work/$(basename "$f" .u8).tmk"; done
cd "$work" || exit 1
fail=0
check() {  # what, expected, actual
  if [ "$2" != "$3" ]; then echo "FAIL $1: expected [$2], got [$3]"; fail=1; else echo "ok $1"; fi
}
run() { timeout 60 "$bin" --headless "$@"; }
# a port nobody listens on now, written where the programs read it
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])' >port.txt; }
await() { for _ in $(seq 300); do [ -e "$1" ] && return 0; sleep 0.1; done; echo "FAIL $1 never came"; return 1; }
name=$(python3 -c 'import socket
try: print(socket.gethostbyaddr("127.0.0.1")[0])
except OSError: print("127.0.0.1")')

# --- server and client in one program
free_port
check "one program" "$(printf '%s\n' "" 起動中 "接続:127.0.0.1,$name" 接続中 サーバー受信:ping "127.0.0.1,$name" "" \
  クライアント受信:pong 切断 停止中 "")" "$(run tcp_local.tmk 2>&1)"

# --- two run-times: a server in the background, a client
free_port; rm -f ready.txt
run tcp_server.tmk >server.out 2>&1 &
server=$!
await ready.txt
check "client" "$(printf '%s\n' 状態:接続中 返事:こんにちは 状態:切断)" "$(run tcp_client.tmk 2>&1)"
wait $server; check "server status" 0 $?
check "server" "$(printf '%s\n' "接続:127.0.0.1,$name" 受信:こんにちは 終了:停止中)" "$(cat server.out)"

# --- the server with a Python peer: exact bytes, lists after a close and a cut
free_port; rm -f ready.txt
run tcp_server.tmk >server.out 2>&1 &
server=$!
await ready.txt
python3 "$here/peer_client.py" "$(cat port.txt)" || fail=1
wait $server; check "server status with the peer" 0 $?
check "server with the peer" "$(printf '%s\n' "接続:127.0.0.1,$name" "接続:127.0.0.1,$name" 受信:テスト ソ表$'\t'' end' \
  "接続:127.0.0.1,$name" 終了:停止中)" "$(cat server.out)"

# --- the client with a Python peer: the bytes it sends, the bytes it gets
rm -f port.txt
sent=$(printf '漢字とカナ\r\n二行目ソ' | iconv -f UTF-8 -t CP932 | od -An -tx1 | tr -d ' \n')
reply=$(printf '受け取った\r\nok' | iconv -f UTF-8 -t CP932 | od -An -tx1 | tr -d ' \n')
python3 "$here/peer_server.py" port.txt got.bin $(( ${#sent} / 2 )) "$reply" &
peer=$!
await port.txt
check "client with the peer" "$(printf '%s\n' 返事:受け取った ok)" "$(run tcp_peer_client.tmk 2>&1)"
wait $peer; check "peer status" 0 $?
check "bytes sent" "$sent" "$(od -An -tx1 got.bin | tr -d ' \n')"

# --- DDE between two run-times
export XDG_RUNTIME_DIR=$work/xdg; mkdir -m 700 "$XDG_RUNTIME_DIR"
rm -f ready.txt
run dde_server.tmk >dde.out 2>&1 &
server=$!
await ready.txt
check "topic socket" 600 "$(stat -c %a "$XDG_RUNTIME_DIR"/tamakazu/dde/tamakazu/*@* 2>&1)"
check "dde client" "$(printf '%s\n' 'サーバー"tamakazu"トピック"無いトピック"でエラー。リンク出来ませんでした。' 送った)" \
  "$(run dde_client.tmk 2>&1 | sed 's/^.*行目): //')"
wait $server; check "dde server status" 0 $?
check "dde server" "$(printf '%s\n' DDE:一行目 二行目 "" DDE:終わり "")" "$(cat dde.out)"
check "topic socket removed" "" "$(ls "$XDG_RUNTIME_DIR"/tamakazu/dde/tamakazu/)"
# a stale socket of a server that is gone is passed over and removed
stale=$XDG_RUNTIME_DIR/tamakazu/dde/tamakazu/$(printf 'テスト' | iconv -f UTF-8 -t CP932)@1
python3 -c 'import os, socket, sys
s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM); s.bind(os.fsencode(sys.argv[1])); s.close()' "$stale"
rm -f ready.txt
run dde_server.tmk >dde.out 2>&1 &
server=$!
await ready.txt
touch -h -d '2000-01-01' "$stale"
run dde_client.tmk >/dev/null 2>&1
wait $server; check "dde past a stale socket" 0 $?
check "stale socket removed" no "$([ -e "$stale" ] && echo yes || echo no)"
# nothing answers: the program of DDEファイル名 is started, and it gets the command
run dde_start.tmk >start.out 2>&1; check "dde start status" 0 $?
for _ in $(seq 300); do [ "$(wc -l <start.out)" -ge 3 ] && break; sleep 0.1; done
check "dde started its server" "$(printf '%s\n' "" DDE:終わり 送った | sort)" "$(sort start.out)"

# --- facts from the system
printf 'ユーザー名取得を、表示\nコンピューター名取得を、表示\n' | iconv -f UTF-8 -t CP932 >facts.tmk
check "user and computer" "$(id -un; hostname)" "$(run facts.tmk 2>&1)"
exit $fail
