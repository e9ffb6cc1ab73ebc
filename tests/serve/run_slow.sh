#!/usr/bin/env bash
# Clients that send too slowly cannot hold the server full. Against a
# server with an open-file limit of 1,024 (944 places on eight threads), a
# crowd holds every place: 300 POST bodies and 300 kept-alive heads that
# trickle in a byte every 5 s, and bodies of 1 MB that come at 1.1 KB/s,
# just above the floor, a new one opened for each connection closed. While
# the bodies are in their first 30 s a visitor a second takes the place of
# a kept-alive connection, never a body's; the trickling connections are
# cut at 30 s, none before 25 s; then 20 fresh visitors take the places of
# the bodies that have been coming in longest, at least 18 of them served
# within 5 s each. Standard error stays short (the daemon's line for every
# closed connection is summarised).
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
server_files=1024
threads=8
places=$((server_files - 64 - 2 * threads))

# trickle.py PORT PLACES: the crowd, in one process, a visitor a second
# for the first 25 s and 20 visitors once the trickling connections are
# gone; prints "key=value" facts about what happened (times in seconds
# from the start):
#   refused    connections of the crowd answered 503
#   early      trickling bodies closed before 25 s
#   gave_way   kept-alive heads closed before 25 s
#   open       trickling connections still open at the end
#   youngest   the shortest time a steady body lasted before it was closed
#   probes     visitors of the first 25 s served, of those sent
#   served     visitors after the trickling connections served within 5 s
cat >"$work/trickle.py" <<'PY'
import resource, selectors, socket, sys, threading, time
port, places = int(sys.argv[1]), int(sys.argv[2])
hard = resource.getrlimit(resource.RLIMIT_NOFILE)[1]
resource.setrlimit(resource.RLIMIT_NOFILE, (min(hard, 4096), hard))
form = b"Content-Type: application/x-www-form-urlencoded\r\n\r\n"
heads = {
    "body": b"POST /form.asp HTTP/1.1\r\nHost: x\r\nContent-Length: 1000\r\n" + form,
    "steady": b"POST /form.asp HTTP/1.1\r\nHost: x\r\nContent-Length: 1048576\r\n" + form,
    "head": b"GET /index.asp HTTP/1.1\r\nHost: x\r\n\r\n",
}
next_head = b"GET /index.asp HTTP/1.1\r\nHost: x\r\n\r\n"
steady_rate = 1100  # bytes a second
began = time.monotonic()
selector = selectors.DefaultSelector()
conns = {}

def now():
    return time.monotonic() - began

def open_one(kind):
    s = socket.create_connection(("127.0.0.1", port))
    s.setblocking(False)
    s.send(heads[kind])
    conns[s] = {"kind": kind, "got": b"", "sent": 0, "opened": now(), "closed": None,
                "ready": kind != "head"}
    selector.register(s, selectors.EVENT_READ)

def close(s):
    state = conns[s]
    if state["closed"] is None:
        state["closed"] = now()
        selector.unregister(s)
        s.close()

def visit():
    start = time.monotonic()
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=5) as p:
            p.sendall(b"GET /index.asp HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n")
            status = p.recv(64).split(b" ")[1]
            return status == b"200" and time.monotonic() - start <= 5
    except (OSError, IndexError):
        return False

probes, late = [], []
def visitors(results, count, gap):
    for _ in range(count):
        results.append(visit())
        time.sleep(gap)

for _ in range(300):
    open_one("body")
    open_one("head")
for _ in range(places - 600):
    open_one("steady")
