#!/usr/bin/env bash
# The command lines of zorvadel-run, zorvadel-serve and a site binary: their
# help texts, and a clear one-line reason with exit status 2 for every bad
# command line and every file or folder they cannot use.
#
#   command_lines.sh PATH/TO/zorvadel-run PATH/TO/zorvadel-serve PATH/TO/zorvadel-demo
set -u
run=$1
serve=$2
demo=$3
# shellcheck source=../serve/server_lib.sh
source "$(dirname "$0")/../serve/server_lib.sh"

# expect STATUS LINE COMMAND...: the command exits with STATUS and the first
# line it writes to standard error (to standard output for status 0) is LINE.
# A server that starts serving after all is stopped (status 124), not waited for.
expect() {
  timeout 30 "${@:3}" >"$work/out" 2>"$work/err" </dev/null
  local status=$? stream=$work/err
  [ "$1" -eq 0 ] && stream=$work/out
  check "${*:3}" "$status $(head -1 "$stream")" "$1 $2"
}
# holds FRAGMENT: the last command's standard output holds FRAGMENT.
holds() { grep -qF -- "$1" "$work/out"; tally "output holds $1" $? "output lacks it"; }

# ---- zorvadel-run ----------------------------------------------------------------
mkdir "$work/folder"
printf '{"steps": [' >"$work/broken.json"
printf '{"request": {}}' >"$work/nosteps.json"
printf '{"steps": [{"echo": "a"}, {"jump": "b"}]}' >"$work/badstep.json"
printf '{"steps": [{"echo": "a"}], "request": {"agent": "x"}}' >"$work/badkey.json"
printf '{"steps": [{"echo": "fine"}]}' >"$work/fine.json"
printf '{"requst": {"url": "/a.asp"}, "steps": [{"echo": "a"}]}' >"$work/typo.json"
printf '{"steps": [{"create": "w", "progid": "Zorvadel.WAP"}, {"call": "w.A", "args": [1, 2, 3, 4, 5]}]}' \
  >"$work/args.json"

expect 0 "usage: zorvadel-run [--head] FILE.json" "$run" --help
holds "  --head   print the status line and the headers before the body"
holds "Exit status: 0 when every step ran; 1 when a run-time error ended the"
expect 2 "zorvadel-run: cannot read $work/folder: Is a directory" "$run" "$work/folder"
expect 2 "zorvadel-run: cannot read $work/none.json: No such file or directory" "$run" "$work/none.json"
expect 2 "zorvadel-run: cannot read $work/fine.json/x: Not a directory" "$run" "$work/fine.json/x"
expect 2 "zorvadel-run: unknown flag --header" "$run" --header "$work/fine.json"
expect 2 "zorvadel-run: no script given" "$run"
expect 2 "zorvadel-run: one script at a time: $work/fine.json" "$run" "$work/fine.json" "$work/fine.json"
expect 2 "zorvadel-run: $work/nosteps.json: a script needs \"steps\"" "$run" "$work/nosteps.json"
expect 2 "zorvadel-run: $work/badstep.json: step 2: unknown step {\"jump\":\"b\"}" "$run" "$work/badstep.json"
expect 2 "zorvadel-run: $work/badkey.json: unknown request key \"agent\"" "$run" "$work/badkey.json"
expect 2 "zorvadel-run: $work/typo.json: unknown key \"requst\" (a script holds \"steps\", \"request\", \"session\" and \"root\")" \
  "$run" "$work/typo.json"
expect 1 "error 450: Wrong number of arguments or invalid property assignment: 'w.A' (step 2)" \
  "$run" "$work/args.json"
"$run" "$work/broken.json" >/dev/null 2>"$work/err"; status=$?
grep -q "^zorvadel-run: $work/broken.json: .*parse error" "$work/err"
check "malformed JSON: $(cat "$work/err")" "$status $?" "2 0"
expect 0 "fine" "$run" "$work/fine.json"

