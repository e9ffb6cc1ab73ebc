#!/usr/bin/env bash
# Page scripts nested 100,000 deep once overflowed the stack of both hosts
# while their error messages printed the offending value. Both now refuse a
# script nested past the limit before a step runs: zorvadel-run with exit
# status 2, zorvadel-serve with its plain 500, serving on.
#
#   deep_scripts.sh PATH/TO/zorvadel-run PATH/TO/zorvadel-serve
set -u
run=$1
serve=$2
# shellcheck source=../../tests/serve/server_lib.sh
source "$(dirname "$0")/../../tests/serve/server_lib.sh"
site=$work/site
mkdir "$site"

# Where the depth sits: an unknown step, an argument, a session value, a
# ProgID, the request's headers.
python3 - "$site" <<'PY'
import sys
site, deep = sys.argv[1], 100000
nest = lambda n, inner="1": "[" * n + inner + "]" * n
scripts = {
    "step": '{"steps": [%s]}' % nest(deep, '{"a": 1}'),
    "argument": '{"steps": [{"write": "Server.URLEncode", "args": [%s]}]}' % nest(deep),
    "session": '{"session": {"k": %s}, "steps": []}' % nest(deep),
    "progid": '{"steps": [{"create": "w", "progid": %s}]}' % nest(deep),
    "headers": '{"request": {"headers": {"A": %s}}, "steps": []}' % nest(deep),
    # One level past the limit, and at it: the last is a script, if a wrong one.
    "over": '{"steps": [{"call": "Server.URLEncode", "args": [%s]}]}' % nest(28, "{}"),
    "at": '{"steps": [{"call": "Server.URLEncode", "args": [%s]}]}' % nest(27, "{}"),
    "long": '{"steps": [{"jump": "%s"}]}' % ("x" * 100000),
    "fine": '{"steps": [{"echo": "fine"}]}',
}
for name, text in scripts.items():
    open(f"{site}/{name}.json", "w").write(text)
PY

too_deep="nested deeper than 32 levels of objects and arrays"
for name in step argument session progid headers over; do
  "$run" "$site/$name.json" >"$work/out" 2>"$work/err"
  check "zorvadel-run $name" "$? $(head -1 "$work/err")" \
    "2 zorvadel-run: $site/$name.json: $too_deep"
done
# Within the limit the messages print the value, cut short.
nested_27=$(printf '[%.0s' $(seq 27)){}$(printf ']%.0s' $(seq 27))
"$run" "$site/at.json" >"$work/out" 2>"$work/err"
check "zorvadel-run at the limit" "$? $(cat "$work/err")" \
  "2 zorvadel-run: $site/at.json: step 1: unsupported JSON value: $nested_27"
"$run" "$site/long.json" >"$work/out" 2>"$work/err"
check "zorvadel-run with a long unknown step" "$? $(cat "$work/err")" \
  "2 zorvadel-run: $site/long.json: step 1: unknown step {\"jump\":\"$(printf 'x%.0s' $(seq 71))..."

start_server "$serve" "$site" 2
for name in step argument session progid headers over at long; do
  fetch "/$name.asp"
  check "zorvadel-serve $name" "$status" 500
  fetch /fine.asp
  check "zorvadel-serve serves on after $name" "$status $body" "200 fine"
done
grep -q "/step.asp: malformed page script: $too_deep" "$server_err"
tally "the server's log names the depth" $? "$(head -3 "$server_err")"
stop_server
finish deep_scripts
