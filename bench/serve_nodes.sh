#!/usr/bin/env bash
# Load run of several engines behind nginx beside one engine alone, on
# loopback only, with returning visitors: two zorvadel-serve engines
# (--node a, --node b) behind nginx configured as examples/deploy/nginx.conf,
# and one engine on its own, in one run, each driven by wrk (4 threads, 64
# connections, DURATION) over the same page.
#
#   bench/serve_nodes.sh [--threads N] [--duration 10s] [--server BINARY]
#
# The page is a page script with a WAP object (page start writes the visit
# trail). 64 visitors each make their session with a first request through
# what is measured (so that nginx places them) and send its cookie from
# then on; each wrk thread sends the cookies of its 16 in turn. The lone
# engine answers with --threads threads, each of the two with half of them,
# and nginx with two workers: one machine's cores are shared either way, so
# the run measures what the balancer costs, not what a second machine
# gains. It prints both rates, their ratio, the CPU time a request takes
# (engines and nginx together) and the sessions lost (answers that set a new
# cookie); exit status 1 when a request failed or a session was lost.
# Installs wrk and nginx-light when missing; not part of `make test`.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$here/build}
threads=$(nproc)
duration=10s
server=
usage="usage: $0 [--threads N] [--duration 10s] [--server BINARY]"
while [ $# -gt 0 ]; do
  case $1 in
    --threads) threads=$2; shift 2 ;;
    --duration) duration=$2; shift 2 ;;
    --server) server=$2; shift 2 ;;
    *) echo "$usage" >&2; exit 2 ;;
  esac
done

source "$here/scripts/loopback_lib.sh"
load_run_ready

