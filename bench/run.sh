#!/usr/bin/env bash
# Runs every benchmark side by side: bench/NAME.tmk through the run-time, and
# the equivalent bench/NAME.py, bench/NAME.tcl and bench/NAME.pl where they
# exist; prints the best of three wall-clock times and the ratios.
set -u
bin=$(realpath "${1:-build/tamakazu}")
here=$(cd "$(dirname "$0")" && pwd)
py=/usr/bin/python3
runs=${BENCH_RUNS:-3}

best() {  # best wall time in seconds of a command, run $runs times
  local best="" t
  for _ in $(seq "$runs"); do
    t=$( { TIMEFORMAT=%R; time "$@" >/dev/null 2>&1 </dev/null; } 2>&1 )
    if [ -z "$best" ] || [ "$(echo "$t < $best" | bc -l)" = 1 ]; then best=$t; fi
  done
  printf '%.3f' "$best"
}

ratio() { if [ "$2" = "-" ]; then echo "-"; else printf '%.2f' "$(echo "$1 / $2" | bc -l)"; fi; }

work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
printf '%-22s %10s %10s %10s %10s %9s %9s\n' benchmark tamakazu python3 tclsh perl "/python" "/tcl"
# start-up: an almost empty program against empty scripts
printf '「」と、表示\n' > "$work/empty.tmk"
: > "$work/empty.py"; : > "$work/empty.tcl"; : > "$work/empty.pl"
# long straight-line programs, generated: many sentences with arithmetic, and
# a text built piece by piece
gen() {  # name count tmk-line py-line tcl-line pl-line
  local n=$1 c=$2
  { printf '%s\n' "$3"; for _ in $(seq "$c"); do printf '%s\n' "$4"; done; printf '%s\n' "$5"; } > "$work/$n.tmk"
  { printf '%s\n' "$6"; for _ in $(seq "$c"); do printf '%s\n' "$7"; done; printf '%s\n' "$8"; } > "$work/$n.py"
  { printf '%s\n' "$9"; for _ in $(seq "$c"); do printf '%s\n' "${10}"; done; printf '%s\n' "${11}"; } > "$work/$n.tcl"
}
gen sentences 100000 'Aは、0' 'Aは、A+1' 'Aを、表示' 'a=0' 'a=a+1' 'print(a)' 'set a 0' 'incr a' 'puts $a'
gen concat 50000 'Sは、「」' 'Sは、S&「ab」' '文字数(S)を、表示' 's=""' 's=s+"ab"' 'print(len(s))' 'set s ""' 'append s ab' 'puts [string length $s]'
# a local HTTP server for the download benchmark (its port in $work/port.txt)
SERVER_LIFETIME=900 SERVER_MAX_REQUESTS=20000 "$py" "$here/../tests/net/servers.py" http "$work" 2>/dev/null &
server=$!
trap 'kill $server 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -f "$work/port.txt" ] && break; sleep 0.1; done
cp "$here"/http_get.tmk "$here"/http_get.py "$work/"
for name in startup sentences concat $(cd "$here" && ls *.tmk 2>/dev/null | sed 's/\.tmk$//'); do
  case $name in
    startup) d=$work; n=empty ;;
    sentences|concat|http_get) d=$work; n=$name ;;
    *) d=$here; n=$name ;;
  esac
  t=$(cd "$d" && best "$bin" --headless "$n.tmk")
  p=-; c=-; l=-
  [ -f "$d/$n.py" ] && p=$(cd "$d" && best "$py" "$n.py")
  [ -f "$d/$n.tcl" ] && c=$(cd "$d" && best tclsh "$n.tcl")
  [ -f "$d/$n.pl" ] && l=$(cd "$d" && best perl "$n.pl")
  printf '%-22s %10s %10s %10s %10s %9s %9s\n' "$name" "$t" "$p" "$c" "$l" "$(ratio "$t" "$p")" "$(ratio "$t" "$c")"
done
