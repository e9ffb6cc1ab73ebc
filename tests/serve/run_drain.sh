#!/usr/bin/env bash
# The stop on SIGTERM: no new connection, 503 (a deck for a WML phone) for
# requests not yet started, the drain time for the pages that run, and an
# exit with status 0 even when pages still run then: here four pages that
# wait on a SQL Server that logs them in and never answers their statement.
#
#   run_drain.sh PATH/TO/zorvadel-serve-testing
set -u
testing=$1
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=server_lib.sh
source "$here/server_lib.sh"
ls /usr/lib/*/odbc/libtdsodbc.so >/dev/null 2>&1 ||
  { echo "drain: libtdsodbc.so is missing (bash scripts/install-deps.sh)"; exit 1; }
site=$work/site
cp -a "$here/site" "$site"

python3 "$here/../database/silent_server.py" "$work/tds_port" --tds &
listener=$!
started "$listener"
for _ in $(seq 100); do [ -s "$work/tds_port" ] && break; sleep 0.1; done
printf '[SQL server]\nDriver=libtdsodbc.so\n' >"$work/odbcinst.ini"
: >"$work/odbc.ini"
export ODBCSYSINI=$work ODBCINI=$work/odbc.ini
cat >"$site/statement.json" <<JSON
{"steps": [{"create": "w", "progid": "Zorvadel.WAP"},
           {"let": "w.SqlServerName", "value": "127.0.0.1"},
           {"let": "w.SqlUserId", "value": "sa"},
           {"let": "w.SqlOtherConnInfo", "value": ";Port=$(cat "$work/tds_port")"},
           {"let": "w.StrSql", "value": "SELECT 1"}, {"call": "w.SqlDo"},
           {"echo": "went on"}]}
JSON
wml_only='text/vnd.wap.wml, image/vnd.wap.wbmp, */*'

# stop_timed: SIGTERM to the server; sets $stop_status and $stop_ms.
stop_timed() {
  local began
  began=$(date +%s%N)
  stop_process "$pid" 30
  stop_status=$?
  stop_ms=$((($(date +%s%N) - began) / 1000000))
  pid=
}

# ---- pages that never end: the drain runs out ---------------------------------------
start_server "$testing" "$site" 2 --access-log "$work/access1.log"
fetch /index.asp
asked=()
for i in 1 2 3 4; do
  curl -s --max-time 60 -o "$work/statement$i" -w '%{http_code}' "$base/statement.asp" \
    >"$work/status$i" &
  asked+=($!)
  started "${asked[-1]}"
done
sleep 3
stop_timed
check "pages on a silent database: exit status 0" "$stop_status" 0
[ "$stop_ms" -le 15000 ] && [ "$stop_ms" -ge 9000 ]
tally "pages on a silent database: stopped after the 10 s drain, within 15 s" $? "${stop_ms} ms"
check "pages on a silent database: stopped" "$(tail -1 "$server_out" | sed 's/^[^:]*: //')" stopped
# Both threads hold a page by then, unless a loaded machine has not yet
# started the second one's page: one or two pages are told.
check "pages on a silent database: told" \
  "$(grep -cE ': stopped with (1 page|2 pages) still running after the drain time \(10 s\)$' "$server_err")" 1
for p in "${asked[@]}"; do stop_process "$p" 5; done
check "pages on a silent database: their connections closed" "$(cat "$work"/status?)" 000000000000
check "pages on a silent database: the access log written" \
  "$(grep -c '"GET /index.asp HTTP/1.1" 200 ' "$work/access1.log")" 1
fetch /index.asp
check "no new connection after the stop" "$status" 000

# ---- requests not yet started get 503; a page that ends within the drain is sent ----
# held.py PORT DELAY: a request on a kept-alive connection, another one
# DELAY seconds later from a WML phone; prints both statuses (the first as
# soon as it came) and the second's Content-Type.
cat >"$work/held.py" <<'PY'
import socket, sys, time
port, delay = int(sys.argv[1]), float(sys.argv[2])
s = socket.create_connection(("127.0.0.1", port), timeout=20)
def answer():
    got = b""
    while b"\r\n\r\n" not in got:
        piece = s.recv(4096)
        if not piece:
            raise OSError("closed")
        got += piece
    head, rest = got.split(b"\r\n\r\n", 1)
    lines = head.decode().split("\r\n")
    fields = {l.split(":")[0].lower(): l.split(":", 1)[1].strip() for l in lines[1:]}
    while len(rest) < int(fields.get("content-length", 0)):
        piece = s.recv(4096)
        if not piece:
            raise OSError("closed")
        rest += piece
    return lines[0].split(" ")[1], fields.get("content-type", "")
s.sendall(b"GET /index.asp HTTP/1.1\r\nHost: x\r\n\r\n")
first = answer()[0]
print(first, end=" ", flush=True)
time.sleep(delay)
s.sendall(b"GET /index.asp HTTP/1.1\r\nHost: x\r\nAccept: text/vnd.wap.wml\r\n\r\n")
try:
    second, kind = answer()
except OSError:
    second, kind = "none", ""
print(second, kind)
PY
start_server "$testing" "$site" 2 --access-log "$work/access2.log"
fetch /cpp/counter.asp -c "$work/jar"
python3 "$work/held.py" "$port" 1.5 >"$work/held" &
held=$!
started "$held"
# The held connection's first answer comes before the slow page takes a
# thread, which may be the connection's.
for _ in $(seq 100); do [ -s "$work/held" ] && break; sleep 0.05; done
curl -s --max-time 20 -b "$work/jar" -o "$work/running" -w '%{http_code}' \
  "$base/cpp/slow.asp?ms=3000" >"$work/running_status" &
slow_page=$!
started "$slow_page"
sleep 0.3
# Waits for the turn of its session, held by the slow page.
curl -s --max-time 20 -b "$work/jar" -H "Accept: $wml_only" -D "$work/queued_head" \
  -o /dev/null -w '%{http_code}' "$base/cpp/counter.asp" >"$work/queued_status" &
queued=$!
started "$queued"
sleep 0.7
stop_timed
check "drained: exit status 0" "$stop_status" 0
[ "$stop_ms" -ge 1500 ] && [ "$stop_ms" -le 6000 ]
tally "drained: stopped once the running page ended" $? "${stop_ms} ms"
for p in "$held" "$slow_page" "$queued"; do stop_process "$p" 5; done
check "drained: the running page sent" "$(cat "$work/running_status") $(cat "$work/running")" \
  "200 slow"
check "drained: a page queued for its session's turn gets 503" \
  "$(cat "$work/queued_status") $(grep -i '^content-type:' "$work/queued_head" | tr -d '\r')" \
  "503 Content-Type: text/vnd.wap.wml; charset=utf-8"
check "drained: a request on a held connection gets 503" "$(cat "$work/held")" \
  "200 503 text/vnd.wap.wml; charset=utf-8"
check "drained: no page error told" "$(grep -c 'took too long\|still running' "$server_err")" 0
check "drained: every answer in the access log" \
  "$(awk '{ print $(NF - 1) }' "$work/access2.log" | sort | uniq -c | awk '{ printf "%s=%s ", $2, $1 }')" \
  "200=3 503=2 "

finish drain
