#!/usr/bin/env bash
# Load test of the page engine beside nginx, on loopback only: new visitors
# (no cookie, so every request makes a session), returning visitors (each
# request carries the cookie of a session it made before) and nginx serving
# the very bytes of the page as a static file, in one run.
#
#   bench/serve_load.sh [--page PATH] [--root FOLDER] [--server BINARY]
#                       [--threads N] [--duration 10s] [--agent USER-AGENT]
#                       [--session-memory MB] [--visit-pages 50]
#
# Starts the server (default: zorvadel-serve over a small site made here,
# whose page /news.asp is a page script with a WAP object: page start
# writes the visit trail, so a session is made for every new visitor; its
# /hello.asp writes one line and touches no session, which measures the
# engine alone) and
# nginx over a folder holding the bytes that page answered. wrk drives each
# run (4 threads, 64 connections, DURATION):
#   - new visitors: no cookie, so every request makes a session;
#   - returning visitors: 256 visitors at a time, each sending the cookie of
#     its session (made and taken off probation beforehand); each wrk thread
#     sends the cookies of its 64 in turn over its 16 connections, so that a
#     visitor's next page goes out only after 63 others and its pages never
#     overlap, as a browser's do not (with one visitor per connection taken
#     in turn, two connections often carried one visitor at once, and the
#     second page waited for the first). A visitor stays for
#     --visit-pages pages, then leaves and the next one arrives (one request
#     without a cookie, whose answer's cookie the next pages carry); 0 keeps
#     the same 256 sessions for the whole run, where the visit trail that
#     page start appends to grows by every page and each page copies it;
#   - nginx: the same bytes as a static file, driven by the plain client
#     and again by the returning visitors' client.
# The server's resident memory is sampled every second of its runs, and the
# CPU time of the server and of nginx is counted. The script prints the
# rates, the two ratios to nginx, the CPU time per request, the memory and
# whether every request succeeded (exit status 1 when one did not).
# --agent sends that User-Agent (default: a phone, which gets a WML deck).
# Installs wrk and nginx-light when missing; not part of `make test`.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$here/build}
page=/news.asp
root=
server=
threads=$(nproc)
duration=10s
agent='Nokia6600/1.0 (4.09.1) SymbianOS/7.0s Series60/2.0 Profile/MIDP-2.0 Configuration/CLDC-1.0'
session_memory=
visit_pages=50
usage="usage: $0 [--page PATH] [--root FOLDER] [--server BINARY] [--threads N] [--duration 10s] [--agent UA] [--session-memory MB] [--visit-pages N]"
while [ $# -gt 0 ]; do
  case $1 in
    --page) page=$2; shift 2 ;;
    --root) root=$2; shift 2 ;;
    --server) server=$2; shift 2 ;;
    --threads) threads=$2; shift 2 ;;
    --duration) duration=$2; shift 2 ;;
    --agent) agent=$2; shift 2 ;;
    --session-memory) session_memory=$2; shift 2 ;;
    --visit-pages) visit_pages=$2; shift 2 ;;
    *) echo "$usage" >&2; exit 2 ;;
  esac
done

source "$here/scripts/loopback_lib.sh"
load_run_ready

