#!/usr/bin/env bash
# The engine's Jet readers on the real Jet file (see jet_file.sh): a Jet
# page starts them and later pages reuse them; twenty pages over a file
# that sends MDBTools allocating without end, at once, keep the readers'
# memory together under 1.5 GB; a reader killed in the middle of a job
# fails that page and the next page is served; and no reader outlives the
# server, whether it stops on SIGTERM or is killed with SIGKILL while a
# reader is busy.
#
#   run_jet_readers.sh PATH/TO/zorvadel-serve CACHE
set -u
serve=$1
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../serve/server_lib.sh
source "$here/../serve/server_lib.sh"
# shellcheck source=jet_file.sh
source "$here/jet_file.sh"
jet_file "$2" || exit 1

site=$work/site
mkdir -p "$site"
cp "$jet_file" "$site/monitor.mdb"
# One changed byte: MDBTools allocates without end, or loops on the CPU.
damage() {  # NAME OFFSET
  cp "$jet_file" "$site/$1.mdb"
  printf '\000' | dd of="$site/$1.mdb" bs=1 seek="$2" conv=notrunc status=none
}
damage allocating 109041
damage looping 108582
# A page of MdbDo and MdbShow; those over a damaged file do MdbDo alone,
# one job that runs long.
page() {  # NAME FILE [SHOW-STEPS]
  cat >"$site/$1.json" <<JSON
{"steps": [{"create": "w", "progid": "Zorvadel.WAP"}, {"let": "w.MdbPath", "value": "$2"},
 {"let": "w.StrSql", "value": "SELECT * FROM Monitor_Authenticate"}, {"call": "w.MdbDo"},
 {"echo": "rows "}, {"write": "w.RecordCount"}${3-}]}
JSON
}
show=', {"let": "w.StrSql", "value": "SELECT Comment FROM Monitor_Authenticate WHERE id = 1"},
 {"echo": " comment "}, {"write": "w.MdbShow", "args": ["Comment"]}'
page good monitor.mdb "$show"
page allocating allocating.mdb
page looping looping.mdb
good_body='rows 1 comment Example Circuit Added For Monitor Example To Potential New Clients'

readers() {  # the server's reader processes
  local child
  for child in $(pgrep -P "$pid"); do
    [ "$(tr '\0' '\n' 2>/dev/null <"/proc/$child/cmdline" | head -1)" = zorvadel-jet-reader ] &&
      echo "$child"
  done
}
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0; }
# ended PID: gone, or a zombie that its new parent has not reaped yet.
ended() { [ ! -e "/proc/$1" ] || [ "$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null)" = Z ]; }
# busy_reader SECONDS: prints a reader that has run half a second of CPU
# since it was first seen, within SECONDS.
busy_reader() {
  local deadline=$((SECONDS + $1)) r
  declare -A first=()
  while [ "$SECONDS" -lt "$deadline" ]; do
    for r in $(readers); do
      [ -n "${first[$r]:-}" ] || first[$r]=$(cpu_ticks "$r")
      if [ $(($(cpu_ticks "$r") - first[$r])) -ge 50 ]; then echo "$r"; return 0; fi
    done
    sleep 0.05
  done
  return 1
}

start_server "$serve" "$site" 8

# ---- readers start with the first Jet page and stand ------------------------------
check "no reader before a Jet page" "$(readers | wc -l)" 0
fetch /good.asp
check "a Jet page" "$body" "$good_body"
first=$(readers | sort)
[ -n "$first" ]; tally "a reader stands after the page" $? "none found"
for _ in 1 2 3 4 5; do fetch /good.asp; done
check "the same page again" "$body" "$good_body"
check "the same readers serve it" "$(readers | sort)" "$first"

# ---- twenty pages that allocate without end, at once ------------------------------
# Resident memory of the readers together, sampled until the pages end.
sampler() {
  local most=0 sum r kb
  while [ ! -e "$work/pages_done" ]; do
    sum=0
    for r in $(readers); do
      kb=$(awk '/^VmRSS:/ {print $2}' "/proc/$r/status" 2>/dev/null)
      sum=$((sum + ${kb:-0}))
    done
    [ "$sum" -gt "$most" ] && most=$sum && echo "$most" >"$work/most_kb"
    sleep 0.02
  done
}
echo 0 >"$work/most_kb"
sampler &
sampler_pid=$!
started "$sampler_pid"
started_at=$SECONDS
asked=()
for i in $(seq 20); do
  curl -s --max-time 120 -o "$work/allocating-$i" "$base/allocating.asp" &
  asked+=($!)
done
wait "${asked[@]}"
took=$((SECONDS - started_at))
touch "$work/pages_done"
wait "$sampler_pid"
most_kb=$(cat "$work/most_kb")
echo "jet readers: twenty allocating pages took ${took} s; the readers' memory peaked at $((most_kb / 1024)) MB"
[ "$most_kb" -le 1464843 ]; tally "the readers' memory stays under 1.5 GB" $? "peaked at ${most_kb} kB"
[ "$most_kb" -ge 131072 ]; tally "the pages did make the readers allocate" $? "peaked at ${most_kb} kB"
for i in $(seq 20); do
  check "allocating page $i takes its failure path" "$(cat "$work/allocating-$i")" "rows 0"
done
[ "$took" -le 150 ]; tally "twenty allocating pages end within 150 s" $? "took ${took} s"
fetch /good.asp
check "a Jet page after them" "$body" "$good_body"

# ---- a reader killed in the middle of a job ---------------------------------------
curl -s --max-time 60 -o "$work/looping" "$base/looping.asp" &
looping=$!
if busy=$(busy_reader 30); then
  kill -KILL "$busy"
  killed_at=$SECONDS
  wait "$looping"
  check "the page whose reader was killed takes its failure path" "$(cat "$work/looping")" \
    "rows 0"
  [ $((SECONDS - killed_at)) -le 3 ]
  tally "that page ends at once" $? "took $((SECONDS - killed_at)) s after the kill"
  fetch /good.asp
  check "the next page is served" "$body" "$good_body"
  readers | grep -qx "$busy"
  [ $? -ne 0 ]; tally "the killed reader is gone" $? "$busy is still a reader"
else
  wait "$looping"
  tally "a reader busy on the looping page" 1 "none ran half a second of CPU"
fi

# ---- no reader outlives the server ------------------------------------------------
left=$(readers)
stop_server
sleep 0.5
for r in $left; do
  ended "$r"; tally "reader $r ends with the server's SIGTERM" $? "still running"
done

start_server "$serve" "$site" 8
fetch /good.asp
check "a Jet page on a new server" "$body" "$good_body"
curl -s --max-time 60 -o /dev/null "$base/looping.asp" &
looping=$!
if busy=$(busy_reader 30); then
  fetch /good.asp
  check "a Jet page while a reader is busy" "$body" "$good_body"
  left=$(readers)
  [ "$(echo "$left" | wc -w)" -ge 2 ]; tally "an idle reader and a busy one" $? "readers: $left"
  kill -KILL "$pid"
  wait "$pid" 2>/dev/null
  forget "$pid"
  # A reader learns of its server's end from the kernel; a loaded machine
  # may take a while to run it to its end.
  for r in $left $busy; do
    for _ in $(seq 100); do ended "$r" && break; sleep 0.1; done
  done
  for r in $left; do
    ended "$r"; tally "reader $r ends with the server's SIGKILL" $? "still running"
  done
  ended "$busy"; tally "the busy reader ends with the server's SIGKILL" $? "still running"
else
  tally "a reader busy on the looping page" 1 "none ran half a second of CPU"
fi
wait "$looping"
finish "jet readers"
