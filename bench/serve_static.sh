#!/usr/bin/env bash
# One static file served by two builds of zorvadel-serve, paired, on
# loopback only: the same small file over kept-alive connections, wrk
# driving each build in turn, the build that goes first alternating from
# one round to the next so that neither always meets a cooler machine.
#
#   bench/serve_static.sh FIRST_SERVER SECOND_SERVER [--rounds 6]
#                         [--threads 8] [--duration 10s] [--size 2048]
#
# Both builds serve one site folder (a file of SIZE bytes) with --threads
# server threads; wrk runs 2 threads and 32 connections for DURATION
# against each. Prints, per round, each build's requests a second, the
# ratio SECOND / FIRST, each build's CPU time a request (user and system,
# which the other loads of a shared machine sway less than the rate) and
# the load average before the round; then the ratios of the sums. Exit
# status 1 when a request failed (a non-2xx answer or a socket error).
# Installs wrk when missing; not part of `make test`.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
usage="usage: $0 FIRST_SERVER SECOND_SERVER [--rounds N] [--threads N] [--duration 10s] [--size BYTES]"
[ $# -ge 2 ] || { echo "$usage" >&2; exit 2; }
servers=("$1" "$2")
shift 2
rounds=6
threads=8
duration=10s
size=2048
while [ $# -gt 0 ]; do
  case $1 in
    --rounds) rounds=$2; shift 2 ;;
    --threads) threads=$2; shift 2 ;;
    --duration) duration=$2; shift 2 ;;
    --size) size=$2; shift 2 ;;
    *) echo "$usage" >&2; exit 2 ;;
  esac
done
for s in "${servers[@]}"; do
  [ -x "$s" ] || { echo "not a program: $s" >&2; exit 2; }
done

source "$here/scripts/loopback_lib.sh"
command -v wrk >/dev/null || bash "$here/scripts/install-deps.sh" --bench

work=$(mktemp -d)
serve_pid=
cleanup() {
  [ -n "$serve_pid" ] && kill -TERM "$serve_pid" 2>/dev/null && wait "$serve_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/site"
head -c "$size" /dev/urandom | base64 -w 76 | head -c "$size" >"$work/site/file.txt"
# A file that changed within the last few seconds has its first bytes read
# at every request (platform/fso/sqlite_look.h); a site's files are older.
sleep 4

# run SERVER: starts it over the site, drives it, stops it; sets run_rate
# (requests a second), run_cpu (microseconds of CPU a request) and run_bad
# (requests that failed).
run() {
  "$1" --root "$work/site" --port 0 --threads "$threads" >"$work/serve.out" 2>"$work/serve.err" &
  serve_pid=$!
  local port url out bad errors before after total
  port=$(served_port "$work/serve.out") || { echo "$1 did not start" >&2; cat "$work/serve.err" >&2; exit 1; }
  url=http://127.0.0.1:$port/file.txt
  cmp -s "$work/site/file.txt" <(curl -sf "$url") || { echo "$1 does not serve the file" >&2; exit 1; }
  before=$(cpu_ticks "$serve_pid")
  out=$(wrk -t2 -c32 -d"$duration" "$url")
  after=$(cpu_ticks "$serve_pid")
  kill -TERM "$serve_pid"
  wait "$serve_pid" 2>/dev/null || true
  serve_pid=
  run_rate=$(awk '/^Requests\/sec:/ {print $2}' <<<"$out")
  total=$(awk '/requests in/ {print $1}' <<<"$out")
  run_cpu=$(awk -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" -v n="$total" \
    'BEGIN { printf "%.2f", (n > 0 ? t / hz * 1e6 / n : 0) }')
  bad=$(awk '/Non-2xx or 3xx responses:/ {print $NF}' <<<"$out")
  errors=$(sed -n 's/.*Socket errors: connect \([0-9]*\), read \([0-9]*\), write \([0-9]*\), timeout \([0-9]*\).*/\1 \2 \3 \4/p' <<<"$out" |
    awk '{print $1 + $2 + $3 + $4}')
  run_bad=$(( ${bad:-0} + ${errors:-0} ))
}

echo "first:  ${servers[0]}"
echo "second: ${servers[1]}"
echo "file: $size bytes; wrk -t2 -c32 -d$duration, kept alive; $threads server threads; $(nproc) cores"
failed=0
sum=(0 0)
cpu_sum=(0 0)
for round in $(seq "$rounds"); do
  load=$(cut -d' ' -f1-3 /proc/loadavg)
  # Odd rounds run the first build first, even rounds the second.
  order=(0 1)
  [ $((round % 2)) -eq 0 ] && order=(1 0)
  rate=()
  cpu=()
  for i in "${order[@]}"; do
    run "${servers[$i]}"
    rate[$i]=$run_rate
    cpu[$i]=$run_cpu
    cpu_sum[$i]=$(awk -v a="${cpu_sum[$i]}" -v b="$run_cpu" 'BEGIN { print a + b }')
    failed=$((failed + run_bad))
    sum[$i]=$(awk -v a="${sum[$i]}" -v b="$run_rate" 'BEGIN { print a + b }')
  done
  printf 'round %d (%s first, load %s): first %s/s, second %s/s, ratio %s; CPU a request %s us, %s us\n' \
    "$round" "$([ "${order[0]}" -eq 0 ] && echo first || echo second)" "$load" "${rate[0]}" \
    "${rate[1]}" "$(awk -v a="${rate[1]}" -v b="${rate[0]}" 'BEGIN { printf "%.3f", (b > 0 ? a / b : 0) }')" \
    "${cpu[0]}" "${cpu[1]}"
done
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", (b > 0 ? a / b : 0) }'; }
echo "ratio of the sums (second / first): requests/s $(ratio "${sum[1]}" "${sum[0]}"), CPU a request $(ratio "${cpu_sum[1]}" "${cpu_sum[0]}"); load now $(cut -d' ' -f1-3 /proc/loadavg)"
if [ "$failed" -ne 0 ]; then
  echo "$failed requests failed"
  exit 1
fi
