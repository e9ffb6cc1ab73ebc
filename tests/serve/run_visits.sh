#!/usr/bin/env bash
# A busy site's SQLite files. First a page's long write holds a file's lock
# while another page opens the file and it is fetched under served names (a
# hard link, a copy, and for a WAL database links to its log and to the
# log's index): a writer of another process stays out throughout, and none
# of them is sent. Then 32 visitors at once on a page that records each
# visit (VisitCount), while a program of its own writes to the same file and
# the file is fetched again. Every visit answered 200 has its row, every row
# the other program was told was written is there, no page failed, and the
# file is whole. Last, visitors at once on a page that reads an article and
# then counts its hit, on a file in each journal mode: every page is
# answered and every hit counted. And in each journal mode a page that marks
# each row of a query done as it reads it (a C++ page of the test build)
# reads every row once and marks them all.
#
#   run_visits.sh PATH/TO/zorvadel-serve-testing
set -u
testing=$1
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=server_lib.sh
source "$here/server_lib.sh"
site=$work/site
mkdir -p "$site"
sqlite3 "$site/visits.db" "CREATE TABLE VisitCount (Id INTEGER PRIMARY KEY, PhoneNumber TEXT,
  PhoneIp TEXT, PhoneUserAgent TEXT, PhoneAccept TEXT, VisitFile TEXT);"
ln "$site/visits.db" "$site/visits.txt"  # the same file under a served name
cp "$site/visits.db" "$site/db.txt"       # a copy of it
sqlite3 "$site/wal.db" "PRAGMA journal_mode=WAL; CREATE TABLE VisitCount (PhoneNumber TEXT);" \
  >/dev/null
cat >"$site/visit.json" <<'JSON'
{"steps": [{"create": "w", "progid": "Zorvadel.WAP"},
           {"let": "w.MdbPath", "value": "visits.db"},
           {"call": "w.VisitCount", "args": ["All", "Mdb"]},
           {"echo": "counted"}]}
JSON
# On each database: a long write (after a short one, which starts a WAL
# database's log), and a page that opens the file too. A WAL database is
# written faster, so its write is longer.
for db in visits wal; do
  rows=$([ "$db" = wal ] && echo 4000000 || echo 1500000)
  cat >"$site/long_$db.json" <<JSON
{"steps": [{"create": "w", "progid": "Zorvadel.WAP"},
           {"let": "w.MdbPath", "value": "$db.db"},
           {"let": "w.StrSql", "value": "INSERT INTO VisitCount (PhoneNumber) VALUES ('long')"},
           {"call": "w.MdbDo"},
           {"let": "w.StrSql", "value": "INSERT INTO VisitCount (PhoneNumber) WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < $rows) SELECT 'long' FROM n"},
           {"call": "w.MdbDo"},
           {"echo": "written"}]}
JSON
  cat >"$site/count_$db.json" <<JSON
{"steps": [{"create": "w", "progid": "Zorvadel.WAP"},
           {"let": "w.MdbPath", "value": "$db.db"},
           {"let": "w.StrSql", "value": "SELECT COUNT(*) AS n FROM VisitCount"},
           {"call": "w.MdbDo"}, {"write": "w.MdbShow", "args": ["n"]}]}
JSON
done

# Each statement runs on a connection of its own, as each opener makes one:
# the query still open on slot 1 while the hit is counted on slot 2.
for journal in delete wal; do
  sqlite3 "$site/news-$journal.db" "PRAGMA journal_mode=$journal;
    CREATE TABLE news (Id INTEGER PRIMARY KEY, Title TEXT, Hits INTEGER);
    INSERT INTO news VALUES (1, 'one', 0), (2, 'two', 0);" >/dev/null
  cat >"$site/hit-$journal.json" <<JSON
{"steps": [{"create": "w", "progid": "Zorvadel.WAP"},
           {"let": "w.MdbPath", "value": "news-$journal.db"},
           {"let": "w.StrSql", "value": "SELECT Title, Hits FROM news"},
           {"call": "w.MdbDo", "args": [1]},
           {"let": "w.StrSql", "value": "UPDATE news SET Hits = Hits + 1 WHERE Id = 1"},
           {"call": "w.MdbDo", "args": [2]},
           {"echo": "counted"}]}
JSON
done

for journal in delete wal; do
  sqlite3 "$site/loop-$journal.db" "PRAGMA journal_mode=$journal;
    CREATE TABLE T (Id INTEGER PRIMARY KEY, Done INTEGER);
    WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 10)
    INSERT INTO T SELECT x, 0 FROM n;" >/dev/null
done

start_server "$testing" "$site" 8 --access-log "$work/access.log"

for journal in delete wal; do
  check "a loop that marks each row it reads reads each once ($journal journal)" \
    "$(curl -s --max-time 60 "$base/cpp/mark_done.asp?db=/loop-$journal.db")" \
    "read 1 2 3 4 5 6 7 8 9 10 "
  check "and marks them all ($journal journal)" \
    "$(sqlite3 "$site/loop-$journal.db" 'SELECT COUNT(*) FROM T WHERE Done = 1')" 10
