#!/usr/bin/env bash
# Every request frames its body one way: a head that says where its body
# ends in two ways, or in a way the server does not read, gets one answer
# (400, 413, 431 or 501) and its connection closes, whether it is the
# first request of the connection or a later one kept alive; the request
# sent behind its body is never served. Chunks past the body limit, a
# trailer past the head's limits and a version other than HTTP/1.x (505)
# are refused the same way. Heads that libmicrohttpd would read
# otherwise than the server (blanks after a framing value, bare CRs before
# a request, Expect with a request behind it, a cookie of a lone quote)
# are each answered once, and the request behind them too. Ordinary
# kept-alive traffic, chunked forms and requests sent together or a few
# bytes at a time included, goes on as before.
#
#   run_framing.sh PATH/TO/zorvadel-serve-testing
set -u
testing=$1
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=server_lib.sh
source "$here/server_lib.sh"
site=$work/site
cp -a "$here/site" "$site"

# framing.py PORT NAME HEAD... : for each NAME (a row below) sends on a
# fresh connection the shape, then a hidden request for /style.css, first
# alone, then after an ordinary request on the same connection, and then
# so again 512 bytes (5 with --served) at a time; prints "NAME
# first|later|trickled STATUSES closed|open" per connection, STATUSES being
# every status line that came back, joined by commas.
# A shape may hold "{TEXT*N}", sent as N times TEXT. With "--served" the
# request sent behind the shape asks to close the connection, and after
# STATUSES comes what of MARK (any "|"-ended word) the answers held, or "-".
cat >"$work/framing.py" <<'PY'
import re, socket, sys, time
served = sys.argv[1] == "--served"
args = sys.argv[2:] if served else sys.argv[1:]
port = int(args[0])
ordinary = b"GET /index.asp HTTP/1.1\r\nHost: a\r\n\r\n"
for name, shape in zip(args[1::2], args[2::2]):
    shape = shape.encode().decode("unicode_escape").encode("latin-1")
    shape = re.sub(rb"\{(.+?)\*(\d+)\}", lambda m: m.group(1) * int(m.group(2)), shape, flags=re.S)
    hidden = (b"GET /style.css?" + (b"after-" if served else b"hidden-") + name.encode()
              + b" HTTP/1.1\r\nHost: a\r\n" + (b"Connection: close\r\n" if served else b"")
              + b"\r\n")
    for where, before, piece in (("first", b"", 0), ("later", ordinary, 0),
                                 ("trickled", ordinary, 5 if served else 512)):
        s = socket.create_connection(("127.0.0.1", port))
        s.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        s.settimeout(10)
        sent = before + shape + hidden
        try:
            for at in range(0, len(sent), piece or len(sent)):
                s.sendall(sent[at:at + (piece or len(sent))])
                if piece:
                    time.sleep(0.001)  # lets the pieces arrive apart
        except OSError:
            pass  # refused before all was read: what came back says more
        got, closed, deadline = b"", "open", time.monotonic() + 10
        try:
            while time.monotonic() < deadline:
                piece = s.recv(65536)
                if not piece:
                    closed = "closed"
                    break
                got += piece
        except ConnectionResetError:
            closed = "closed"
        except socket.timeout:
            pass
        s.close()
        statuses = re.findall(rb"HTTP/1\.[01] (\d\d\d) ", got)
        marks = b"".join(re.findall(rb"[a-z]+\|", got)).decode() or "-" if served else ""
        print(name, where, ",".join(s.decode() for s in statuses) or "-", closed, marks, flush=True)
PY

start_server "$testing" "$site" 2 --access-log "$work/access.log"

