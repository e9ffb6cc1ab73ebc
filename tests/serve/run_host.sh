#!/usr/bin/env bash
# The page's own address as served, under the Host headers a client may
# send: its links and the Location of a redirect name the Host when it is
# a plain name with a port a client can use, else the address and port the
# request came in on; HTTP_HOST stays the header as sent. Without a Host,
# an HTTP/1.0 request takes the address and port it came in on, also as its
# HTTP_HOST, and an HTTP/1.1 request gets 400. SERVER_PORT is the port the
# server listens on, whatever the Host says.
#
#   run_host.sh PATH/TO/zorvadel-serve-testing
set -u
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=server_lib.sh
source "$here/server_lib.sh"
site=$work/site
mkdir -p "$site/news"
cat >"$site/news/own.json" <<'JSON'
{"steps": [{"let": "Response.ContentType", "value": "text/plain"},
           {"create": "w", "progid": "Zorvadel.EnWAP"},
           {"write": "Request.ServerVariables", "args": ["HTTP_HOST"]}, {"echo": "|"},
           {"write": "w.ThisFileName"}, {"echo": "|"},
           {"write": "Request.ServerVariables", "args": ["SERVER_PORT"]}]}
JSON
cat >"$site/news/home.json" <<'JSON'
{"steps": [{"create": "w", "progid": "Zorvadel.EnWAP"}, {"call": "w.Redirect"}]}
JSON

start_server "$1" "$site" 2
own=http://127.0.0.1:$port

# HOST HEADER (a curl -H argument) | the page's own address
rows=(
  "Host: m.example.com:8080|m.example.com:8080|http://m.example.com:8080"
  "Host: m.example.com:080|m.example.com:080|http://m.example.com"
  "Host: m.example.com:08080|m.example.com:08080|http://m.example.com:8080"
  "Host;||$own"
  "Host:    ||$own"
  "Host: m.example.com:0|m.example.com:0|$own"
  "Host: m.example.com:99999|m.example.com:99999|$own"
  "Host: m.example.com:8o|m.example.com:8o|$own"
)
for row in "${rows[@]}"; do
  IFS='|' read -r header sent address <<<"$row"
  fetch /news/own.asp -H "$header"
  check "$header: HTTP_HOST, links, SERVER_PORT" "$status $body" \
    "200 $sent|$address/news/own.asp|$port"
  fetch /news/home.asp -H "$header"
  check "$header: Location" "$status $(header Location)" "302 $address/"
done
# "Host:" alone makes curl send none.
fetch /news/own.asp -0 -H "Host:"
check "HTTP/1.0 without a Host" "$status $body" "200 127.0.0.1:$port|$own/news/own.asp|$port"
fetch /news/own.asp -H "Host:"
check "HTTP/1.1 without a Host" "$status" 400

stop_server
finish run_host
