#!/usr/bin/env bash
# A run-time whose folder has no media module: a wave file plays nothing and
# says nothing, another file fails with the error that names the module, and
# MCI送信 of a command that opens nothing still answers.
set -u
bin=$1
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
cp "$bin" "$work/tamakazu"
printf 'RIFF' > "$work/a.wav"; printf 'OggS' > "$work/b.ogg"
cat > "$work/p.tmk" <<'TMK'
「a.wav」を、演奏
演奏状態を、表示
「status s mode」を、MCI送信
それを、表示
「b.ogg」を、演奏
「ここには来ない」を、表示
TMK
out=$(cd "$work" && TAMAKAZU_MODULE_DIR=/nonexistent ./tamakazu --headless p.tmk 2>&1); code=$?
want=$(printf '%s\n' '未設定' 'MCIエラー:デバイスが開かれていません。' \
  '[エラー] p.tmk(6行目): "演奏"命令に必要な部品"libtamakazu-media.so"が見つかりません。' \
  '[エラー] p.tmk(6行目): システム命令実行中のエラー。理由は,[エラー] p.tmk(6行目): "演奏"命令に必要な部品"libtamakazu-media.so"が見つかりません。')
fail=0
[ $code = 1 ] || { echo "status $code, expected 1"; fail=1; }
[ "$out" = "$want" ] || { echo "output:"; echo "$out"; echo "expected:"; echo "$want"; fail=1; }
exit $fail