work=$(mktemp -d)
pids=()
cleanup() {
  local p
  for p in "${pids[@]}"; do kill -TERM "$p" 2>/dev/null && wait "$p" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/site" "$work/nginx"
cp "$here/bench/site/news.json" "$work/site/"
agent='Nokia6600/1.0 (4.09.1) SymbianOS/7.0s Series60/2.0 Profile/MIDP-2.0 Configuration/CLDC-1.0'

# start_engine NAME THREADS [FLAGS...]: a new engine; sets $port.
start_engine() {
  "$server" --root "$work/site" --port 0 --threads "$2" "${@:3}" >"$work/$1.out" 2>"$work/$1.err" &
  pids+=($!)
  for _ in $(seq 100); do
    port=$(sed -n 's|.*http://127\.0\.0\.1:\([0-9]*\)/.*|\1|p' "$work/$1.out")
    [ -n "$port" ] && return
    sleep 0.1
  done
  echo "engine $1 did not start" >&2; cat "$work/$1.err" >&2; exit 1
}

half=$(( threads > 1 ? threads / 2 : 1 ))
start_engine alone "$threads"; alone_port=$port
start_engine a "$half" --node a; a_port=$port
start_engine b "$half" --node b; b_port=$port
front_port=$(free_port)
for kind in client_body proxy fastcgi uwsgi scgi; do
  echo "  ${kind}_temp_path $work/nginx/$kind;"
done >"$work/nginx/paths"
printf '  access_log off;\n  keepalive_requests 1000000;\n' >>"$work/nginx/paths"
sed -e "s|127\.0\.0\.1:8081|127.0.0.1:$a_port|; s|127\.0\.0\.1:8082|127.0.0.1:$b_port|" \
    -e "s|^\( *\)listen 127.0.0.1:8080;|\1listen 127.0.0.1:$front_port;|" \
    -e "s|^worker_processes auto;|worker_processes 2;|; /^http {/r $work/nginx/paths" \
    "$here/examples/deploy/nginx.conf" >"$work/nginx/nginx.conf"
nginx -e "$work/nginx/error.log" -p "$work/nginx" -c "$work/nginx/nginx.conf" \
  -g "daemon off; pid $work/nginx/nginx.pid;" &
nginx_pid=$!
pids+=("$nginx_pid")
for _ in $(seq 100); do
  curl -sf -o /dev/null "http://127.0.0.1:$front_port/news.asp" && break
  sleep 0.1
done

# cookies URL: 64 visitors' cookies, each session made by one request and
# taken off probation by a second, as a browser's first two pages would.
cookies() {
  local cookie
  for _ in $(seq 64); do
    cookie=$(curl -sf -A "$agent" -D - -o /dev/null "$1" |
      sed -n 's/^Set-Cookie: \(ZORVADELSESSION=[^;]*\);.*/\1/p')
    [ -n "$cookie" ] || { echo "$1 set no session cookie" >&2; exit 1; }
    curl -sf -A "$agent" -H "Cookie: $cookie" -o /dev/null "$1"
    echo "$cookie"
  done
}

# script COOKIES-FILE: the wrk script of the returning visitors.
script() {
  echo 'local all = {'
  sed 's/.*/  "&",/' "$1"
  echo '}'
  cat <<'LUA'
local threads, next_thread = {}, 0
function setup(thread)
  local mine = {}
  for i = next_thread * 16 + 1, next_thread * 16 + 16 do mine[#mine + 1] = all[i] end
  thread:set("cookies", table.concat(mine, " "))
  threads[#threads + 1] = thread
  next_thread = next_thread + 1
end
local slots, turn = {}, 0
function init(args)
  lost = 0
  for c in string.gmatch(cookies, "%S+") do slots[#slots + 1] = c end
end
function request()
  turn = turn % #slots + 1
  return wrk.format(nil, nil, {["Cookie"] = slots[turn]})
end
function response(status, headers, body)
  if headers["Set-Cookie"] then lost = lost + 1 end
end
function done(summary, latency, requests)
  local n = 0
  for _, t in ipairs(threads) do n = n + t:get("lost") end
  io.write(string.format("lost sessions: %d\n", n))
end
LUA
}

# drive NAME URL PIDS...: prints "RATE TOTAL FAILED LOST CPU_US_PER_REQUEST".
drive() {
  local name=$1 url=$2
  shift 2
  cookies "$url" >"$work/$name.cookies"
  script "$work/$name.cookies" >"$work/$name.lua"
  local before after out
  before=$(cpu_ticks "$@")
  out=$(wrk -t4 -c64 -d"$duration" -H "User-Agent: $agent" -s "$work/$name.lua" "$url")
  after=$(cpu_ticks "$@")
  echo "$out" >&2
  local rate total bad errors lost cpu
  rate=$(awk '/^Requests\/sec:/ {print $2}' <<<"$out")
  total=$(awk '/requests in/ {print $1}' <<<"$out")
  bad=$(awk '/Non-2xx or 3xx responses:/ {print $NF}' <<<"$out")
  errors=$(sed -n 's/.*Socket errors: connect \([0-9]*\), read \([0-9]*\), write \([0-9]*\), timeout \([0-9]*\).*/\1 \2 \3 \4/p' <<<"$out" |
    awk '{print $1 + $2 + $3 + $4}')
  lost=$(awk '/^lost sessions:/ {print $3}' <<<"$out")
  cpu=$(awk -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" -v n="$total" \
    'BEGIN { printf "%.1f", (n > 0 ? t / hz * 1e6 / n : 0) }')
  echo "$rate $total $(( ${bad:-0} + ${errors:-0} )) ${lost:-0} $cpu"
}

nginx_pids="$nginx_pid $(pgrep -P "$nginx_pid" | tr '\n' ' ')"
echo "== one engine alone ($threads threads)" >&2
read -r alone_rate alone_total alone_bad alone_lost alone_cpu < <(
  drive alone "http://127.0.0.1:$alone_port/news.asp" "${pids[0]}")
echo "== two engines ($half threads each) behind nginx (2 workers)" >&2
# shellcheck disable=SC2086
read -r nodes_rate nodes_total nodes_bad nodes_lost nodes_cpu < <(
  drive nodes "http://127.0.0.1:$front_port/news.asp" "${pids[1]}" "${pids[2]}" $nginx_pids)
spread="a $(grep -c '\.a$' "$work/nodes.cookies"), b $(grep -c '\.b$' "$work/nodes.cookies")"

echo
echo "returning visitors, 64 at a time; wrk: 4 threads, 64 connections, $duration per run; $(nproc) cores"
echo "one engine alone:          $alone_rate requests/s, $alone_total requests, $alone_bad failed, $alone_lost sessions lost, $alone_cpu us CPU a request"
echo "two engines behind nginx:  $nodes_rate requests/s, $nodes_total requests, $nodes_bad failed, $nodes_lost sessions lost, $nodes_cpu us CPU a request (visitors: $spread)"
echo "ratio, behind nginx to alone: $(awk -v a="$nodes_rate" -v b="$alone_rate" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')"
if [ "$alone_bad" -eq 0 ] && [ "$nodes_bad" -eq 0 ] && [ "$alone_lost" -eq 0 ] && [ "$nodes_lost" -eq 0 ]; then
  echo "every request succeeded, every session kept"
else
  echo "some requests failed or sessions were lost"
  exit 1
fi
