# Shared by the HTTP tests: a temporary folder that is removed on exit with
# every server still running, zorvadel-serve on a free loopback port, requests
# with curl, and the counted checks. Source it first; it sets $work.
#
# No test may leave a process behind, whichever way it ends: on exit, on
# Ctrl-C and on SIGTERM every process handed to `started` and not yet stopped
# is stopped, and no wait here lasts without a deadline.

work=
pid=
running=()
servers=0

# started PID: a process of this test, stopped on exit unless stopped before.
started() { running+=("$1"); }

# forget PID: a process of this test that has ended and been waited for is
# not stopped on exit: its number may belong to another process by then,
# even another test's.
forget() {
  local left=() p
  for p in "${running[@]}"; do [ "$p" = "$1" ] || left+=("$p"); done
  running=("${left[@]}")
}

# stop_process PID [SECONDS]: SIGTERM, then SIGKILL once SECONDS (30) have
# passed without an end; returns the process's exit status (137 if killed).
stop_process() {
  local target=$1 limit=${2:-30}
  forget "$target"
  local ticks=0
  kill -TERM "$target" 2>/dev/null
  while kill -0 "$target" 2>/dev/null; do
    if [ $((ticks += 1)) -gt $((limit * 20)) ]; then
      echo "process $target still ran ${limit} s after SIGTERM: killed" >&2
      kill -KILL "$target" 2>/dev/null
      break
    fi
    sleep 0.05
  done
  wait "$target" 2>/dev/null
}

cleanup() {
  local p
  for p in "${running[@]}"; do stop_process "$p" 10; done
  # A client the test left running (cut short by a signal) may still write
  # into the folder for a moment, until it finds the server gone.
  for _ in 1 2 3 4 5; do
    if [ -z "$work" ] || [ ! -e "$work" ]; then break; fi
    rm -rf "$work" 2>/dev/null || sleep 0.2
  done
}
trap cleanup EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM
work=$(mktemp -d)

phone='Nokia6600/1.0 (4.09.1) SymbianOS/7.0s Series60/2.0 Profile/MIDP-2.0 Configuration/CLDC-1.0'
desktop='Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0 Safari/537.36'

# await_port PID FILE [SECONDS]: prints the port that the server's startup
# line in FILE names; fails once the server has ended or SECONDS (60) have
# passed without that line. FILE must be the server's own, fresh output: a
# file an earlier server wrote would name that server's port.
await_port() {
  local deadline=$((SECONDS + ${3:-60})) alive found
  while :; do
    alive=0
    kill -0 "$1" 2>/dev/null && alive=1
    found=$(sed -n 's|.*http://127\.0\.0\.1:\([0-9]*\)/.*|\1|p' "$2")
    [ -n "$found" ] && { echo "$found"; return 0; }
    if [ "$alive" -eq 0 ] || [ "$SECONDS" -ge "$deadline" ]; then return 1; fi
    sleep 0.05
  done
}

# start_server SERVER SITE THREADS [FLAGS...]: sets $pid, $port and $base,
# and $server_out and $server_err, the files its standard output and error
# go to (new ones for every server).
start_server() {
  servers=$((servers + 1))
  server_out=$work/server$servers.out
  server_err=$work/server$servers.err
  : >"$server_out"
  : >"$server_err"
  # The server raises its soft open-file limit as far as the hard one lets
  # it: a test that set the soft one, to give it so many places, fixes both.
  prlimit --nofile="$(ulimit -Sn)" "$1" --root "$2" --port 0 --threads "$3" "${@:4}" \
    >"$server_out" 2>"$server_err" &
  pid=$!
  started "$pid"
  if ! port=$(await_port "$pid" "$server_out"); then
    echo "$(basename "$1") did not start"; cat "$server_err"; exit 1
  fi
  base=http://127.0.0.1:$port
}

# stop_server: SIGTERM must end it cleanly.
stop_server() {
  stop_process "$pid"
  check "exit status after SIGTERM" "$?" 0
  pid=
  check "stopped" "$(tail -1 "$server_out" | sed 's/^[^:]*: //')" "stopped"
}

# fetch PATH [CURL ARGS...]: sets $status, $body and the header file.
fetch() {
  local path=$1; shift
  status=$(curl -s --max-time 10 -D "$work/head" -o "$work/body" -w '%{http_code}' "$@" "$base$path")
  body=$(tr -d '\000' <"$work/body")
}
header() {  # NAME: the header's value in the last response
  grep -i "^$1:" "$work/head" | head -1 | cut -d: -f2- | sed 's/^ //; s/\r$//'
}

# many_files COUNT: raises the open-file limit for COUNT connections held
# by the server and the client each, or skips the test (77) where the hard
# limit is too low.
many_files() {
  local hard
  hard=$(ulimit -Hn)
  if [ "$hard" != unlimited ] && [ "$hard" -lt 2048 ]; then
    echo "the open-file limit ($hard) is too low for $1 connections"; exit 77
  fi
  ulimit -Sn 4096 2>/dev/null || ulimit -Sn "$hard"
}

passed=0
failed=0
tally() {  # NAME STATUS WHY: counts a check that passed when STATUS is 0
  [ "$2" -eq 0 ] && { passed=$((passed + 1)); return; }
  failed=$((failed + 1)); printf 'FAIL %s\n  %s\n' "$1" "$3"
}
# check NAME GOT WANT; has NAME FRAGMENT and lacks NAME FRAGMENT look at the last body.
check() { [ "$2" == "$3" ]; tally "$1" $? "got: $(printf %q "$2") want: $(printf %q "$3")"; }
has() { [[ "$body" == *"$2"* ]]; tally "$1" $? "body lacks: $(printf %q "$2")"; }
lacks() { [[ "$body" != *"$2"* ]]; tally "$1" $? "body holds: $(printf %q "$2")"; }
# finish NAME: the tally, and the script's exit status.
finish() {
  echo "$1: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
