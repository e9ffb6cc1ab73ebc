#!/usr/bin/env bash
# Two engines behind nginx, configured as examples/deploy/nginx.conf (its
# ports moved to free loopback ones): new visitors spread over both engines
# and each keeps one session, whose visit trail stays whole; stopping one
# engine leaves the other's visitors untouched. Skipped (77) without nginx.
#
#   run_nodes.sh PATH/TO/zorvadel-serve PATH/TO/nginx.conf
set -u
server=$1
conf=$2
command -v nginx >/dev/null || { echo "nginx is not installed: skipped"; exit 77; }
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=server_lib.sh
source "$here/server_lib.sh"
site=$work/site
mkdir -p "$site"
cp "$here/site/trail.json" "$site/"
declare -A node_pid node_port

# start_node NAME: an engine of that node name on a free port.
start_node() {
  : >"$work/$1.out"
  "$server" --root "$site" --port 0 --threads 2 --node "$1" >"$work/$1.out" 2>"$work/$1.err" &
  node_pid[$1]=$!
  started "$!"
  node_port[$1]=$(await_port "$!" "$work/$1.out") ||
    { echo "engine $1 did not start"; cat "$work/$1.err"; exit 1; }
}
start_node a
start_node b

source "$here/../../scripts/loopback_lib.sh"
port=$(free_port)
base=http://127.0.0.1:$port
mkdir -p "$work/nginx"
# What nginx writes goes into the test's folder, its prefix, as the
# README's recipe has it.
sed -e "s|127\.0\.0\.1:8081|127.0.0.1:${node_port[a]}|; s|127\.0\.0\.1:8082|127.0.0.1:${node_port[b]}|" \
    -e "s|^\( *\)listen 127.0.0.1:8080;|\1listen 127.0.0.1:$port;|; s|^worker_processes auto;|worker_processes 1;|" \
    "$conf" >"$work/nginx/nginx.conf"
nginx -p "$work/nginx" -e error.log -c "$work/nginx/nginx.conf" \
  -g "daemon off;" 2>"$work/nginx/start.err" &
nginx=$!
started "$nginx"
deadline=$((SECONDS + 60))
until [ "$(curl -s --max-time 10 -o /dev/null -w '%{http_code}' "$base/trail.asp")" = 200 ]; do
  if ! kill -0 "$nginx" 2>/dev/null || [ "$SECONDS" -ge "$deadline" ]; then
    echo "nginx did not start"; cat "$work/nginx/start.err" "$work/nginx/error.log"; exit 1
  fi
  sleep 0.1
done

# visit N JAR: one page of a visitor; prints "NODE TRAIL NEW-COOKIE", where
# NODE is the suffix of the visitor's cookie, TRAIL the entries of its visit
# trail and NEW-COOKIE 1 when the answer set a cookie.
visit() {
  local body
  body=$(curl -s --max-time 10 -D "$work/head.$1" -b "$2" -c "$2" "$base/trail.asp")
  printf '%s %s %s\n' "$(sed -n 's/.*ZORVADELSESSION\t[0-9a-f]*\.\(.*\)$/\1/p' "$2")" \
    "$(grep -o 'trail.asp\[' <<<"$body" | wc -l)" "$(grep -ci '^set-cookie:' "$work/head.$1")"
}

# 20 new visitors at once, 10 pages each.
visitors=()
for v in $(seq 20); do
  (for _ in $(seq 10); do visit "$v" "$work/jar.$v"; done >"$work/visits.$v") &
  visitors+=($!)
done
wait "${visitors[@]}"
whole=0
declare -A on
for v in $(seq 20); do
  # One cookie (set by the first page), a trail that grows by one a page.
  trail=$(cut -d' ' -f2,3 "$work/visits.$v" | tr '\n' ' ')
  [ "$trail" = "1 1 2 0 3 0 4 0 5 0 6 0 7 0 8 0 9 0 10 0 " ] &&
    [ "$(cut -d' ' -f1 "$work/visits.$v" | sort -u | wc -l)" = 1 ] && whole=$((whole + 1))
  node=$(tail -1 "$work/visits.$v" | cut -d' ' -f1)
  on[$node]="${on[$node]:-} $v"
done
check "20 visitors keep one session each, every trail whole" "$whole" 20
check "the visitors spread over both engines" \
  "$([ -n "${on[a]:-}" ] && [ -n "${on[b]:-}" ] && echo yes)" yes

# Engine a stops: b's visitors go on with their sessions; a's start anew on b.
stop_process "${node_pid[a]}"
kept=0
for v in ${on[b]:-}; do
  [ "$(visit "$v" "$work/jar.$v")" = "b 11 0" ] && kept=$((kept + 1))
done
check "b's visitors untouched when a stops" "$kept" "$(wc -w <<<"${on[b]:-}")"
v=$(awk '{print $1}' <<<"${on[a]:-}")
check "a visitor of the stopped engine starts again on the other" \
  "$(visit "$v" "$work/jar.$v")" "b 1 1"

finish nodes
