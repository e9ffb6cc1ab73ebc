#!/usr/bin/env bash
# Integration test of the demo site on the real zorvadel-serve: starts it on
# a free loopback port over examples/site, walks every demo page as a phone
# and as a desktop browser with curl (keep-alive, a cookie jar for the
# session), and stops it. Every WML deck must be well-formed XML and the
# XHTML 1.0 Strict page valid against its DTD.
#
#   run_demo.sh PATH/TO/zorvadel-serve PATH/TO/examples/site
set -u
server=$1
site=$2
# shellcheck source=../serve/server_lib.sh
source "$(dirname "$0")/../serve/server_lib.sh"

for tool in curl xmllint; do
  command -v "$tool" >/dev/null || { echo "demo: $tool is missing (bash scripts/install-deps.sh)"; exit 1; }
done

start_server "$server" "$site" 4

well_formed() {  # NAME: the last body parses as XML
  local why
  why=$(xmllint --noout --nonet "$work/body" 2>&1)
  check "$1 is well-formed XML" "$why" ""
}

phone_accept='text/vnd.wap.wml, image/vnd.wap.wbmp, image/png, */*'
as_phone=(-A "$phone" -H "Accept: $phone_accept")
as_desktop=(-A "$desktop")
wml_type="text/vnd.wap.wml; Charset=utf-8"
html_type="text/html; Charset=utf-8"

# ---- the WML pages, as a phone sees them --------------------------------------------
# PATH and a fragment of its deck.
wml_pages=(
  "/|Welcome to the Zorvadel demo."
  "/index.asp|<a title=\"&#x786E;&#x5B9A;\" href=\"week.asp\">Week query</a>"
  "/week.asp|<go href=\"$base/week.asp?ToDo=ToAdd\" method=\"post\""
  "/call.asp|<go href=\"wtai://wp/mc;\$(CallPhoneNumber)\"/>"
  "/agent.asp|Terminal: Phone<br/>"
  "/visits.asp|Pages seen in this session:"
  "/news.asp|Records: 5<br/>"
)
for entry in "${wml_pages[@]}"; do
  path=${entry%%|*}
  fetch "$path" "${as_phone[@]}"
  check "phone $path status" "$status" 200
  check "phone $path type" "$(header Content-Type)" "$wml_type"
  has "phone $path deck" '<!DOCTYPE wml PUBLIC "-//WAPFORUM//DTD WML 1.1//EN"'
  has "phone $path fragment" "${entry#*|}"
  has "phone $path footer" "--></p></card></wml>"
  well_formed "phone $path"
done

fetch /index.asp "${as_phone[@]}"
has "home deck title passes the output filter" '<card id="FirstCard" title="Zorvadel &#x6F14;&#x793A;">'
has "home deck logo" '<img src="Images/logo.png" alt="Zorvadel" />'
for link in call.asp xhtml.asp strict.asp agent.asp visits.asp; do
  has "home deck links $link" "href=\"$link\""
done

fetch /agent.asp "${as_phone[@]}"
has "agent: the picture type the phone accepts" "Picture type for you: .png<br/>"
has "agent: WML for phones" "You get WML decks"
fetch /agent.asp -A 'Nokia<script>alert(1)</script> & co' -H "Accept: $phone_accept"
lacks "agent encodes the user agent" "<script>"
well_formed "agent with markup in the user agent"

# The week query's second step: the posted date and its week day.
fetch "/week.asp?ToDo=ToAdd" "${as_phone[@]}" --data 'Send_A=2024-1-1'
check "week answer type" "$(header Content-Type)" "$wml_type"
has "week answer date" "<br/>2024-1-1<br/>"
has "week answer day (Monday)" "&#x661F;&#x671F;&#x4E00;<br/>"
has "week answer back link keeps the port" "href=\"$base/week.asp\""
well_formed "week answer"
fetch /week.asp "${as_phone[@]}" -H 'Host: evil"><x'
lacks "markup in the Host header never reaches the deck" 'evil"'
well_formed "week with a strange Host header"

# The news list reads the demo's SQLite file through MdbDo, its records
# through MdbShow; the file itself is never served.
fetch /news.asp "${as_phone[@]}"
has "news list links a record" '3. <a title="&#x786E;&#x5B9A;" href="news.asp?Id=3">Records as links</a><br/>'
fetch "/news.asp?Id=2" "${as_phone[@]}"
has "news record title" '<b>&#x65B0;&#x95FB;: &#x624B;&#x673A;&#x7F51;&#x7AD9;</b><br/>'
well_formed "news record"
fetch "/news.asp?Id=4" "${as_phone[@]}"
has "news record mends a bare ampersand" 'a bare &amp; becomes &amp;.<br/>'
fetch "/news.asp?Id=1%20or%201=1" "${as_phone[@]}"
has "news record wants a number" "No such record.<br/>"
fetch "/MyDatabase/%23Zorvadel.mdb"
check "the database file is not served" "$status" 404

# ---- the same pages on a desktop browser: HTML ----------------------------------------
for entry in "${wml_pages[@]}"; do
  path=${entry%%|*}
  fetch "$path" "${as_desktop[@]}"
  check "desktop $path status" "$status" 200
  check "desktop $path type" "$(header Content-Type)" "$html_type"
  check "desktop $path opens HTML" "${body:0:12}" "<html><head>"
  has "desktop $path closes HTML" "</body></html>"
  lacks "desktop $path has no deck" "<wml>"