# ---- zorvadel-serve and a site binary -----------------------------------------------
expect 0 "usage: zorvadel-serve [FLAG...]" "$serve" --help
for line in \
  "  --root FOLDER        the site folder (default: the current folder)" \
  "  --address ADDRESS    the IPv4 or IPv6 address to listen on (default: 127.0.0.1)" \
  "                       the first line of output (default: 8080)" \
  "  --access-log FILE    append one line per request to FILE in the common" \
  "                       recently used of them first (default: 128)" \
  "  --show-errors        put a failing page's error message into its 500 page," \
  "  --drain S            how long a stop waits for the pages that run; a page" \
  "binary (0 here)."; do
  holds "$line"
done
expect 0 "usage: zorvadel-demo [FLAG...]" "$demo" --help
holds "  --root FOLDER        the site folder (default: $(cd "$(dirname "$0")/../.." && pwd)/examples/site)"

expect 2 "zorvadel-serve: unknown flag --bogus" "$serve" --bogus
expect 2 "zorvadel-serve: unexpected argument site (the site folder is given with --root)" "$serve" site
expect 2 "zorvadel-serve: --port needs a value" "$serve" --port
expect 2 "zorvadel-serve: --port takes a number from 0 to 65535, not \"http\"" "$serve" --port http
expect 2 "zorvadel-serve: --port takes a number from 0 to 65535, not \"65536\"" "$serve" --port=65536
expect 2 "zorvadel-serve: --threads takes a number from 1 to 1024, not \"0\"" "$serve" --threads 0
expect 2 "zorvadel-serve: --session-memory takes a number of megabytes from 1 to 1048576, not \"1G\"" \
  "$serve" --session-memory 1G
expect 2 "zorvadel-serve: --session-wait takes a number of seconds from 1 to 3600, not \"0\"" \
  "$serve" --session-wait 0
expect 2 "zorvadel-serve: --buffer-limit takes a number of megabytes from 1 to 4096, not \"64M\"" \
  "$serve" --buffer-limit 64M
expect 2 "zorvadel-serve: --node takes a name of 1 to 32 letters, digits, \"-\" or \"_\", not \"a.b\"" \
  "$serve" --node a.b
expect 2 "zorvadel-serve: --show-errors takes no value" "$serve" --show-errors=yes
expect 2 "zorvadel-serve: --drain takes a number of seconds from 0 to 3600, not \"10s\"" \
  "$serve" --drain 10s
expect 2 "zorvadel-serve: no such folder: $work/none" "$serve" --root "$work/none" --port 0
expect 2 "zorvadel-serve: not a folder: $work/fine.json" "$serve" --root "$work/fine.json" --port 0
expect 2 "zorvadel-serve: no such folder: $work/fine.json/x" "$serve" --root "$work/fine.json/x" --port 0
# A folder the server may not search would answer every request 404. Root
# reads it all the same unless it gives up its power to override file modes.
mkdir "$work/locked"
chmod 000 "$work/locked"
unprivileged=()
[ "$(id -u)" -eq 0 ] && unprivileged=(setpriv --bounding-set -dac_override,-dac_read_search)
expect 2 "zorvadel-serve: cannot read the site folder $work/locked: Permission denied" \
  "${unprivileged[@]}" "$serve" --root "$work/locked" --port 0
chmod 700 "$work/locked"
expect 1 "zorvadel-serve: cannot open the access log $work/none/log: No such file or directory" \
  "$serve" --root "$work" --port 0 --access-log "$work/none/log"
for address in example.org nonsense 127.0.0.256 "[127.0.0.1]" "::1]" ""; do
  expect 2 "zorvadel-serve: --address takes an IPv4 or IPv6 address, not \"$address\"" \
    timeout 10 "$serve" --root "$work" --port 0 --address "$address"
done
# Every form of address the server takes still starts it.
for row in "localhost|localhost" "::1|[::1]" "[::1]|[::1]"; do
  "$serve" --root "$work" --port 0 --address "${row%|*}" >"$work/out" 2>"$work/err" &
  server=$!
  started "$server"
  for _ in $(seq 50); do grep -q serving "$work/out" && break; sleep 0.1; done
  stop_process "$server"
  check "--address ${row%|*}" "$(sed -n 's|.* on http://\(.*\):[0-9]*/ .*|\1|p' "$work/out")" "${row#*|}"
done

finish command_lines
