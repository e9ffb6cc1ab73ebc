#!/usr/bin/env bash
# The connection gate under more connections than the server holds, on one
# and on eight threads: 1,100 connections that stall (in the middle of their
# head, or idle after a request, kept alive; either way the oldest of them
# giving way to the newest, every request answered; or in a body that has
# just begun, those past the limit refused), after which requests are
# answered again; connections that stall halfway closed at the idle
# timeout; SIGTERM stopping the server within a few seconds while the
# connections are held; and 2,000 connections held at once where the
# open-file limit allows.
#
#   run_gate.sh PATH/TO/zorvadel-serve-testing
set -u
testing=$1
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=server_lib.sh
source "$here/server_lib.sh"
site=$work/site
cp -a "$here/site" "$site"

# The server and the client each hold every connection.
many_files 1,100
connections=1100
held=1020  # the most the server lets in at once, under the limit below

# start_held THREADS [FLAGS...]: a server whose open-file limit leaves it
# $held places.
start_held() {
  ulimit -Sn $((held + 64 + 2 * $1))
  start_server "$testing" "$site" "$@"
  ulimit -Sn 4096 2>/dev/null || ulimit -Sn "$(ulimit -Hn)"
}

# flood.py PORT COUNT HOLD MODE: opens COUNT connections, each sending the
# start of a head ("stall"), a whole request ("request") or the head of a
# request whose body never comes ("body"), holds them HOLD seconds, then
# prints how many got which status line ("none": nothing yet).
cat >"$work/flood.py" <<'PY'
import collections, resource, socket, sys, time
port, count, hold, mode = int(sys.argv[1]), int(sys.argv[2]), float(sys.argv[3]), sys.argv[4]
hard = resource.getrlimit(resource.RLIMIT_NOFILE)[1]
resource.setrlimit(resource.RLIMIT_NOFILE, (min(hard, count + 256), hard))
start = b"GET / HTTP/1.1\r\nHost: x\r\n"
sent = {"stall": start, "request": start + b"\r\n",
        "body": b"POST /form.asp HTTP/1.1\r\nHost: x\r\nContent-Length: 100\r\n\r\n"}[mode]
held = []
for _ in range(count):
    s = socket.create_connection(("127.0.0.1", port))
    s.sendall(sent)
    held.append(s)
time.sleep(hold)
seen = collections.Counter()
for s in held:
    s.setblocking(False)
    try:
        line = s.recv(256).split(b"\r\n")[0].decode()
        seen[line.split(" ")[1] if line else "closed"] += 1
    except BlockingIOError:
        seen["none"] += 1
    except OSError:
        seen["reset"] += 1
    s.close()
print(" ".join(f"{k}={seen[k]}" for k in sorted(seen)))
PY
# stalled.py PORT: two connections that stop halfway, one in its head (the
# gate's), one in its body (the daemon's); prints after how many whole
# seconds the server closed each.
cat >"$work/stalled.py" <<'PY'
import socket, sys, time
port = int(sys.argv[1])
heads = [b"GET / HTTP/1.1\r\nHost: x\r\n",
         b"POST /form.asp HTTP/1.1\r\nHost: x\r\nContent-Length: 100\r\n\r\nabc"]
began = time.monotonic()
out = []
socks = [socket.create_connection(("127.0.0.1", port)) for _ in heads]
for s, head in zip(socks, heads):
    s.sendall(head)
for s in socks:
    s.settimeout(60)
    try:
        while s.recv(4096):
            pass
    except OSError:
        pass
    out.append(str(int(time.monotonic() - began)))
print(" ".join(out))
PY

# answered: three rounds of eight requests at once; prints the statuses.
answered() {
  local urls=() round
  for _ in $(seq 8); do urls+=(-o /dev/null "$base/index.asp"); done
  for round in 1 2 3; do
    curl -s --no-progress-meter --max-time 5 --parallel --parallel-immediate -w '%{http_code}\n' "${urls[@]}"
  done | sort | uniq -c | awk '{ printf "%s=%s ", $2, $1 }'
}

# The connections that stall halfway, on a server of their own: on a full
# one, the head would give way to a newcomer.
start_server "$testing" "$site" 1
quiet=$pid
python3 "$work/stalled.py" "$port" >"$work/stalled" & stalled=$!
started "$stalled"

refusals=0
for threads in 1 8; do
  start_held "$threads" --access-log "$work/access.log"
  refused=$((connections - held))
  check "$threads threads: stalled heads" "$(python3 "$work/flood.py" "$port" $connections 2 stall)" \
    "none=$held reset=$refused"
  check "$threads threads: answered after stalled heads" "$(answered)" "200=24 "
  # Those past the places take the places of idle ones. Each waits up to
  # 3 s for the daemon to let one go, which a slow (sanitizer) build on one
  # thread may not do for every newcomer: those few get a logged 503.
  idle=$(python3 "$work/flood.py" "$port" $connections 5 request)
  read -r served idle_refused other < <(awk '{ for (i = 1; i <= NF; i++) {
      split($i, kv, "="); if (kv[1] == "200") s = kv[2]; else if (kv[1] == "503") r = kv[2]; else o++ }
    print s + 0, r + 0, o + 0 }' <<<"$idle")
  check "$threads threads: idle requests answered, past the places by taking idle ones' ($idle)" \
    "$((served + idle_refused == connections && other == 0 && served > held && idle_refused < refused))" 1
  refusals=$((refusals + idle_refused))
  check "$threads threads: answered after idle requests" "$(answered)" "200=24 "
  # A body in its first 30 s gives way to no one.
  check "$threads threads: young bodies" "$(python3 "$work/flood.py" "$port" $connections 2 body)" \
    "503=$refused none=$held"
  check "$threads threads: answered after young bodies" "$(answered)" "200=24 "
  sleep 0.5
  check "$threads threads: no socket left unclosed" \
    "$(ss -Htan state close-wait "( sport = :$port )" | wc -l)" 0
  # SIGTERM while all the connections are held (once those past the limit
  # have taken the places of the oldest).
  python3 "$work/flood.py" "$port" $connections 5 stall >/dev/null & flood=$!
  started "$flood"
  sleep 2.5
  refusals=$((refusals + refused))
  began=$(date +%s%N)
  kill -TERM "$pid"
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  stopped_in=$((($(date +%s%N) - began) / 1000000))
  # Collects it, killing it first if it still runs.
  stop_process "$pid" 1
  check "$threads threads: exit status after SIGTERM" "$?" 0
  pid=
  check "$threads threads: stopped within 3 s" "$((stopped_in < 3000))" 1
  wait "$flood"
  check "$threads threads: never full" "$(grep -c 'connection limit' "$server_err")" 0
done
wait "$stalled"
forget "$stalled"
check "halfway connections closed at the idle timeout (30 s)" \
  "$(awk '{ print ($1 >= 29 && $1 <= 35) && ($2 >= 29 && $2 <= 35) }' "$work/stalled")" 1
pid=$quiet
stop_server

# Past the 1,020 of old where the open-file limit allows.
hard=$(ulimit -Hn)
if [ "$hard" = unlimited ] || [ "$hard" -ge 4400 ]; then
  start_server "$testing" "$site" 2
  check "2,000 idle requests held at once" "$(python3 "$work/flood.py" "$port" 2000 3 request)" \
    "200=2000"
  stop_server
else
  echo "skipped 2,000 connections: the open-file limit ($hard) is too low"
fi

check "every refusal logged" "$(grep -cE '" 503 [0-9]+$' "$work/access.log")" \
  "$refusals"

finish gate