trickling = [s for s in conns if conns[s]["kind"] != "steady"]
first_visitors = threading.Thread(target=visitors, args=(probes, 24, 1.0))
last_visitors = threading.Thread(target=visitors, args=(late, 20, 0.1))
first_visitors.start()
reopen = []  # when a steady body replaces a connection closed
next_tick, next_steady = 0.0, 0.0
gone = None
while now() < 60 and not (late and len(late) == 20):
    for key, _ in selector.select(timeout=0.1):
        s, state = key.fileobj, conns[key.fileobj]
        try:
            data = s.recv(4096)
        except OSError:
            data = b""
        if not data:
            close(s)
            reopen.append(now() + 1)
            continue
        state["got"] += data
        if state["kind"] == "head" and b"\r\n\r\n" in state["got"]:
            state["ready"] = True
    t = now()
    while reopen and reopen[0] <= t:
        reopen.pop(0)
        open_one("steady")
    if t >= next_tick:
        next_tick += 5
        for s in trickling:
            state = conns[s]
            if state["closed"] is not None or not state["ready"]:
                continue
            piece = b"a" if state["kind"] == "body" else next_head[state["sent"]:state["sent"] + 1]
            try:
                state["sent"] += s.send(piece)
            except OSError:
                close(s)
    if t >= next_steady:
        next_steady += 0.25
        for s, state in list(conns.items()):
            if state["kind"] != "steady" or state["closed"] is not None:
                continue
            owed = int(steady_rate * (t - state["opened"])) - state["sent"]
            if owed <= 0:
                continue
            try:
                state["sent"] += s.send(b"a" * min(owed, 65536))
            except BlockingIOError:
                pass
            except OSError:
                close(s)
    # Once the places of the trickling connections are taken again.
    if gone is None and all(conns[s]["closed"] is not None for s in trickling):
        gone = t
    if gone is not None and t >= gone + 2 and not late and not last_visitors.is_alive() \
            and not first_visitors.is_alive():
        last_visitors.start()
first_visitors.join()
if last_visitors.is_alive():
    last_visitors.join()

refused = sum(1 for st in conns.values() if st["got"].startswith(b"HTTP/1.1 503"))
early = sum(1 for s in trickling
            if conns[s]["kind"] == "body" and conns[s]["closed"] is not None
            and conns[s]["closed"] < 25)
gave_way = sum(1 for s in trickling
               if conns[s]["kind"] == "head" and conns[s]["closed"] is not None
               and conns[s]["closed"] < 25)
still = sum(1 for s in trickling if conns[s]["closed"] is None)
lasted = [st["closed"] - st["opened"] for st in conns.values()
          if st["kind"] == "steady" and st["closed"] is not None]
youngest = int(min(lasted)) if lasted else -1
print(f"refused={refused} early={early} gave_way={gave_way} open={still} youngest={youngest} "
      f"probes={sum(probes)}/{len(probes)} served={sum(late)}/{len(late)}")
for s, state in conns.items():
    if state["closed"] is None:
        s.close()
PY

ulimit -Sn $server_files
start_server "$testing" "$site" "$threads"
ulimit -Sn 4096 2>/dev/null || ulimit -Sn "$(ulimit -Hn)"
python3 "$work/trickle.py" "$port" "$places" >"$work/trickle.out"
cat "$work/trickle.out"
read -r refused early gave_way open youngest probes served \
  < <(sed 's/[a-z_]*=//g' "$work/trickle.out")
check "none of the crowd refused" "$refused" 0
check "visitors among young bodies served" "${probes%/*}" "${probes#*/}"
[ "$gave_way" -le "${probes%/*}" ]
tally "only kept-alive connections gave way to them" $? "$gave_way closed for ${probes%/*} visitors"
check "no trickling body cut before 25 s" "$early" 0
check "every trickling connection closed" "$open" 0
[ "$youngest" -ge 29 ]
tally "no steady body gave way in its first 30 s" $? "one lasted ${youngest} s"
[ "${served%/*}" -ge 18 ] && [ "${served#*/}" -eq 20 ]
tally "at least 18 of 20 visitors served within 5 s among old bodies" $? "served $served"
fetch /index.asp
check "answers after" "$status $body" "200 home /index.asp"
stop_server
lines=$(wc -l <"$server_err")
[ "$lines" -lt 100 ]; tally "standard error short" $? "$lines lines: $(head -5 "$server_err")"
grep -q 'a connection too slow to send its request was closed' "$server_err"
tally "the cut connections told" $? "$(head -3 "$server_err")"

finish slow