post='POST /form.asp HTTP/1.1\r\nHost: a\r\n'
long_extension=$(head -c 100000 /dev/zero | tr '\0' x)
long_field="X-Long: $(head -c 17000 /dev/zero | tr '\0' x)\\r\\n"
chunked="${post}Transfer-Encoding: chunked\\r\\n\\r\\n"
# NAME|SHAPE|STATUS|LATER: LATER is the status of the same shape after an
# ordinary request, "=" when it is STATUS.
rows=(
  "length-then-chunks|${post}Content-Length: 4\\r\\nTransfer-Encoding: chunked\\r\\n\\r\\n0\\r\\n\\r\\n|400|="
  "chunks-then-length|${post}Transfer-Encoding: chunked\\r\\nContent-Length: 4\\r\\n\\r\\n0\\r\\n\\r\\n|400|="
  "two-lengths|${post}Content-Length: 0\\r\\nContent-Length: 4\\r\\n\\r\\nabcd|400|="
  "same-length-twice|${post}Content-Length: 3\\r\\nContent-Length: 3\\r\\n\\r\\nabc|400|="
  "two-hosts|GET /index.asp HTTP/1.1\\r\\nHost: a\\r\\nHost: b\\r\\n\\r\\n|400|="
  "blank-before-colon|${post}Content-Length : 3\\r\\n\\r\\nabc|400|="
  "folded-length|${post}Content-Length: 3\\r\\n 4\\r\\n\\r\\nabc|400|="
  "negative-length|${post}Content-Length: -1\\r\\n\\r\\n|400|="
  "signed-length|${post}Content-Length: +3\\r\\n\\r\\nabc|400|="
  "length-list|${post}Content-Length: 3, 3\\r\\n\\r\\nabc|400|="
  "length-past-64-bits|${post}Content-Length: 12345678901234567890123\\r\\n\\r\\n|413|="
  "length-past-limit|${post}Content-Length: 1048577\\r\\n\\r\\n|413|="
  "xchunked|${post}Transfer-Encoding: xchunked\\r\\n\\r\\n0\\r\\n\\r\\n|501|="
  "gzip-chunked|${post}Transfer-Encoding: gzip, chunked\\r\\n\\r\\n0\\r\\n\\r\\n|501|="
  "long-chunk-extension|${chunked}3;${long_extension}\\r\\nabc\\r\\n0\\r\\n\\r\\n|400|="
  "long-extension-later|${chunked}3\\r\\nabc\\r\\n3;${long_extension}\\r\\nabc\\r\\n0\\r\\n\\r\\n|400|="
  "chunk-size-not-hex|${chunked}zz\\r\\nabc\\r\\n0\\r\\n\\r\\n|400|="
  "chunk-longer-than-size|${chunked}3\\r\\nabcdef\\r\\n0\\r\\n\\r\\n|400|="
  "head-too-large|GET /index.asp HTTP/1.1\\r\\nHost: a\\r\\n${long_field}\\r\\n|431|="
  "chunks-past-limit|${chunked}80000\\r\\n{x*524288}\\r\\n80000\\r\\n{x*524288}\\r\\n1\\r\\nx\\r\\n0\\r\\n\\r\\n|413|="
  "huge-chunk-size|${chunked}ffffffffffffffff\\r\\nabc|413|="
  "long-trailer|${chunked}3\\r\\nabc\\r\\n0\\r\\n{X-T: t\\r\\n*500}\\r\\n|431|="
  "http-two|GET /index.asp HTTP/2.0\\r\\nHost: a\\r\\n\\r\\n|505|="
)
args=()
declare -A want
for row in "${rows[@]}"; do
  IFS='|' read -r name shape first later <<<"$row"
  args+=("$name" "$shape")
  want[$name first]=$first
  want[$name later]=200,$([ "$later" = = ] && echo "$first" || echo "$later")
  want[$name trickled]=${want[$name later]}
