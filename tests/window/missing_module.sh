#!/usr/bin/env bash
# A run-time whose folder has no qt module: --window ends with status 2 and
# says why; without --window the run falls back to headless, even where a
# display is named; a module of another build is refused the same way.
set -u
bin=$1; module=$2
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
cp "$bin" "$work/tamakazu"
printf '%s\r\n' '"ok"を、表示' | iconv -f UTF-8 -t CP932 > "$work/p.tmk"
fail=0
out=$(cd "$work" && QT_QPA_PLATFORM=offscreen TAMAKAZU_MODULE_DIR=/nonexistent ./tamakazu --window p.tmk 2>&1); code=$?
[ $code = 2 ] || { echo "--window without the module: status $code"; fail=1; }
case "$out" in *"libtamakazu-qt.so"*) ;; *) echo "--window without the module said: $out"; fail=1 ;; esac
out=$(cd "$work" && QT_QPA_PLATFORM=offscreen ./tamakazu p.tmk 2>&1); code=$?
[ $code = 0 ] && [ "$out" = ok ] || { echo "fallback to headless: status $code, output: $out"; fail=1; }
# the module found through TAMAKAZU_MODULE_DIR
out=$(cd "$work" && QT_QPA_PLATFORM=offscreen TAMAKAZU_MODULE_DIR=$(dirname "$module") ./tamakazu --window --events /dev/null p.tmk 2>&1); code=$?
[ $code = 0 ] && [ "$out" = ok ] || { echo "module from TAMAKAZU_MODULE_DIR: status $code, output: $out"; fail=1; }
exit $fail
