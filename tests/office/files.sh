#!/usr/bin/env bash
# The office files end to end: Python writes a workbook and a document, the
# run-time reads them, writes its own, reads those back, and Python's zip
# reader checks what the written packages hold.
set -u
bin=$1; dir=$2
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
cp "$dir/office_files.tmk" "$work/"
/usr/bin/python3 "$dir/make_inputs.py" "$work" || exit 1
( cd "$work" && TMPDIR="$work" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" \
    timeout 60 "$bin" --headless office_files.tmk >"$work/stdout" 2>"$work/stderr" )
code=$?
fail=0
if [ "$code" != 0 ]; then echo "exit status $code"; cat "$work/stderr"; fail=1; fi
if ! diff -u "$dir/office_files.out" "$work/stdout"; then echo "standard output differs"; fail=1; fi
/usr/bin/python3 "$dir/check_outputs.py" "$work" >"$work/check" 2>&1 || fail=1
if ! diff -u "$dir/office_files.check" "$work/check"; then echo "the written files differ"; fail=1; fi
exit $fail
