#!/usr/bin/env bash
# A program test through the driver manager: the SQLite driver is named in an
# odbcinst.ini of the test's own (ODBCSYSINI), and the program connects with a
# connection string naming it, so no data source or server is needed.
set -u
bin=$1; prog=$2
here=$(cd "$(dirname "$0")" && pwd)
driver=""
for d in /usr/lib/x86_64-linux-gnu/odbc /usr/lib/*/odbc /usr/lib/odbc /usr/local/lib/odbc; do
  if [ -f "$d/libsqlite3odbc.so" ]; then driver=$d/libsqlite3odbc.so; break; fi
done
if [ -z "$driver" ]; then echo "the SQLite ODBC driver (libsqliteodbc) is not installed"; exit 77; fi
cfg=$(mktemp -d); trap 'rm -rf "$cfg"' EXIT
printf '[TamaSQLite3]\nDescription=SQLite 3 for the tests\nDriver=%s\n' "$driver" > "$cfg/odbcinst.ini"
: > "$cfg/odbc.ini"
ODBCSYSINI=$cfg ODBCINI=$cfg/odbc.ini "$here/../run_program.sh" "$bin" "$prog"
