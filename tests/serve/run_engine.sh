#!/usr/bin/env bash
# The engine's own answers: 400 for malformed requests, reason phrases,
# status pages in WML for WML-only phones, the plain 500 page (the message
# in the server's log, in the page only with --show-errors), the access
# log, and zorvadel-serve over a site of one's own, which serves that site
# alone.
#
#   run_engine.sh PATH/TO/zorvadel-serve-testing PATH/TO/zorvadel-serve
set -u
testing=$1
plain=$2
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=server_lib.sh
source "$here/server_lib.sh"
site=$work/site
cp -a "$here/site" "$site"
cat >"$site/markup.json" <<'JSON'
{"steps": [{"echo": "x"}, {"call": "Response.Bogus<b>"}]}
JSON

wml_only='text/vnd.wap.wml, image/vnd.wap.wbmp, */*'

# raw REQUEST: sends the bytes (a printf format) on a fresh connection and
# sets $answer to all the server sent back before it closed.
raw() {
  local data
  # shellcheck disable=SC2059
  printf -v data "$1"
  answer=$(
    trap '' PIPE  # the server may close before the last bytes are written
    exec 3<>"/dev/tcp/127.0.0.1/$port"
    printf '%s' "$data" >&3 2>/dev/null
    timeout 5 cat <&3 | tr -d '\r'
  )
}

start_server "$testing" "$site" 2 --access-log "$work/access.log"

# ---- malformed requests get 400, and the connection closes ------------------------
# One row for each of those who refuse: the gate (which lines it refuses is
# the unit test's), the framer on the way into libmicrohttpd (a header
# without a colon) and the engine (HTTP/1.1 without Host).
bad_requests=(
  'garbage\r\n\r\n'
  'G\001T / HTTP/1.1\r\nHost: a\r\n\r\n'
  'GET /index.asp HTTP/1.1\r\nHost: a\r\nno colon\r\n\r\n'
  '\r\nGET /index.asp HTTP/1.1\r\n\r\n'
)
for request in "${bad_requests[@]}"; do
  raw "$request"
  check "400 for $request" "${answer%%$'\n'*}" "HTTP/1.1 400 Bad Request"
done
# The gate's own refusals come in the markup the client reads: a WML-only
# phone gets a deck, as for every other status page; a head too large for
# the daemon is refused by the gate (a request line past its limit, too
# many header lines, too many bytes).
raw "garbage\\r\\nAccept: $wml_only\\r\\n\\r\\n"
check "400 deck for a WML-only phone" "$(grep -c '<card id="status" title="400 Bad Request"><p>Bad Request</p>' <<<"$answer")" 1
long_target=$(head -c 17000 /dev/zero | tr '\0' a)
many_fields=$(for _ in $(seq 101); do printf 'X-A: 1\\r\\n'; done)
big_field=$(head -c 16500 /dev/zero | tr '\0' b)
too_large=(
  "GET /$long_target HTTP/1.1\\r\\nHost: a\\r\\n\\r\\n|414 URI Too Long|<html>"
  "GET /$long_target HTTP/1.1\\r\\nHost: a\\r\\nAccept: $wml_only\\r\\n\\r\\n|414 URI Too Long|<wml>"
  "GET /index.asp HTTP/1.1\\r\\nHost: a\\r\\nAccept: $wml_only\\r\\n$many_fields\\r\\n|431 Request Header Fields Too Large|<wml>"
  "GET /index.asp HTTP/1.1\\r\\nHost: a\\r\\nX-B: $big_field\\r\\n\\r\\n|431 Request Header Fields Too Large|<html>"
)
for row in "${too_large[@]}"; do
  IFS='|' read -r request want markup <<<"$row"
  raw "$request"
  check "${want%% *} for a head too large" "${answer%%$'\n'*} $(grep -c "$markup" <<<"$answer")" "HTTP/1.1 $want 1"
done
raw 'GET /index.asp HTTP/1.0\r\n\r\n'
check "HTTP/1.0 without Host is served" "${answer%%$'\n'*}" "HTTP/1.1 200 OK"
raw 'GET /index.asp HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n'
check "a well-formed request after the refused ones" "${answer##*$'\n'}" "home /index.asp"
# A line that arrives in pieces is waited for, not refused.
exec 3<>"/dev/tcp/127.0.0.1/$port"
printf 'GET /index' >&3
sleep 0.2
printf '.asp HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n' >&3
answer=$(timeout 5 cat <&3 | tr -d '\r')
exec 3<&-
check "a request line in two pieces" "${answer%%$'\n'*}" "HTTP/1.1 200 OK"