done

# A long write holds the file's lock: neither another page opening the
# file nor its files fetched under served names may let a writer of another
# process in meanwhile.
outside_refused() {  # DATABASE
  sqlite3 "$site/$1" "BEGIN IMMEDIATE; ROLLBACK;" 2>&1 | grep -q "database is locked"
}
# long_write DATABASE NAME...: each NAME is there and answered 404.
long_write() {
  local db=$1 name long count f
  shift
  curl -s -o "$work/long.out" --max-time 120 "$base/long_${db%.db}.asp" &
  long=$!
  # Refused once the write has begun, before it ends.
  local refused=1
  for _ in $(seq 200); do
    if outside_refused "$db"; then refused=0; break; fi
    kill -0 "$long" 2>/dev/null || break
    sleep 0.05
  done
  tally "a long write on $db keeps other writers out" $refused \
    "the outside writer got in until the write ended"
  for f in "$site/$db"-shm "$site/$db"-wal; do
    if [ -e "$f" ]; then ln -f "$f" "$site/${f##*-}.txt"; fi
  done
  curl -s -o /dev/null --max-time 120 "$base/count_${db%.db}.asp" &
  count=$!
  for name in "$@"; do
    check "$name is there, not sent" \
      "$([ -s "$site/$name" ] && echo there) $(curl -s -o /dev/null -w '%{http_code}' \
        --max-time 60 "$base/$name")" "there 404"
  done
  sleep 0.2
  # On a loaded machine the write may have ended meanwhile: only a writer
  # that got in while it still ran tells of a lock dropped.
  outside_refused "$db" || ! kill -0 "$long" 2>/dev/null
  tally "still, with $* fetched and another page opening $db" $? "the outside writer got in"
  wait "$long" "$count"
  check "the long write on $db ended" "$(cat "$work/long.out")" written
  check "$db is whole after it" "$(sqlite3 "$site/$db" 'PRAGMA integrity_check')" ok
}
long_write visits.db visits.txt db.txt
long_write wal.db shm.txt wal.txt
# Without the session cookie every request is a new visitor. Each visitor,
# the other program and the static fetches are one process apiece: a test
# that started a process per request would run through the system's process
# numbers, and stale numbers that other tests still hold reach new processes.
for _ in $(seq 32); do
  curl -s --max-time 120 -A "$phone" "$base/visit.asp?n=[1-40]" >/dev/null &
done
# Each row is printed once SQLite has it; the first that fails ends the list.
for i in $(seq 200); do
  echo "INSERT INTO VisitCount (PhoneNumber) VALUES ('outside $i'); SELECT $i;"
done | sqlite3 -bail -cmd '.timeout 30000' "$site/visits.db" \
  >"$work/outside.acknowledged" 2>/dev/null &
curl -s --max-time 120 "$base/visits.txt?n=[1-100]" >/dev/null &
wait_for_clients() {
  local p
  for p in $(jobs -p); do
    [[ " ${running[*]} " == *" $p "* ]] || wait "$p"
  done
}
wait_for_clients
for journal in delete wal; do
  for _ in $(seq 16); do
    curl -s --max-time 120 "$base/hit-$journal.asp?n=[1-10]" >>"$work/hits-$journal.out" &
  done
done
wait_for_clients
stop_server
for journal in delete wal; do
  check "every read-then-write page answered ($journal journal)" \
    "$(awk -v p="/hit-$journal.asp" 'index($7, p) == 1 && $9 == 200' "$work/access.log" | wc -l)" 160
  check "every hit counted ($journal journal)" \
    "$(sqlite3 "$site/news-$journal.db" 'SELECT Hits FROM news WHERE Id = 1')" 160
  check "every page wrote all of itself ($journal journal)" \
    "$(grep -o counted "$work/hits-$journal.out" | wc -l)" 160
done

answered=$(awk '$7 ~ /^\/visit\.asp/ && $9 == 200' "$work/access.log" | wc -l)
db() { sqlite3 "$site/visits.db" "$1"; }
check "the file is whole" "$(db 'PRAGMA integrity_check')" ok
check "every visit answered 200 has its row" \
  "$(db "SELECT COUNT(*) FROM VisitCount
         WHERE PhoneNumber IS NOT 'long' AND PhoneNumber NOT LIKE 'outside %'")" "$answered"
check "every row the other program wrote is there" \
  "$(db "SELECT COUNT(*) FROM VisitCount WHERE PhoneNumber LIKE 'outside %'")" \
  "$(wc -l <"$work/outside.acknowledged")"
[ "$answered" -eq 1280 ]
tally "every visit was answered 200 ($answered)" $? "some were not"
check "the file under a served name was never sent" \
  "$(awk '$7 ~ /^\/visits\.txt\?/ { print $9 }' "$work/access.log" | sort | uniq -c | xargs)" \
  "100 404"
check "no page failed" "$(grep -c . "$server_err")" 0
[ -s "$server_err" ] && head -5 "$server_err"
finish visits
