#!/usr/bin/env bash
# Clients that send too slowly cannot hold the server full: 600 POST bodies
# and 600 kept-alive heads that trickle in a byte every 5 s, 1,200 at once
# against a server that holds 1,020, on one and on eight threads: past
# their first head, none of them gives way to a newcomer. Ordinary
# requests get 503 while the server is full and are served again within
# 45 s; no trickling connection is cut before its first 30 s; standard
# error stays short (the daemon's line for every closed connection is
# summarised).
#
#   run_slow.sh PATH/TO/zorvadel-serve-testing
set -u
testing=$1
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=server_lib.sh
source "$here/server_lib.sh"
site=$work/site
cp -a "$here/site" "$site"

many_files 1,200

# trickle.py PORT: the 1,200 connections, in one process, and a probe a
# second; prints "key=value" facts about what happened (times in whole
# seconds from the start):
#   refused   connections answered 503 at once (past the server's limit)
#   early     admitted connections closed before 25 s
#   open      admitted connections still open at the end
#   full      1 when the first probe got 503
#   served    when a probe first got 200 after a 503 (-1: never)
cat >"$work/trickle.py" <<'PY'
import resource, selectors, socket, sys, time
port = int(sys.argv[1])
hard = resource.getrlimit(resource.RLIMIT_NOFILE)[1]
resource.setrlimit(resource.RLIMIT_NOFILE, (min(hard, 4096), hard))
body_head = (b"POST /form.asp HTTP/1.1\r\nHost: x\r\nContent-Length: 1000\r\n"
             b"Content-Type: application/x-www-form-urlencoded\r\n\r\n")
first = b"GET /index.asp HTTP/1.1\r\nHost: x\r\n\r\n"
next_head = b"GET /index.asp HTTP/1.1\r\nHost: x\r\n\r\n"
began = time.monotonic()
selector = selectors.DefaultSelector()
conns = {}  # socket -> state

for i in range(1200):
    s = socket.create_connection(("127.0.0.1", port))
    s.setblocking(False)
    body = i % 2 == 0
    s.sendall(body_head if body else first)
    conns[s] = {"body": body, "got": b"", "sent": 0, "closed": None, "ready": body}
    selector.register(s, selectors.EVENT_READ)

def probe():
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=3) as p:
            p.sendall(b"GET /index.asp HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n")
            return p.recv(64).split(b" ")[1].decode()
    except (OSError, IndexError):
        return "none"

def close(s):
    state = conns[s]
    if state["closed"] is None:
        state["closed"] = time.monotonic() - began
        selector.unregister(s)
        s.close()

full, served = None, -1
next_tick, next_probe = began, began + 1
while time.monotonic() - began < 55:
    for key, _ in selector.select(timeout=0.2):
        s, state = key.fileobj, conns[key.fileobj]
        try:
            data = s.recv(4096)
        except OSError:
            data = b""
        if not data:
            close(s)
            continue
        state["got"] += data
        if not state["body"] and b"\r\n\r\n" in state["got"]:
            state["ready"] = True
    now = time.monotonic()
    if now >= next_tick:
        next_tick += 5
        for s, state in conns.items():
            if state["closed"] is not None or not state["ready"]:
                continue
            piece = b"a" if state["body"] else next_head[state["sent"]:state["sent"] + 1]
            try:
                s.send(piece)
                state["sent"] += 1
            except OSError:
                close(s)
    if now >= next_probe:
        status = probe()
        next_probe = time.monotonic() + 1
        if full is None:
            full = 1 if status == "503" else 0
        if status == "200" and served < 0:
            served = int(time.monotonic() - began)
    if served >= 0 and all(st["closed"] is not None for st in conns.values()):
        break

refused = sum(1 for st in conns.values() if st["got"].startswith(b"HTTP/1.1 503"))
admitted = [st for st in conns.values() if not st["got"].startswith(b"HTTP/1.1 503")]
early = sum(1 for st in admitted if st["closed"] is not None and st["closed"] < 25)
still = sum(1 for st in admitted if st["closed"] is None)
print(f"refused={refused} early={early} open={still} full={full} served={served}")
for s in conns:
    if conns[s]["closed"] is None:
        s.close()
PY

for threads in 1 8; do
  # An open-file limit that leaves the server 1,020 places.
  ulimit -Sn $((1020 + 64 + 2 * threads))
  start_server "$testing" "$site" "$threads"
  ulimit -Sn 4096 2>/dev/null || ulimit -Sn "$(ulimit -Hn)"
  python3 "$work/trickle.py" "$port" >"$work/trickle.out"
  echo "$threads threads: $(cat "$work/trickle.out")"
  read -r refused early open full served < <(sed 's/[a-z]*=//g' "$work/trickle.out")
  check "$threads threads: past the limit refused" "$refused" $((1200 - 1020))
  check "$threads threads: full while they trickle" "$full" 1
  [ "$served" -ge 25 ] && [ "$served" -le 45 ]
  tally "$threads threads: served again within 45 s" $? "served again at ${served} s"
  check "$threads threads: none cut before 25 s" "$early" 0
  check "$threads threads: every trickling connection closed" "$open" 0
  fetch /index.asp
  check "$threads threads: answers after" "$status $body" "200 home /index.asp"
  stop_server
  lines=$(wc -l <"$server_err")
  [ "$lines" -lt 100 ]; tally "$threads threads: standard error short" $? "$lines lines: $(head -5 "$server_err")"
  grep -q 'a connection too slow to send its request was closed' "$server_err"
  tally "$threads threads: the cut connections told" $? "$(head -3 "$server_err")"
done

finish slow