done
timeout 600 python3 "$work/framing.py" "$port" "${args[@]}" >"$work/framed"
check "every connection reported" "$(wc -l <"$work/framed")" $((3 * ${#rows[@]}))
while read -r name where statuses closed; do
  check "$name $where: one answer" "$statuses" "${want[$name $where]}"
  check "$name $where: closed" "$closed" closed
done <"$work/framed"

# ---- heads libmicrohttpd would read otherwise, served as they are meant --------------
# NAME|SHAPE|STATUSES|MARKS: STATUSES of the shape's answers (the request
# behind it answered 200 after them, an ordinary request's 200 before them
# when later), MARKS what the page read of the form and cookies ("-": none).
form="${post}Content-Type: application/x-www-form-urlencoded\\r\\n"
trailer_text=$(head -c 4000 /dev/zero | tr '\0' t)
served_rows=(
  "chunked-blank|${form}Transfer-Encoding: chunked \\r\\n\\r\\n7\\r\\nSend_A=\\r\\n3\\r\\none\\r\\n0\\r\\n\\r\\n|200|one|"
  "chunked-tab|${form}Transfer-Encoding: chunked\\t\\r\\n\\r\\n7\\r\\nSend_A=\\r\\n3\\r\\ntwo\\r\\n0\\r\\n\\r\\n|200|two|"
  "length-blank|${form}Content-Length: 10 \\r\\n\\r\\nSend_A=six|200|six|"
  "length-tab|${form}Content-Length:\\t10\\t\\r\\n\\r\\nSend_A=ten|200|ten|"
  "expect-get|GET /index.asp HTTP/1.1\\r\\nHost: a\\r\\nExpect: 100-continue\\r\\n\\r\\n|200|-"
  "expect-post|${form}Expect: 100-continue\\r\\nContent-Length: 10\\r\\n\\r\\nSend_A=hop|100,200|hop|"
  "bare-crs|\\r\\r\\nGET /index.asp HTTP/1.1\\r\\nHost: a\\r\\n\\r\\n\\r|200|-"
  "lone-quote|GET /form.asp HTTP/1.1\\r\\nHost: a\\r\\nCookie: a=\"\\r\\n\\r\\n|200|-"
  "quote-last|GET /form.asp HTTP/1.1\\r\\nHost: a\\r\\nCookie: Send_B=cake; c=\"\\r\\n\\r\\n|200|cake|"
  "trailer-within|${form}Transfer-Encoding: chunked\\r\\n\\r\\n9\\r\\nSend_A=ok\\r\\n0\\r\\n{X-T: t\\r\\n*90}\\r\\n|200|ok|"
  "long-trailer-within|${form}Transfer-Encoding: chunked\\r\\n\\r\\n9\\r\\nSend_A=up\\r\\n0\\r\\n{X-T: ${trailer_text}\\r\\n*3}\\r\\n|200|up|"
)
args=()
declare -A statuses_wanted marks_wanted
for row in "${served_rows[@]}"; do
  name=${row%%|*}
  rest=${row#*|}
  shape=${rest%%|*}
  rest=${rest#*|}
  first=${rest%%|*}
  args+=("$name" "$shape")
  statuses_wanted[$name first]=$first,200
  statuses_wanted[$name later]=200,$first,200
  statuses_wanted[$name trickled]=200,$first,200
  marks_wanted[$name]=${rest#*|}
done
timeout 600 python3 "$work/framing.py" --served "$port" "${args[@]}" >"$work/served"
check "every served connection reported" "$(wc -l <"$work/served")" $((3 * ${#served_rows[@]}))
while read -r name where statuses closed marks; do
  check "$name $where: each answered once" "$statuses" "${statuses_wanted[$name $where]}"
  check "$name $where: closed as asked" "$closed" closed
  check "$name $where: read" "$marks" "${marks_wanted[$name]}"
done <"$work/served"

# ---- kept-alive traffic as before: several requests, chunked forms -----------------
# Each request's options: curl's --next starts them afresh.
each=(-s --max-time 10 -w ' %{http_code} %{num_connects}\n')
form=("${each[@]}" -H 'Content-Type: application/x-www-form-urlencoded')
kept=$(curl "${each[@]}" "$base/index.asp" \
  --next "${form[@]}" -H 'Transfer-Encoding: chunked' --data-binary 'Send_A=first' "$base/form.asp" \
  --next "${form[@]}" --data-binary 'Send_A=second' "$base/form.asp" \
  --next "${each[@]}" "$base/style.css")
check "kept alive: every request on one connection" "$(grep -oE ' [0-9]{3} [0-9]+$' <<<"$kept" | tr '\n' ' ')" \
  " 200 1  200 0  200 0  200 0 "
body=$kept
has "a chunked form read" "first|"
has "a sized form after it" "second|"

# ---- requests sent together, whole or a few bytes at a time ----------------------
# pipelined.py PORT PIECE: sends five requests on one connection, in one
# write or PIECE bytes at a time, then reads the five answers; prints their
# statuses and the forms' bodies, in order.
cat >"$work/pipelined.py" <<'PY'
import re, socket, sys, time
port, piece = int(sys.argv[1]), int(sys.argv[2])
form = b"POST /form.asp HTTP/1.1\r\nHost: a\r\nContent-Type: application/x-www-form-urlencoded\r\n"
sent = (b"GET /index.asp HTTP/1.1\r\nHost: a\r\n\r\n"
        + form + b"Transfer-Encoding: chunked\r\n\r\n7;x=y\r\nSend_A=\r\n5\r\nfirst\r\n0\r\nX-T: t\r\n\r\n"
        + form + b"Content-Length: 13\r\n\r\nSend_A=second"
        + b"HEAD /style.css HTTP/1.1\r\nHost: a\r\n\r\n"
        + b"GET /style.css HTTP/1.1\r\nHost: a\r\n\r\n")
s = socket.create_connection(("127.0.0.1", port))
s.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
s.settimeout(10)
for at in range(0, len(sent), piece):
    s.sendall(sent[at:at + piece])
    if piece < len(sent):
        time.sleep(0.002)  # lets the pieces arrive apart
got, seen = b"", []
try:
    while len(seen) < 5:
        end = got.find(b"\r\n\r\n")
        if end < 0:
            more = s.recv(65536)
            if not more:
                break
            got += more
            continue
        head, got = got[:end].decode("latin-1"), got[end + 4:]
        status = head.split(" ")[1]
        size = int(re.search(r"(?im)^content-length: *(\d+)", head).group(1))
        if len(seen) == 3:
            size = 0  # the answer to HEAD
        while len(got) < size:
            more = s.recv(65536)
            if not more:
                break
            got += more
        body, got = got[:size], got[size:]
        words = re.findall(rb"(?:first|second)\|", body)
        seen.append(status + (":" + words[0].decode() if words else ""))
except (OSError, AttributeError):
    pass
print(" ".join(seen))
PY
for piece in 100000 7 1; do
  check "sent together in pieces of $piece: every answer, in order" \
    "$(timeout 120 python3 "$work/pipelined.py" "$port" "$piece")" \
    "200 200:first| 200:second| 200 200"
done

stop_server
check "nothing hidden behind a body served" "$(grep -c 'hidden-' "$work/access.log")" 0
check "every request behind a served shape logged" "$(grep -c 'after-' "$work/access.log")" \
  $((3 * ${#served_rows[@]}))
check "a refused head logged by its own line" "$(grep -c '"GET / HTTP/1.1"' "$work/access.log")" 0

finish framing
