#!/usr/bin/env bash
# The page's own address as served, under the Host headers a client may
# send: its links and the Location of a redirect name the Host when it is
# a plain name with a port a client can use, else the address and port the
# request came in on; HTTP_HOST stays the header as sent.
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
           {"write": "w.ThisFileName"}]}
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
  check "$header: HTTP_HOST and links" "$status $body" "200 $sent|$address/news/own.asp"
  fetch /news/home.asp -H "$header"
  check "$header: Location" "$status $(header Location)" "302 $address/"
done

stop_server
finish run_host
