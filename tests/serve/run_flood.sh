#!/usr/bin/env bash
# One client cannot keep everyone out: it holds 1,200 connections against a
# server with about 1,020 places and opens a new one for each the server
# refuses or closes, while a visitor fetches a small file every 2 s, 20
# times. With connections that never send a byte, at least 18 of the 20 visits are answered 200 within 10 s each, the
# flood's connections are the ones closed for them, and the server stops
# cleanly.
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
# The server's places follow its open-file limit: this one leaves it about
# 1,020, fewer than the flood holds.
server_files=1100

# flood.py PORT COUNT READY: holds COUNT connections that never send a
# byte, opening a new one for each that ends; writes READY once all are
# open, and on SIGTERM prints how many the server refused (503) and how
# many it closed.
cat >"$work/flood.py" <<'PY'
import resource, selectors, signal, socket, sys, time
port, count, ready = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
hard = resource.getrlimit(resource.RLIMIT_NOFILE)[1]
resource.setrlimit(resource.RLIMIT_NOFILE, (min(hard, count + 256), hard))
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
    selector.register(s, selectors.EVENT_READ)

for _ in range(count):
    open_one()
with open(ready, "w") as f:
    f.write("ready\n")
until = time.monotonic() + 600
while not stop and time.monotonic() < until:
    for key, _ in selector.select(timeout=0.2):
        s = key.fileobj
        try:
            data = s.recv(64)
        except OSError:
            data = b""
        if data.startswith(b"HTTP/1.1 503"):
            refused += 1
        else:
            closed += 1
        selector.unregister(s)
        s.close()
        open_one()
print(f"refused={refused} closed={closed}")
PY

# visits: 20 fetches of a small file, 2 s apart; prints how many got 200.
visits() {
  local served=0 code
  for _ in $(seq 20); do
    code=$(curl -s -o /dev/null --max-time 10 -w '%{http_code}' "$base/style.css")
    [ "$code" = 200 ] && served=$((served + 1))
    sleep 2
  done
  echo "$served"
}

# The gate, which lets one give way, is one thread whatever the server's.
for threads in 8; do
  ulimit -Sn $server_files
  start_server "$testing" "$site" "$threads"
  ulimit -Sn 4096 2>/dev/null || ulimit -Sn "$(ulimit -Hn)"
  rm -f "$work/ready"
  python3 "$work/flood.py" "$port" 1200 "$work/ready" >"$work/flood.out" & flood=$!
  started "$flood"
  for _ in $(seq 100); do [ -e "$work/ready" ] && break; sleep 0.1; done
  sleep 1
  served=$(visits)
  stop_process "$flood" 10
  echo "$threads threads: served $served of 20; flood: $(cat "$work/flood.out")"
  check "$threads threads: at least 18 of 20 visits served" "$((served >= 18))" 1
  read -r refused closed < <(sed 's/[a-z]*=//g' "$work/flood.out")
  # The server was full, and the flood's newest connections took their
  # places from its oldest, never refused while one could give way.
  check "$threads threads: the flood's connections closed for others" \
    "$((${closed:-0} >= 1200 - $server_files + 64))" 1
  check "$threads threads: none refused" "${refused:-}" 0
  fetch /style.css
  check "$threads threads: answers after" "$status" 200
  stop_server
  check "$threads threads: never full" "$(grep -c 'connection limit' "$server_err")" 0
done

finish flood
