# Shared by the load runs of bench/ and the tests that start nginx: a free
# loopback port and the CPU time of processes. Source it.

# A port nothing listens on (nginx cannot be asked for port 0), below the
# range the kernel picks outgoing ports from, so that no connection of the
# load itself holds it.
free_port() {
  local port low=32768
  read -r low _ </proc/sys/net/ipv4/ip_local_port_range 2>/dev/null || true
  [ "$low" -gt 11000 ] || low=32768
  for _ in $(seq 50); do
    port=$((10000 + RANDOM % (low - 10000)))
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then echo "$port"; return; fi
  done
  return 1
}

# load_scratch: a scratch folder, $work, removed on exit after the server
# whose process is $serve_pid (when set) has stopped.
load_scratch() {
  work=$(mktemp -d)
  serve_pid=
  trap load_cleanup EXIT
}
load_cleanup() {
  [ -n "$serve_pid" ] && kill -TERM "$serve_pid" 2>/dev/null && wait "$serve_pid" 2>/dev/null
  rm -rf "$work"
}

# served_port FILE: the port named by the startup line that zorvadel-serve
# (started with --port 0) writes to FILE, once it is there; fails after 10 s
# without it.
served_port() {
  local port
  for _ in $(seq 100); do
    port=$(sed -n 's|.*http://127\.0\.0\.1:\([0-9]*\)/.*|\1|p' "$1")
    [ -n "$port" ] && { echo "$port"; return; }
    sleep 0.1
  done
  return 1
}

# cpu_ticks PID...: user and system time of the processes, in clock ticks.
cpu_ticks() {
  local total=0 pid
  for pid in "$@"; do
    total=$((total + $(awk '{print $14 + $15}' "/proc/$pid/stat" 2>/dev/null || echo 0)))
  done
  echo "$total"
}

# load_run_ready: installs what a load run needs (wrk, nginx) and, unless
# $server names a binary already, builds zorvadel-serve in $build; sets
# $server. Needs $here (the repository) and $build.
load_run_ready() {
  bash "$here/scripts/install-deps.sh" --serve
  bash "$here/scripts/install-deps.sh" --bench
  if [ -z "$server" ]; then
    cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" -j "$(nproc)" --target zorvadel-serve >/dev/null
    server=$build/zorvadel-serve
  fi
}
