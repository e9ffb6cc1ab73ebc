# Shared by the HTTP tests: start zorvadel-serve on a free loopback port and
# count checks. Source it after setting $work (a temporary folder).

# start_server SERVER SITE THREADS: sets $pid, $port and $base.
start_server() {
  "$1" --root "$2" --port 0 --threads "$3" >"$work/out" 2>"$work/err" &
  pid=$!
  port=
  for _ in $(seq 100); do
    port=$(sed -n 's|.*http://127\.0\.0\.1:\([0-9]*\)/.*|\1|p' "$work/out")
    [ -n "$port" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ -z "$port" ]; then
    echo "zorvadel-serve did not start"; cat "$work/err"; exit 1
  fi
  base=http://127.0.0.1:$port
}

passed=0
failed=0
check() {  # NAME GOT WANT
  if [ "$2" == "$3" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    printf 'FAIL %s\n  got:  %q\n  want: %q\n' "$1" "$2" "$3"
  fi
}
