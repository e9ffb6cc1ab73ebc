#!/usr/bin/env bash
# Two engines on one site folder writing the same two SQLite files, one in
# each journal mode, each page in transactions. First pages that write one
# file with their transaction open while they read both on other
# connections: no cycle of waits is possible, so no page is refused and
# every page has its row. Then pages of one engine that write both files,
# half a then b and half b then a, so that they wait for each other, while
# the other engine's write one file each: each page is all or nothing, and
# its answer tells which (200: its row in both files; any other: in
# neither).
#
#   run_shared_files.sh PATH/TO/zorvadel-serve-testing
set -u
testing=$1
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=server_lib.sh
source "$here/server_lib.sh"
site=$work/site
mkdir -p "$site"
declare -A node_port
# One file in each journal mode.
sqlite3 "$site/a.db" "PRAGMA journal_mode=wal; CREATE TABLE T (n INTEGER);" >/dev/null
sqlite3 "$site/b.db" "CREATE TABLE T (n INTEGER);"
for node in a b; do
  : >"$work/$node.out"
  "$testing" --root "$site" --port 0 --threads 4 --node "$node" >"$work/$node.out" \
    2>"$work/$node.err" &
  started "$!"
  node_port[$node]=$(await_port "$!" "$work/$node.out") ||
    { echo "engine $node did not start"; cat "$work/$node.err"; exit 1; }
done

# pages OUT NODE:QUERY:FROM:TO...: one client each, on that engine, asks
# for two_files.asp with QUERY and n from FROM to TO; OUT gets "N STATUS"
# lines, in order of N.
pages() {
  local out=$1 c=0 client node query from to
  shift
  for client in "$@"; do
    IFS=: read -r node query from to <<<"$client"
    c=$((c + 1))
    curl -s --max-time 100 -o /dev/null -w '%{url_effective} %{http_code}\n' \
      "http://127.0.0.1:${node_port[$node]}/cpp/two_files.asp?$query&n=[$from-$to]" \
      >"$out.$c" &
  done
  wait_for_clients
  cat "$out".* | sed 's/.*n=\([0-9]*\) \([0-9]*\)$/\1 \2/' | sort -n >"$out"
}
wait_for_clients() {
  local p
  for p in $(jobs -p); do
    [[ " ${running[*]} " == *" $p "* ]] || wait "$p"
  done
}
# rows FILE [FROM TO]: the rows of FILE.db (with n from FROM to TO).
rows() {
  sqlite3 "$site/$1.db" "SELECT n FROM T WHERE n BETWEEN ${2:-0} AND ${3:-1000000} ORDER BY n" |
    tr '\n' ' '
}
# answered OUT RANGE...: the n answered 200 within the ranges ("FROM-TO"),
# in order; refused OUT: the n not answered 200.
answered() {
  local out=$1
  shift
  awk -v ranges="$*" 'BEGIN { n = split(ranges, r, " ") }
    $2 == 200 { for (i = 1; i <= n; ++i) { split(r[i], ab, "-");
      if ($1 >= ab[1] && $1 <= ab[2]) printf "%s ", $1 } }' "$out"
}
refused() { awk '$2 != 200 { printf "%s ", $1 }' "$1"; }

pages "$work/read" a:read=1\&first=a:1:100 a:read=1\&first=b:101:200 \
  b:read=1\&first=a:201:300 b:read=1\&first=b:301:400
check "no page that reads the other file refused" "$(refused "$work/read")" ""
check "every page answered 200 has its row in a" "$(rows a)" \
  "$(answered "$work/read" 1-100 201-300)"
check "... and in b" "$(rows b)" "$(answered "$work/read" 101-200 301-400)"

# Engine a's pages wait for each other; engine b's write one file each and
# can close no cycle (one of the other engine would wait out its bound).
for f in a b; do sqlite3 "$site/$f.db" "DELETE FROM T"; done
pages "$work/cycle" a:first=a:1:60 a:first=b:61:120 a:first=a:121:180 a:first=b:181:240 \
  b:only=1\&first=a:301:350 b:only=1\&first=b:351:400 b:only=1\&first=a:401:450
check "each page with cycles answered 200 has its row in a" "$(rows a 1 240)" \
  "$(answered "$work/cycle" 1-240)"
check "... and in b, and no other page has one" "$(rows b 1 240)" "$(answered "$work/cycle" 1-240)"
check "every page answered" "$(wc -l <"$work/cycle")" 390
check "no page of one file refused" "$(refused "$work/cycle" | awk '{ for (i = 1; i <= NF; ++i)
  if ($i > 300) printf "%s ", $i }')" ""
check "each has its row" "$(rows a 301 1000)|$(rows b 301 1000)" \
  "$(answered "$work/cycle" 301-350 401-450)|$(answered "$work/cycle" 351-400)"
echo "$(wc -w <<<"$(refused "$work/cycle")") of 240 pages with cycles refused"
for f in a b; do
  check "$f.db is whole" "$(sqlite3 "$site/$f.db" 'PRAGMA integrity_check')" ok
done
finish shared_files