work=$(mktemp -d)
chmod 755 "$work"  # nginx workers read the static folder as another user
serve_pid=
nginx_pid=
sampler_pid=
cleanup() {
  [ -n "$sampler_pid" ] && kill "$sampler_pid" 2>/dev/null && wait "$sampler_pid" 2>/dev/null
  [ -n "$serve_pid" ] && kill -TERM "$serve_pid" 2>/dev/null && wait "$serve_pid" 2>/dev/null
  [ -n "$nginx_pid" ] && kill -QUIT "$nginx_pid" 2>/dev/null && wait "$nginx_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

if [ -z "$root" ]; then
  root=$work/site
  mkdir -p "$root"
  # news.json makes a WAP object; hello.json writes one line and measures
  # the engine's own cost (--page /hello.asp).
  cp "$here/bench/site/news.json" "$here/bench/site/hello.json" "$root/"
fi


memory_flag=()
[ -n "$session_memory" ] && memory_flag=(--session-memory "$session_memory")
"$server" --root "$root" --port 0 --threads "$threads" "${memory_flag[@]}" \
  >"$work/serve.out" 2>"$work/serve.err" &
serve_pid=$!
serve_port=
for _ in $(seq 100); do
  serve_port=$(sed -n 's|.*http://127\.0\.0\.1:\([0-9]*\)/.*|\1|p' "$work/serve.out")
  [ -n "$serve_port" ] && break
  sleep 0.1
done
[ -n "$serve_port" ] || { echo "the server did not start"; cat "$work/serve.err"; exit 1; }
serve_url=http://127.0.0.1:$serve_port$page

# nginx serves the very bytes the page answered, under the same path.
mkdir -p "$work/static" "$work/nginx"
curl -sf -A "$agent" "$serve_url" -o "$work/page.bytes"
static_path=${page%%\?*}
mkdir -p "$work/static$(dirname "$static_path")"
cp "$work/page.bytes" "$work/static$static_path"
nginx_port=$(free_port)
cat >"$work/nginx/nginx.conf" <<CONF
worker_processes $threads;
daemon off;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
events { worker_connections 1024; }
http {
  access_log off;
  client_body_temp_path $work/nginx/body;
  proxy_temp_path $work/nginx/proxy;
  fastcgi_temp_path $work/nginx/fastcgi;
  uwsgi_temp_path $work/nginx/uwsgi;
  scgi_temp_path $work/nginx/scgi;
  keepalive_requests 1000000;
  types { text/html asp html; }
  server {
    listen 127.0.0.1:$nginx_port;
    root $work/static;
  }
}
CONF
nginx -c "$work/nginx/nginx.conf" -p "$work/nginx" &
nginx_pid=$!
for _ in $(seq 100); do
  curl -sf "http://127.0.0.1:$nginx_port$static_path" -o /dev/null && break
  sleep 0.1
done
cmp -s "$work/page.bytes" <(curl -sf "http://127.0.0.1:$nginx_port$static_path") ||
  { echo "nginx does not serve the page's bytes"; exit 1; }

# The returning visitors: 256 sessions, each made by one request and taken
# off probation by a second, as a browser's first two pages would. A page
# that keeps no session sets no cookie: its visitors then send one that
# names no session.
: >"$work/cookies"
for _ in $(seq 256); do
  cookie=$(curl -sf -A "$agent" -D - -o /dev/null "$serve_url" |
    sed -n 's/^Set-Cookie: \(ZORVADELSESSION=[0-9a-f]*\);.*/\1/p')
  if [ -z "$cookie" ]; then
    echo "$page sets no session cookie: returning visitors send an unknown one" >&2
    cookie=ZORVADELSESSION=00000000000000000000000000000000
  fi
  curl -sf -A "$agent" -H "Cookie: $cookie" -o /dev/null "$serve_url"
  echo "$cookie" >>"$work/cookies"
done
{
  echo 'local all = {'
  sed 's/.*/  "&",/' "$work/cookies"
  echo '}'
  cat <<'LUA'
local next_thread = 0
function setup(thread)
  -- Each of the 4 threads gets its own 64 visitors.
  local mine = {}
  for i = next_thread * 64 + 1, next_thread * 64 + 64 do mine[#mine + 1] = all[i] end
  thread:set("cookies", table.concat(mine, " "))
  next_thread = next_thread + 1
end
-- Each request is formatted once, when its visitor arrives, rather than
-- on every page: wrk's own work per request stays small beside the server's.
local slots, waiting, turn, visit, plain = {}, {}, 0, 0, nil
local function with_cookie(cookie) return wrk.format(nil, nil, {["Cookie"] = cookie}) end
function init(args)
  visit = tonumber(args[1]) or 0
  plain = wrk.format()
  for c in string.gmatch(cookies, "%S+") do
    slots[#slots + 1] = {request = with_cookie(c), count = 0}
  end
end
function request()
  turn = turn % #slots + 1
  local slot = slots[turn]
  if visit > 0 and slot.request and slot.count >= visit then
    -- The visitor leaves; the next one arrives without a cookie.
    slot.request = nil
    waiting[#waiting + 1] = slot
  end
  slot.count = slot.count + 1
  return slot.request or plain
end
function response(status, headers, body)
  if #waiting == 0 then return end
  local set = headers["Set-Cookie"]
  if set then
    local slot = table.remove(waiting, 1)
    slot.request = with_cookie(string.match(set, "^([^;]*)"))
    slot.count = 1
  end
end
LUA
} >"$work/returning.lua"

# The server's resident memory, once a second, into FILE (kB).
sample_memory() {
  while kill -0 "$serve_pid" 2>/dev/null; do
    awk '/^VmRSS:/ {print $2}' "/proc/$serve_pid/status" >>"$1"
    sleep 1
  done
}

# drive URL PIDS [WRK OPTIONS...] [-- SCRIPT ARGS...]: runs wrk and prints
# "REQUESTS_PER_SECOND TOTAL FAILED CPU_MICROSECONDS_PER_REQUEST" (FAILED
# counts non-2xx/3xx answers and socket errors; the CPU time is that of
# PIDS, a quoted list).
drive() {
  local url=$1 pids=$2
  shift 2
  local options=() script_args=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do options+=("$1"); shift; done
  [ $# -gt 0 ] && shift && script_args=("$@")
  local before after out
  # shellcheck disable=SC2086
  before=$(cpu_ticks $pids)
  out=$(wrk -t4 -c64 -d"$duration" -H "User-Agent: $agent" "${options[@]}" "$url" "${script_args[@]}")
  # shellcheck disable=SC2086
  after=$(cpu_ticks $pids)
  echo "$out" >&2
  local rate total bad errors
  rate=$(awk '/^Requests\/sec:/ {print $2}' <<<"$out")
  total=$(awk '/requests in/ {print $1}' <<<"$out")
  bad=$(awk '/Non-2xx or 3xx responses:/ {print $NF}' <<<"$out")
  errors=$(sed -n 's/.*Socket errors: connect \([0-9]*\), read \([0-9]*\), write \([0-9]*\), timeout \([0-9]*\).*/\1 \2 \3 \4/p' <<<"$out" |
    awk '{print $1 + $2 + $3 + $4}')
  local cpu
  cpu=$(awk -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" -v n="$total" \
    'BEGIN { printf "%.1f", (n > 0 ? t / hz * 1e6 / n : 0) }')
  echo "$rate $total $(( ${bad:-0} + ${errors:-0} )) $cpu"
}

# memory_line FILE: first, peak and last MB, and the spread of the second half.
memory_line() {
  awk '{ v[NR] = $1 } END {
    if (NR == 0) { print "no samples"; exit }
    peak = 0; for (i = 1; i <= NR; i++) if (v[i] > peak) peak = v[i]
    lo = 1e18; hi = 0; for (i = int(NR / 2) + 1; i <= NR; i++) { if (v[i] < lo) lo = v[i]; if (v[i] > hi) hi = v[i] }
    printf "%.0f MB at 1 s, %.0f MB peak, %.0f MB at the end; second half %.0f-%.0f MB", v[1] / 1024, peak / 1024, v[NR] / 1024, lo / 1024, hi / 1024
  }' "$1"
}

bytes=$(wc -c <"$work/page.bytes")
nginx_pids="$nginx_pid $(pgrep -P "$nginx_pid" | tr '\n' ' ')"
echo "== $(basename "$server") $page, new visitors ($threads threads, $bytes bytes)" >&2
sample_memory "$work/new.rss" & sampler_pid=$!
read -r new_rate new_total new_bad new_cpu < <(drive "$serve_url" "$serve_pid")
kill "$sampler_pid"; wait "$sampler_pid" 2>/dev/null || true; sampler_pid=
echo "== $(basename "$server") $page, returning visitors (256 at a time, $visit_pages pages a visit)" >&2
sample_memory "$work/returning.rss" & sampler_pid=$!
read -r back_rate back_total back_bad back_cpu < <(drive "$serve_url" "$serve_pid" \
  -s "$work/returning.lua" -- "$visit_pages")
kill "$sampler_pid"; wait "$sampler_pid" 2>/dev/null || true; sampler_pid=
echo "== nginx, the same bytes as a static file ($threads workers)" >&2
read -r nginx_rate nginx_total nginx_bad nginx_cpu < <(drive "http://127.0.0.1:$nginx_port$static_path" "$nginx_pids")
# The returning visitors' client costs wrk more than the plain one (a script
# call per request, a table of the headers per answer, a cookie in every
# request), on the cores the server shares: nginx driven by that same client
# shows what that costs. Its visitors never leave, as nginx sets no cookie
# for the next one to carry.
echo "== nginx, the same bytes, driven by the returning visitors' client" >&2
read -r nginx_back_rate nginx_back_total nginx_back_bad nginx_back_cpu < <(drive \
  "http://127.0.0.1:$nginx_port$static_path" "$nginx_pids" -s "$work/returning.lua" -- 0)

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
echo
echo "page: $page, $bytes bytes; wrk: 4 threads, 64 connections, $duration per run; $(nproc) cores"
echo "new visitors:       $new_rate requests/s, $new_total requests, $new_bad failed, $new_cpu us CPU a request"
echo "returning visitors: $back_rate requests/s, $back_total requests, $back_bad failed, $back_cpu us CPU a request ($visit_pages pages a visit)"
echo "nginx static:       $nginx_rate requests/s, $nginx_total requests, $nginx_bad failed, $nginx_cpu us CPU a request"
echo "nginx, same client as returning visitors: $nginx_back_rate requests/s, $nginx_back_total requests, $nginx_back_bad failed, $nginx_back_cpu us CPU a request"
echo "ratio to nginx: new visitors $(ratio "$new_rate" "$nginx_rate"), returning visitors $(ratio "$back_rate" "$nginx_rate")"
echo "ratio to nginx with the same client: returning visitors $(ratio "$back_rate" "$nginx_back_rate")"
echo "server memory, new visitors:       $(memory_line "$work/new.rss")"
echo "server memory, returning visitors: $(memory_line "$work/returning.rss")"
if [ "$new_bad" -eq 0 ] && [ "$back_bad" -eq 0 ] && [ "$nginx_bad" -eq 0 ] && [ "$nginx_back_bad" -eq 0 ]; then
  echo "every request succeeded"
else
  echo "some requests failed"
  exit 1
fi
