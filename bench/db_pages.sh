#!/usr/bin/env bash
# The cost of a database read on a served page, on loopback only: three
# pages of one small site, served by zorvadel-serve in one run, each driven
# by wrk (4 threads, 16 connections, DURATION):
#   /plain.asp   the WML page without a read: it echoes the client's address
#   /sqlite.asp  the same page showing one row of a SQLite file, the demo's
#                table, opened with MdbDo and shown with MdbShow
#   /jet.asp     the same over a Jet file (Monitor.mdb from Debian's
#                mrtg-contrib, fetched once as the jet test fetches it)
# and prints the requests/s of each, the ratios SQLite/plain and
# Jet/SQLite, and the load average the run saw.
#
#   bench/db_pages.sh [--server BINARY] [--threads 8] [--duration 10s]
#                     [--only plain,sqlite,jet]
#
# Installs wrk when missing; not part of `make test`. Exit status 1 when a
# page does not answer what it should or a request fails.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$here/build}
server=
threads=8
duration=10s
only=plain,sqlite,jet
usage="usage: $0 [--server BINARY] [--threads N] [--duration 10s] [--only plain,sqlite,jet]"
while [ $# -gt 0 ]; do
  case $1 in
    --server) server=$2; shift 2 ;;
    --threads) threads=$2; shift 2 ;;
    --duration) duration=$2; shift 2 ;;
    --only) only=$2; shift 2 ;;
    *) echo "$usage" >&2; exit 2 ;;
  esac
done

source "$here/scripts/loopback_lib.sh"
load_run_ready

load_scratch

# The Jet sample, in the cache the jet test keeps in the build folder: its
# fetch script runs a test binary once it has the file, here one that does
# nothing.
jet_cache=$build/jet
if [[ ,$only, == *,jet,* ]]; then
  bash "$here/tests/database/run_jet.sh" true "$jet_cache" >/dev/null ||
    { echo "cannot fetch the Jet sample file" >&2; exit 1; }
fi

site=$work/site
mkdir -p "$site"
sqlite3 "$site/news.db" "CREATE TABLE Zorvadel (Id INTEGER PRIMARY KEY, Title TEXT, Content TEXT);
  WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 100)
  INSERT INTO Zorvadel SELECT x, 'Title ' || x, 'Content ' || x FROM n;"
[ -s "$jet_cache/Monitor.mdb" ] && cp "$jet_cache/Monitor.mdb" "$site/monitor.mdb"

# page NAME STEPS...: a WML page whose body is STEPS (JSON steps, one a line).
page() {
  local name=$1
  shift
  {
    echo '{"steps": ['
    echo ' {"create": "w", "progid": "Zorvadel.WAP"},'
    echo ' {"let": "w.CardTitle", "value": "News"},'
    echo ' {"call": "w.AutoHeader"},'
    printf ' %s,\n' "$@"
    echo ' {"echo": "<br/>"},'
    echo ' {"call": "w.AutoFooter"}'
    echo ']}'
  } >"$site/$name.json"
}
page plain '{"write": "Request.ServerVariables", "args": ["REMOTE_ADDR"]}'
page sqlite '{"let": "w.MdbPath", "value": "news.db"}' \
  '{"let": "w.StrSql", "value": "Select Id,Title,Content From Zorvadel Where Id=1"}' \
  '{"call": "w.MdbDo"}' '{"write": "w.MdbShow", "args": ["Title"]}'
page jet '{"let": "w.MdbPath", "value": "monitor.mdb"}' \
  '{"let": "w.StrSql", "value": "Select * From Monitor_Authenticate"}' \
  '{"call": "w.MdbDo"}' '{"write": "w.MdbShow", "args": ["EMail_Address"]}'

"$server" --root "$site" --port 0 --threads "$threads" >"$work/serve.out" 2>"$work/serve.err" &
serve_pid=$!
port=$(served_port "$work/serve.out") ||
  { echo "the server did not start" >&2; cat "$work/serve.err" >&2; exit 1; }

agent='Nokia6600/1.0 (4.09.1) SymbianOS/7.0s Series60/2.0 Profile/MIDP-2.0 Configuration/CLDC-1.0'
declare -A expected=([plain]=127.0.0.1 [sqlite]='Title 1' [jet]=nobody@sunnyline.co.za)
declare -A rate=()
failed=0
for name in plain sqlite jet; do
  [[ ,$only, == *,$name,* ]] || continue
  url=http://127.0.0.1:$port/$name.asp
  # A page that shows the wrong thing (an error suppressed, say) would be
  # measured as fast: each must show its row first.
  if ! curl -sf -A "$agent" "$url" | grep -qF "${expected[$name]}"; then
    echo "/$name.asp does not show \"${expected[$name]}\":" >&2
    curl -s -A "$agent" "$url" >&2 || true
    exit 1
  fi
  echo "== /$name.asp" >&2
  out=$(wrk -t4 -c16 -d"$duration" --timeout 20s -H "User-Agent: $agent" "$url")
  echo "$out" >&2
  rate[$name]=$(awk '/^Requests\/sec:/ {print $2}' <<<"$out")
  bad=$(awk '/Non-2xx or 3xx responses:/ {print $NF}' <<<"$out")
  errors=$(sed -n 's/.*Socket errors: connect \([0-9]*\), read \([0-9]*\), write \([0-9]*\), timeout \([0-9]*\).*/\1 \2 \3 \4/p' <<<"$out" |
    awk '{print $1 + $2 + $3 + $4}')
  failed=$((failed + ${bad:-0} + ${errors:-0}))
done
load=$(uptime | sed 's/.*load average: //')

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.4f", (b > 0 ? a / b : 0) }'; }
echo
echo "zorvadel-serve, $threads threads; wrk: 4 threads, 16 connections, $duration per page; $(nproc) cores"
for name in plain sqlite jet; do
  [ -n "${rate[$name]:-}" ] && printf '%-7s %12s requests/s\n' "$name" "${rate[$name]}"
done
[ -n "${rate[plain]:-}" ] && [ -n "${rate[sqlite]:-}" ] &&
  echo "SQLite/plain: $(ratio "${rate[sqlite]}" "${rate[plain]}")"
[ -n "${rate[sqlite]:-}" ] && [ -n "${rate[jet]:-}" ] &&
  echo "Jet/SQLite:   $(ratio "${rate[jet]}" "${rate[sqlite]}")"
echo "load average at the end: $load"
if [ "$failed" -ne 0 ]; then
  echo "$failed requests failed"
  exit 1
fi
echo "every request succeeded"
