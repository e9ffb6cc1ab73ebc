#!/usr/bin/env bash
# Database servers that accept and never answer: the MySQL and SQL Server
# kinds (the driver names as pages spell them, mapped here to MariaDB
# Connector/ODBC and FreeTDS) must take their failure path within the
# connect bound, through the player and through an engine of two threads
# that goes on serving other pages meanwhile; and a SQL Server that logs the
# page in and then never answers its statement, within the statement bound.
#
#   run_silent_servers.sh PATH/TO/zorvadel-run PATH/TO/zorvadel-serve
set -u
run=$1
serve=$2
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../serve/server_lib.sh
source "$here/../serve/server_lib.sh"
for driver in libmaodbc.so libtdsodbc.so; do
  ls /usr/lib/*/odbc/"$driver" >/dev/null 2>&1 ||
    { echo "silent servers: $driver is missing (bash scripts/install-deps.sh)"; exit 1; }
done

listeners=()
stop_listeners() { kill "${listeners[@]}" 2>/dev/null; cleanup; }
trap stop_listeners EXIT
listen() {  # NAME [--tds]: sets the variable NAME to the port
  python3 "$here/silent_server.py" "$work/$1" "${@:2}" &
  listeners+=($!)
  for _ in $(seq 100); do [ -s "$work/$1" ] && break; sleep 0.1; done
  printf -v "$1" '%s' "$(cat "$work/$1")"
}
listen silent
listen after_login --tds

printf '[SQL server]\nDriver=libtdsodbc.so\n\n[myodbd driver]\nDriver=libmaodbc.so\n' \
  >"$work/odbcinst.ini"
: >"$work/odbc.ini"
export ODBCSYSINI=$work ODBCINI=$work/odbc.ini

site=$work/site
mkdir -p "$site"
# A page per kind: the statement member, then a line that shows the page
# went on (RecordCount keeps its start value when the open fails).
page() {  # KIND MEMBER PROPERTY-STEPS
  cat >"$site/$1.json" <<JSON
{"steps": [{"create": "w", "progid": "Zorvadel.WAP"}, $3,
           {"let": "w.StrSql", "value": "SELECT 1"}, {"call": "w.$2"},
           {"echo": "$1 went on "}, {"write": "w.RecordCount"}]}
JSON
}
page mysql MySqlDo '{"let": "w.MySqlServerName", "value": "127.0.0.1"},
  {"let": "w.MySqlUserId", "value": "root"},
  {"let": "w.MySqlOtherConnInfo", "value": ";port='"$silent"'"}'
page sqlserver SqlDo '{"let": "w.SqlServerName", "value": "127.0.0.1"},
  {"let": "w.SqlUserId", "value": "sa"},
  {"let": "w.SqlOtherConnInfo", "value": ";Port='"$silent"'"}'
page statement SqlDo '{"let": "w.SqlServerName", "value": "127.0.0.1"},
  {"let": "w.SqlUserId", "value": "sa"},
  {"let": "w.SqlOtherConnInfo", "value": ";Port='"$after_login"'"}'
echo '{"steps": [{"echo": "other page"}]}' >"$site/other.json"
# What each page's failure line starts with, up to the driver's own message.
tds="Driver={SQL server};Server=127.0.0.1;Database=Zorvadel"
declare -A failure_of=(
  [mysql]="MySqlDo: cannot open driver={myodbd driver};server=127.0.0.1;port=$silent: ["
  [sqlserver]="SqlDo: cannot open $tds;Port=$silent: ["
  [statement]="SqlDo: statement failed on $tds;Port=$after_login: SELECT 1: ["
)
# told NAME FILE PAGE KIND: FILE holds the failure line of KIND's page at
# PAGE (and with "once", no other line of ours).
told() {
  local want="zorvadel: $3: ${failure_of[$4]}"
  check "$1: the failure line" "$(grep -F -- "$want" "$2" | head -1 | cut -c1-${#want})" "$want"
  [ "${5:-}" != once ] || check "$1: one line" "$(grep -c '^zorvadel: ' "$2")" 1
}

# The statement bound is about 30 s: it runs while the rest is tested.
started_statement=$SECONDS
timeout 120 "$run" "$site/statement.json" >"$work/statement.out" 2>"$work/statement.err" &
statement=$!

# The connect bound is about 5 s; twice that is the most a page may take.
for kind in mysql sqlserver; do
  started=$SECONDS
  got=$(timeout 60 "$run" "$site/$kind.json" 2>"$work/$kind.err")
  status=$?
  check "$kind through the player: the page goes on" "$got" "$kind went on 0"
  check "$kind through the player: exit status" "$status" 0
  told "$kind through the player" "$work/$kind.err" /index.asp "$kind" once
  took=$((SECONDS - started))
  [ "$took" -le 10 ]; tally "$kind through the player: within 10 s" $? "took ${took} s"
done

# Four silent pages at once on two threads: every one ends, and a page
# asked for meanwhile is served once a thread is free, not never.
start_server "$serve" "$site" 2
started=$SECONDS
asked=()
for i in 1 2; do
  for kind in mysql sqlserver; do
    curl -s --max-time 60 -o "$work/answer-$kind-$i" "$base/$kind.asp" &
    asked+=($!)
  done
done
sleep 1
other=$(curl -s --max-time 60 "$base/other.asp")
other_took=$((SECONDS - started))
wait "${asked[@]}"
took=$((SECONDS - started))
check "another page is served" "$other" "other page"
[ "$other_took" -le 20 ]; tally "another page within 20 s" $? "took ${other_took} s"
[ "$took" -le 25 ]; tally "four silent pages end within 25 s" $? "took ${took} s"
for i in 1 2; do
  for kind in mysql sqlserver; do
    check "$kind page $i through the engine" "$(cat "$work/answer-$kind-$i")" "$kind went on 0"
  done
done
fetch /other.asp
check "the engine still answers at once" "$body" "other page"
stop_server
for kind in mysql sqlserver; do
  told "$kind through the engine" "$server_err" "/$kind.asp" "$kind"
done

wait "$statement"
check "a statement never answered: exit status" "$?" 0
took=$((SECONDS - started_statement))
check "a statement never answered: the page goes on" "$(cat "$work/statement.out")" \
  "statement went on 0"
told "a statement never answered" "$work/statement.err" /index.asp statement once
[ "$took" -ge 20 ] && [ "$took" -le 45 ]
tally "a statement never answered ends in 20 to 45 s" $? "took ${took} s"
finish "silent servers"
