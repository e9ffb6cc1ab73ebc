# Shared by the HTTP tests: a temporary folder that is removed on exit with
# the server, zorvadel-serve on a free loopback port, requests with curl, and
# the counted checks. Source it first; it sets $work.

work=$(mktemp -d)
pid=
cleanup() {
  [ -n "$pid" ] && kill -TERM "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

phone='Nokia6600/1.0 (4.09.1) SymbianOS/7.0s Series60/2.0 Profile/MIDP-2.0 Configuration/CLDC-1.0'
desktop='Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0 Safari/537.36'

# start_server SERVER SITE THREADS [FLAGS...]: sets $pid, $port and $base.
start_server() {
  "$1" --root "$2" --port 0 --threads "$3" "${@:4}" >"$work/out" 2>"$work/err" &
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

# stop_server: SIGTERM must end it cleanly.
stop_server() {
  kill -TERM "$pid"
  wait "$pid"
  check "exit status after SIGTERM" "$?" 0
  pid=
  check "stopped" "$(tail -1 "$work/out" | sed 's/^[^:]*: //')" "stopped"
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