# ---- status pages: reason phrases, HTML or WML by the Accept header ----------------
head -c 1100000 /dev/zero >"$work/big"
fetch /form.asp --data-binary @"$work/big"
check "413 has its reason phrase" "$(head -1 "$work/head" | tr -d '\r')" "HTTP/1.1 413 Content Too Large"
has "413 page names it" "<title>413 Content Too Large</title>"
# PATH, CURL ARGS, then the status and the kind of page expected.
status_rows=(
  "/nothing.asp|404|html"
  "/nothing.asp|-H|Accept: $wml_only|404|wml"
  "/nothing.asp|-H|Accept: text/vnd.wap.wml, text/html|404|html"
  "/nothing.asp|-A|$phone|404|html"
  "/style.css|-X|PUT|-H|Accept: TEXT/VND.WAP.WML;q=0.9|405|wml"
  "/broken.asp|-H|Accept: $wml_only|500|wml"
  "/broken.asp|500|html"
)
for row in "${status_rows[@]}"; do
  IFS='|' read -r -a cells <<<"$row"
  n=${#cells[@]}
  fetch "${cells[0]}" "${cells[@]:1:n-3}"
  type=html; [ "${cells[n - 1]}" = wml ] && type=vnd.wap.wml
  check "$row" "$status $(header Content-Type)" "${cells[n - 2]} text/$type; charset=utf-8"
  if [ "$type" = html ]; then has "$row page" "<html><head><title>$status "; continue; fi
  has "$row deck" '<!DOCTYPE wml PUBLIC "-//WAPFORUM//DTD WML 1.1//EN"'
  xmllint --noout --nonet "$work/body" 2>/dev/null
  check "$row deck is well-formed" "$?" 0
done

# ---- a page that sets no charset declares its code page's --------------------------------
fetch /query.asp; check "declared utf-8" "$(header Content-Type)" "text/plain; Charset=utf-8"
fetch /; check "declared GB2312" "$(header Content-Type)" "text/plain; Charset=GB2312"

# ---- a page's error stays on the server ------------------------------------------------
fetch /markup.asp
check "500 for a script error" "$status" 500
lacks "no error number in the page" "error 438"; lacks "no member name in the page" "Bogus"
check "the error logged with the step and the member" \
  "$(grep -c "^zorvadel-serve-testing: /markup.asp: error 438: Object doesn't support this property or method: 'Response.Bogus<b>' (step 2)$" "$server_err")" 1
fetch /cpp/broken.asp
lacks "a C++ page's error stays out of the page" "Invalid procedure"
check "a C++ page's error logged" "$(grep -c '/cpp/broken.asp: error 5: Invalid procedure call or argument$' "$server_err")" 1

# ---- the access log: one line per request, common log format --------------------------
fetch "/wap.asp?id=7" -A "$phone"
fetch '/a%20"b".css'
fetch /index.asp -I
stop_server
line='^127\.0\.0\.1 - - \[[0-3][0-9]/[A-Z][a-z][a-z]/20[0-9][0-9]:[0-2][0-9]:[0-5][0-9]:[0-5][0-9] [-+][0-9]{4}\] '
# A page, quotes escaped, a refused body, and HEAD, which sends no body.
for logged in '"GET /wap.asp\?id=7 HTTP/1.1" 200 [0-9]+$' '"POST /form.asp HTTP/1.1" 413 ' \
    '"GET /a%20\\"b\\".css HTTP/1.1" 404 [0-9]+$' '"HEAD /index.asp HTTP/1.1" 200 -$'; do
  check "access log: $logged" "$(grep -cE "$line$logged" "$work/access.log")" 1
done
requests=$(grep -c ' HTTP/1\.[01]" ' "$work/access.log")
# The refusals of the gate and of the framer (a header without a colon)
# are logged with the line as it came.
for row in '"garbage" 400 [0-9]+$|2' '"G\\x01T / HTTP/1.1" 400 [0-9]+$|1' '"GET /a+" 414 [0-9]+$|2' \
    '"GET /index.asp HTTP/1.1" 431 [0-9]+$|2'; do
  check "access log: ${row%|*}" "$(grep -cE "$line${row%|*}" "$work/access.log")" "${row##*|}"
done
check "access log: every request answered, once" "$requests" 23

# ---- the message in the page, for development --------------------------------------------
start_server "$testing" "$site" 2 --show-errors --session-wait 1 --buffer-limit 1
fetch /markup.asp
has "--show-errors puts the message in the page, escaped" \
  "<pre>error 438: Object doesn&apos;t support this property or method: &apos;Response.Bogus&lt;b&gt;&apos; (step 2)</pre>"
fetch /markup.asp -H "Accept: $wml_only"
has "--show-errors in a deck" "<br/>error 438: Object doesn&apos;t support"
fetch /cpp/flood.asp
check "a page past the buffer limit fails" "$status" 500
has "the buffer limit named" "<pre>error 7: Response buffer limit exceeded</pre>"
# Pages of one session wait for its turn without holding a thread, and get
# 503 once --session-wait runs out. The first page holds the turn and its
# thread; of six more, those on the other thread are set aside (the others
# wait unread behind the first). Pages of no session on that thread go ahead.
fetch /cpp/slow.asp?ms=0 -c "$work/jar"
curl -s --max-time 30 -o /dev/null -b "$work/jar" "$base/cpp/slow.asp?ms=2500" & holder=$!
sleep 0.3
urls=(); for _ in $(seq 6); do urls+=(-o /dev/null "$base/cpp/slow.asp?ms=0"); done
curl -s --max-time 30 --parallel --parallel-immediate -b "$work/jar" -H "Accept: $wml_only" \
  -w '%{http_code} %{content_type}\n' "${urls[@]}" >"$work/waited" & waiters=$!
sleep 0.3
urls=(); for _ in 1 2 3 4; do urls+=(-o /dev/null "$base/index.asp"); done
fastest=$(curl -s --max-time 30 --parallel --parallel-immediate -w '%{time_total}\n' "${urls[@]}" | sort -n | head -1)
check "pages set aside for their session hold no thread" \
  "$(awk -v t="$fastest" 'BEGIN { print (t < 0.8) }')" 1
wait "$waiters" "$holder"
check "503 after the session wait" \
  "$(grep -c '^503 text/vnd.wap.wml; charset=utf-8$' "$work/waited" | awk '{ print ($1 >= 1) }')" 1
# The port is taken: a second server says so and gives up (and one that
# listens after all is stopped rather than waited for).
timeout 30 "$plain" --root "$site" --port "$port" >/dev/null 2>"$work/taken"
check "port in use: status" "$?" 1
check "port in use: reason" "$(cat "$work/taken")" \
  "zorvadel-serve: cannot listen on 127.0.0.1 port $port: Address already in use"
stop_server

# ---- zorvadel-serve over a site of one's own ------------------------------------------------
own=$work/own
mkdir -p "$own/cpp"
cat >"$own/index.json" <<'JSON'
{"request": {"url": "/elsewhere.asp", "headers": {"User-Agent": "ignored"}},
 "session": {"Who": "ignored"},
 "steps": [{"let": "Response.ContentType", "value": "text/plain"}, {"echo": "my own index at "},
   {"write": "Request.ServerVariables", "args": ["SCRIPT_NAME"]}, {"echo": " for "},
   {"write": "Request.ServerVariables", "args": ["HTTP_USER_AGENT"]}, {"echo": ", who="},
   {"write": "Session.Who"}]}
JSON
echo 'void Page() {}' >"$own/cpp/hello.cc"
start_server "$plain" "$own" 1
fetch / -A "curl/own"
check "own index.json at /" "$body" "my own index at /index.asp for curl/own, who="
fetch /cpp/hello.asp; check "no C++ page of another binary" "$status" 404
fetch /agent.asp; check "no demo page" "$status" 404
check "startup names the C++ source it cannot serve" "$(cat "$server_err")" \
  "zorvadel-serve: $own/cpp/hello.cc is not served: C++ pages are built into a site binary with the engine's main (see \"Your own site\" in the README)"
check "startup line" "$(head -1 "$server_out" | sed 's/:[0-9][0-9]*\//:PORT\//')" \
  "zorvadel-serve: serving $own on http://127.0.0.1:PORT/ with 1 thread, 0 C++ pages (Ctrl-C stops)"
stop_server

finish engine
