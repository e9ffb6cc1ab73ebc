#!/usr/bin/env bash
# One client cannot keep everyone out: against a server with an open-file
# limit of 1,024 (944 places on eight threads) it holds 1,200 connections
# and opens a new one for each the server refuses or closes, while 20 fresh
# visitors fetch a small file one after another. The crowd's connections
# either never send a byte, or each sends a request and then stays idle,
# kept alive. Under either crowd at least 18 of the 20 visits are answered
# 200 within 5 s each, the crowd's connections are the ones closed for
# them, and the server stops cleanly.
#
#   run_flood.sh PATH/TO/zorvadel-serve-testing
set -u
testing=$1
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=server_lib.sh
source "$here/server_lib.sh"
site=$work/site
cp -a "$here/site" "$site"

many_files 1,200
# The server's places follow its open-file limit: this one leaves it 944
# on eight threads, fewer than the crowd holds.
server_files=1024
threads=8
places=$((server_files - 64 - 2 * threads))

# flood.py PORT COUNT MODE READY: holds COUNT connections, opening a new one
# for each that ends; each sends nothing ("silent") or a request, after
# which it stays open ("idle"). Writes READY once all are open, and on
# SIGTERM prints how many the server refused (503) and how many it closed.
cat >"$work/flood.py" <<'PY'
import resource, selectors, signal, socket, sys, time
port, count, mode, ready = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3], sys.argv[4]
hard = resource.getrlimit(resource.RLIMIT_NOFILE)[1]
resource.setrlimit(resource.RLIMIT_NOFILE, (min(hard, count + 256), hard))
request = b"GET /style.css HTTP/1.1\r\nHost: x\r\n\r\n"
selector = selectors.DefaultSelector()
refused = closed = 0
stop = False
def on_term(*_):
    global stop
    stop = True
signal.signal(signal.SIGTERM, on_term)

def open_one():
    s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    s.setblocking(False)
    s.connect_ex(("127.0.0.1", port))
    silent = mode == "silent"
    events = selectors.EVENT_READ | (0 if silent else selectors.EVENT_WRITE)
    selector.register(s, events, [silent, b""])

for _ in range(count):
    open_one()
with open(ready, "w") as f:
    f.write("ready\n")
until = time.monotonic() + 300
while not stop and time.monotonic() < until:
    for key, events in selector.select(timeout=0.2):
        s, state = key.fileobj, key.data
        if events & selectors.EVENT_WRITE and not state[0]:
            state[0] = True
            try:
                s.send(request)
            except OSError:
                pass
            selector.modify(s, selectors.EVENT_READ, state)
            continue
        if not events & selectors.EVENT_READ:
            continue
        try:
            data = s.recv(4096)
        except OSError:
            data = b""
        if data:
            state[1] += data
            if state[1].startswith(b"HTTP/1.1 503"):
                refused += 1
            elif mode == "idle":  # an answer: the connection stays, idle
                continue
        elif not state[1].startswith(b"HTTP/1.1 503"):
            closed += 1
        selector.unregister(s)
        s.close()
        open_one()
print(f"refused={refused} closed={closed}")
PY

# visits: 20 fetches of a small file one after another; prints how many got
# 200 within 5 s.
visits() {
  local served=0 code
  for _ in $(seq 20); do
    code=$(curl -s -o /dev/null --max-time 5 -w '%{http_code}' "$base/style.css")
    [ "$code" = 200 ] && served=$((served + 1))
    sleep 0.1
  done
  echo "$served"
}

for mode in silent idle; do
  ulimit -Sn $server_files
  start_server "$testing" "$site" "$threads"
  ulimit -Sn 4096 2>/dev/null || ulimit -Sn "$(ulimit -Hn)"
  rm -f "$work/ready"
  python3 "$work/flood.py" "$port" 1200 "$mode" "$work/ready" >"$work/flood.out" & flood=$!
  started "$flood"
  for _ in $(seq 100); do [ -e "$work/ready" ] && break; sleep 0.1; done
  sleep 1
  served=$(visits)
  stop_process "$flood" 10
  echo "$mode crowd: served $served of 20; crowd: $(cat "$work/flood.out")"
  check "$mode crowd: at least 18 of 20 visits served within 5 s" "$((served >= 18))" 1
  read -r refused closed < <(sed 's/[a-z]*=//g' "$work/flood.out")
  # The server was full, and the crowd's newest connections took their
  # places from its oldest, hardly ever refused while one could give way:
  # on a loaded machine (a sanitizer build) a place the daemon has not let
  # go within the newcomer's 3 s still ends in a 503 now and then.
  check "$mode crowd: its connections closed for others" \
    "$((${closed:-0} >= 1200 - places))" 1
  check "$mode crowd: at most 1 in 100 refused" "$((${refused:-1200} <= 12))" 1
  fetch /style.css
  check "$mode crowd: answers after" "$status" 200
  stop_server
  check "$mode crowd: never full" "$(grep -c 'connection limit' "$server_err")" 0
done

finish flood
