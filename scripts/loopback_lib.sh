# Shared by the load runs of bench/ and the tests that start nginx: a free
# loopback port and the CPU time of processes. Source it.

# A port nothing listens on (nginx cannot be asked for port 0).
free_port() {
  local port
  for _ in $(seq 50); do
    port=$((20000 + RANDOM % 40000))
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then echo "$port"; return; fi
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
