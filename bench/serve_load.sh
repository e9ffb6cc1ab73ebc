#!/usr/bin/env bash
# Load test of zorvadel-serve beside nginx, on loopback only.
#
#   bench/serve_load.sh [--page PATH] [--root FOLDER] [--threads N] [--duration 10s]
#                       [--agent USER-AGENT]
#
# Starts zorvadel-serve over FOLDER (default: a small site made here, whose
# page /hello.asp is a page script with a few writes) and nginx over a folder
# holding the bytes that page answered, saved as a static file. wrk drives
# each in turn (4 threads, 64 connections, DURATION), and the script prints
# both rates, their ratio and whether every request succeeded. --agent sends
# that User-Agent with every request (pages that ask the terminal answer by
# it, e.g. a WML deck for a phone).
# Installs wrk and nginx-light when missing; not part of `make test`.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$here/build}
page=/hello.asp
root=
threads=$(nproc)
duration=10s
agent=
while [ $# -gt 0 ]; do
  case $1 in
    --page) page=$2; shift 2 ;;
    --root) root=$2; shift 2 ;;
    --threads) threads=$2; shift 2 ;;
    --duration) duration=$2; shift 2 ;;
    --agent) agent=$2; shift 2 ;;
    *) echo "usage: $0 [--page PATH] [--root FOLDER] [--threads N] [--duration 10s] [--agent UA]" >&2; exit 2 ;;
  esac
done

bash "$here/scripts/install-deps.sh"
bash "$here/scripts/install-deps.sh" --bench
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" --target zorvadel-serve >/dev/null

work=$(mktemp -d)
chmod 755 "$work"  # nginx workers read the static folder as another user
serve_pid=
nginx_pid=
cleanup() {
  [ -n "$serve_pid" ] && kill -TERM "$serve_pid" 2>/dev/null && wait "$serve_pid" 2>/dev/null
  [ -n "$nginx_pid" ] && kill -QUIT "$nginx_pid" 2>/dev/null && wait "$nginx_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

if [ -z "$root" ]; then
  root=$work/site
  mkdir -p "$root"
  cat >"$root/hello.json" <<'JSON'
{
 "steps": [
  {"let": "Response.ContentType", "value": "text/html"},
  {"echo": "<html><head><title>Hello</title></head><body><p>"},
  {"write": "Request.QueryString", "args": ["name"]},
  {"echo": "</p><p>"},
  {"write": "Server.URLEncode", "args": ["a page with a few writes"]},
  {"echo": "</p><p>"},
  {"write": "Request.ServerVariables", "args": ["SCRIPT_NAME"]},
  {"echo": "</p></body></html>\n"}
 ]
}
JSON
fi

# A port nothing listens on (nginx cannot be asked for port 0).
free_port() {
  local port
  for _ in $(seq 50); do
    port=$((20000 + RANDOM % 40000))
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then echo "$port"; return; fi
  done
  return 1
}

"$build/zorvadel-serve" --root "$root" --port 0 --threads "$threads" >"$work/serve.out" 2>"$work/serve.err" &
serve_pid=$!
serve_port=
for _ in $(seq 100); do
  serve_port=$(sed -n 's|.*http://127\.0\.0\.1:\([0-9]*\)/.*|\1|p' "$work/serve.out")
  [ -n "$serve_port" ] && break
  sleep 0.1
done
[ -n "$serve_port" ] || { echo "zorvadel-serve did not start"; cat "$work/serve.err"; exit 1; }

# nginx serves the very bytes the page answered, under the same path.
mkdir -p "$work/static" "$work/nginx"
agent_args=()
[ -n "$agent" ] && agent_args=(-H "User-Agent: $agent")
curl -sf "${agent_args[@]}" "http://127.0.0.1:$serve_port$page" -o "$work/page.bytes"
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

# Runs wrk and prints "REQUESTS_PER_SECOND TOTAL FAILED" (FAILED counts
# non-2xx/3xx answers and socket errors).
drive() {
  local out
  out=$(wrk -t4 -c64 -d"$duration" "${agent_args[@]}" "$1")
  echo "$out" >&2
  local rate total bad errors
  rate=$(awk '/^Requests\/sec:/ {print $2}' <<<"$out")
  total=$(awk '/requests in/ {print $1}' <<<"$out")
  bad=$(awk '/Non-2xx or 3xx responses:/ {print $NF}' <<<"$out")
  errors=$(sed -n 's/.*Socket errors: connect \([0-9]*\), read \([0-9]*\), write \([0-9]*\), timeout \([0-9]*\).*/\1 \2 \3 \4/p' <<<"$out" |
    awk '{print $1 + $2 + $3 + $4}')
  echo "$rate $total $(( ${bad:-0} + ${errors:-0} ))"
}

echo "== zorvadel-serve $page ($threads threads, $(wc -c <"$work/page.bytes") bytes)" >&2
read -r serve_rate serve_total serve_bad < <(drive "http://127.0.0.1:$serve_port$page")
echo "== nginx, the same bytes as a static file ($threads workers)" >&2
read -r nginx_rate nginx_total nginx_bad < <(drive "http://127.0.0.1:$nginx_port$static_path")

ratio=$(awk -v a="$serve_rate" -v b="$nginx_rate" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')
echo
echo "zorvadel-serve: $serve_rate requests/s, $serve_total requests, $serve_bad failed"
echo "nginx static:   $nginx_rate requests/s, $nginx_total requests, $nginx_bad failed"
echo "ratio zorvadel-serve / nginx: $ratio"
if [ "$serve_bad" -eq 0 ] && [ "$nginx_bad" -eq 0 ]; then
  echo "every request succeeded"
else
  echo "some requests failed"
  exit 1
fi