done
fetch /index.asp "${as_desktop[@]}"
has "desktop home links" '<a title="Week query" href="week.asp">Week query</a>'
has "desktop home style sheet" '<link href="style.css" rel="stylesheet" type="text/css">'
has "desktop home terminal" "Terminal: Web<br/>"
fetch /agent.asp "${as_desktop[@]}"
has "agent: HTML for desktop browsers" "You get HTML pages"
fetch /week.asp "${as_desktop[@]}"
has "desktop week form" "<form name=\"FirstForm\" method=\"post\" action=\"$base/week.asp?ToDo=ToAdd\">"
has "desktop week submit" '<input type="submit"'
fetch /call.asp "${as_desktop[@]}"
has "desktop call form" "<form name=\"FirstForm\" method=\"post\" action=\"$base/call.asp\">"
has "desktop call link" '<a title="&#x547C;&#x53EB;&#x7535;&#x8BDD;" href="wtai://wp/mc;$(CallPhoneNumber)">'

# ---- the XHTML pages: one frame for every terminal ----------------------------------------
for ua in "$phone" "$desktop"; do
  fetch /xhtml.asp -A "$ua"
  check "xhtml.asp status" "$status" 200
  check "xhtml.asp type" "$(header Content-Type)" "$html_type"
  has "xhtml.asp doctype" '<!DOCTYPE html PUBLIC "-//WAPFORUM//DTD XHTML Mobile 1.0//EN"'
  has "xhtml.asp UBB paragraph" '<p id="intro" style="text-align:left"><b>XHTML Mobile Profile</b> from a JSON page script.</p>'
  has "xhtml.asp UBB division" '<div id="steps" class="note">'
  has "xhtml.asp line break" '<br/>The UBB codes become markup.'
  has "xhtml.asp footer" "</div></body></html>"
  well_formed "xhtml.asp"

  fetch /strict.asp -A "$ua"
  check "strict.asp status" "$status" 200
  check "strict.asp type" "$(header Content-Type)" "$html_type"
  has "strict.asp doctype" '<!DOCTYPE html PUBLIC "-//W3C//DTD XHTML 1.0 Strict//EN"'
  has "strict.asp viewport" '<meta name="viewport"'
  has "strict.asp UBB" '<b>XHTML 1.0 Strict</b> for <i>third-generation</i>'
  has "strict.asp UbbXML" '<small>Written by a C++ page of the demo site.</small>'
  # The DTD comes from the local catalog (w3c-sgml-lib), never the network.
  why=$(xmllint --noout --nonet --valid "$work/body" 2>&1)
  check "strict.asp is valid XHTML 1.0 Strict" "$why" ""
done

# ---- the session: the visit trail grows while the cookie comes back ------------------------
jar=$work/jar
# The cookie's form and its one-time setting are the server's own test.
fetch /index.asp "${as_phone[@]}" -b "$jar" -c "$jar"
fetch /week.asp "${as_phone[@]}" -b "$jar" -c "$jar"
fetch /visits.asp "${as_phone[@]}" -b "$jar" -c "$jar"
check "visit trail in order" "$(grep -o '[a-z]*\.asp\[' <<<"$body" | tr '\n' ' ')" \
  "index.asp[ week.asp[ visits.asp[ "
well_formed "visits with a trail"
fetch /visits.asp "${as_desktop[@]}" -b "$jar" -c "$jar"
check "the session outlives a change of browser" "$(grep -o '[a-z]*\.asp\[' <<<"$body" | wc -l)" 4
fetch /visits.asp "${as_phone[@]}"
check "a new visitor's trail" "$(grep -o '[a-z]*\.asp\[' <<<"$body" | tr '\n' ' ')" "visits.asp[ "

# ---- the redirect ------------------------------------------------------------------------------
fetch /go.asp "${as_phone[@]}"
check "go.asp status" "$status" 302
check "go.asp location" "$(header Location)" "index.asp"
check "go.asp body" "$body" ""
fetch /go.asp "${as_phone[@]}" -L
check "go.asp followed" "$status $(grep -i '^Content-Type:' "$work/head" | tail -1 | tr -d '\r')" \
  "200 Content-Type: $wml_type"
has "go.asp lands on the home deck" "Welcome to the Zorvadel demo."

# ---- keep-alive: a phone's walk on one connection -----------------------------------------------
walk=$(curl -s --max-time 10 "${as_phone[@]}" -b "$work/walk" -c "$work/walk" \
  -w '%{num_connects} %{http_code}\n' \
  -o /dev/null "$base/index.asp" -o /dev/null "$base/week.asp" \
  -o /dev/null "$base/Images/logo.png" -o /dev/null "$base/go.asp" \
  -o /dev/null "$base/visits.asp" | tr '\n' ' ')
check "keep-alive walk" "$walk" "1 200 0 200 0 200 0 302 0 200 "

# ---- static files ---------------------------------------------------------------------------------
fetch /style.css
check "style sheet" "$status $(header Content-Type)" "200 text/css"
fetch /Images/logo.png
check "logo" "$status $(header Content-Type)" "200 image/png"
cmp -s "$work/body" "$site/Images/logo.png"; check "logo bytes" "$?" 0
for path in /nothing.asp /xhtml.json /go.json; do
  fetch "$path"
  check "not served: $path" "$status" 404
done

# ---- clean shutdown --------------------------------------------------------------------------------
stop_server
finish demo
