#!/usr/bin/env bash
# Visits counted under load, on loopback only: a WML page that records each
# new visitor in a SQLite file (VisitCount("All", "Mdb")), served by
# zorvadel-serve and driven by wrk (4 threads, CONNECTIONS visitors, none
# sending the session cookie back, so every request is a new visit). Prints
# wrk's latency spread, the pages answered 200 (from the access log), the
# rows the file holds, and how many visits answered 200 have no row.
#
#   bench/visits.sh [--server BINARY] [--threads 8] [--connections 32]
#                   [--duration 10s]
#
# Installs wrk when missing; not part of `make test`. Exit status 1 when a
# visit answered 200 has no row, or the file is damaged.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$here/build}
server=
threads=8
connections=32
duration=10s
usage="usage: $0 [--server BINARY] [--threads N] [--connections N] [--duration 10s]"
while [ $# -gt 0 ]; do
  case $1 in
    --server) server=$2; shift 2 ;;
    --threads) threads=$2; shift 2 ;;
    --connections) connections=$2; shift 2 ;;
    --duration) duration=$2; shift 2 ;;
    *) echo "$usage" >&2; exit 2 ;;
  esac
done

source "$here/scripts/loopback_lib.sh"
load_run_ready

load_scratch

site=$work/site
mkdir -p "$site"
sqlite3 "$site/visits.db" "CREATE TABLE VisitCount (Id INTEGER PRIMARY KEY, PhoneNumber TEXT,
  PhoneIp TEXT, PhoneUserAgent TEXT, PhoneAccept TEXT, VisitFile TEXT);"
cat >"$site/visit.json" <<'EOF'
{"steps": [
 {"create": "w", "progid": "Zorvadel.WAP"},
 {"let": "w.CardTitle", "value": "Visits"},
 {"call": "w.AutoHeader"},
 {"let": "w.MdbPath", "value": "visits.db"},
 {"call": "w.VisitCount", "args": ["All", "Mdb"]},
 {"echo": "counted"},
 {"call": "w.AutoFooter"}
]}
EOF

"$server" --root "$site" --port 0 --threads "$threads" --access-log "$work/access.log" \
  >"$work/serve.out" 2>"$work/serve.err" &
serve_pid=$!
port=$(served_port "$work/serve.out") ||
  { echo "the server did not start" >&2; cat "$work/serve.err" >&2; exit 1; }

agent='Nokia6600/1.0 (4.09.1) SymbianOS/7.0s Series60/2.0 Profile/MIDP-2.0 Configuration/CLDC-1.0'
url=http://127.0.0.1:$port/visit.asp
curl -sf -A "$agent" "$url" | grep -q counted || { echo "/visit.asp does not answer" >&2; exit 1; }
out=$(wrk -t4 -c"$connections" -d"$duration" --timeout 60s --latency -H "User-Agent: $agent" "$url")
echo "$out"
kill -TERM "$serve_pid"
wait "$serve_pid" || true
serve_pid=
load=$(uptime | sed 's/.*load average: //')

answered=$(awk '$9 == 200 && $7 == "/visit.asp"' "$work/access.log" | wc -l)
rows=$(sqlite3 "$site/visits.db" "SELECT COUNT(*) FROM VisitCount")
check=$(sqlite3 "$site/visits.db" "PRAGMA integrity_check")
lost=$((answered > rows ? answered - rows : 0))
echo
echo "zorvadel-serve, $threads threads; wrk: 4 threads, $connections visitors, $duration; $(nproc) cores"
echo "p99: $(awk '$1 == "99%" {print $2}' <<<"$out")"
echo "answered 200: $answered; rows: $rows; visits answered 200 without their row: $lost"
echo "integrity_check: $check"
echo "lines on stderr: $(wc -l <"$work/serve.err")"
head -3 "$work/serve.err"
echo "load average at the end: $load"
[ "$lost" -eq 0 ] && [ "$check" = ok ]
