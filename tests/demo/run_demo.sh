#!/usr/bin/env bash
# Integration test of the demo site on the real zorvadel-serve: starts it on
# a free loopback port over examples/site, walks every demo page as a phone
# and as a desktop browser with curl (a cookie jar for the session), and
# stops it. Every WML deck must be well-formed XML and the
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

# The mail page sends to a loopback SMTP sink (tests/mail/smtp_sink.py), which
# ends when this script does and its standard input closes.
: >"$work/sink"
exec {sink_in}> >(exec /usr/bin/python3 "$(dirname "$0")/../mail/smtp_sink.py" \
  --spool "$work/mail" --refuse nobody@example.org --exit-on-eof >"$work/sink")
sink=$!
started "$sink"
deadline=$((SECONDS + 60))
until sink_port=$(sed -n 's/^ports \([0-9]*\) .*/\1/p' "$work/sink"); [ -n "$sink_port" ]; do
  if ! kill -0 "$sink" 2>/dev/null || [ "$SECONDS" -ge "$deadline" ]; then
    echo "demo: the SMTP sink did not start"; exit 1
  fi
  sleep 0.1
done
ZORVADEL_DEMO_SMTP=127.0.0.1:$sink_port export ZORVADEL_DEMO_SMTP

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
  "/sites.asp|&#x603B;&#x6570;:5;1/3<br/>&#x7AD9;&#x540D;:Example News<br/>"
  "/view.asp?Id=2|<b>&#x65B0;&#x95FB;: &#x624B;&#x673A;&#x7F51;&#x7AD9;</b><br/>"
)
for entry in "${wml_pages[@]}"; do
  path=${entry%%|*}
  fetch "$path" "${as_phone[@]}"
  check "phone $path" "$status $(header Content-Type)" "200 $wml_type"
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
# A Host that is no plain name gives way to the server's address and port.
fetch "/list.asp?Page=2" "${as_phone[@]}" -H 'Host: a b/c'
has "list bar on the server's own address" "href=\"$base/list.asp?Page=1\">[1]</a>"

# The news list reads the demo's SQLite file through MdbDo, its records
# through MdbShow; the file itself is never served.
fetch /news.asp "${as_phone[@]}"
has "news list links a record" '3. <a title="&#x786E;&#x5B9A;" href="news.asp?Id=3">Records as links</a><br/>'
fetch "/news.asp?Id=2" "${as_phone[@]}"
has "news record title" '<b>&#x65B0;&#x95FB;: &#x624B;&#x673A;&#x7F51;&#x7AD9;</b><br/>'
well_formed "news record"
# Each read is counted while the count read before it is still open.
reads=$(sed -n 's/.*Reads: \([0-9]*\)<br\/>.*/\1/p' <<<"$body")
fetch "/news.asp?Id=2" "${as_phone[@]}"
has "news record counts each read" "Reads: $((${reads:-0} + 1))<br/>"
fetch "/news.asp?Id=4" "${as_phone[@]}"
has "news record mends a bare ampersand" 'a bare &amp; becomes &amp;.<br/>'
fetch "/news.asp?Id=1%20or%201=1" "${as_phone[@]}"
has "news record wants a number" "No such record.<br/>"
# The same records two to a page, with the numbered bar (and, on a phone,
# the page-jump line).
fetch "/list.asp?Page=2" "${as_phone[@]}"
has "list page 2 links record 3" '3.<a title="&#x786E;&#x5B9A;" href="news.asp?Id=3&amp;ListId=3&amp;MyPage=2">'
has "list bar and jump line" '<a title="&#x786E;&#x5B9A;" href="'"$base"'/list.asp?Page=1">[1]</a> <br/>&#x8DF3;&#x5230;<input'
# Titles hold "&nbsp;", which the WML DTD declares and xmllint without it
# reports; only a parse failure counts.
xmllint --noout --nonet "$work/body" 2>/dev/null; check "list page parses" "$?" "0"
fetch "/list.asp?Page=9" "${as_desktop[@]}"
has "list past the end shows the last page" '&#x603B;&#x6570;:5;3/3<br/>5.<a title="The&nbsp;last&nbsp;record"'
# The site directory (MdbSiteList) pages on; the record view (MdbMultiShow).
fetch /sites.asp "${as_phone[@]}"
has "sites: the next page" "href=\"$base/sites.asp?Page=2\">&#x4E0B;&#x4E00;&#x9875;</a>"
fetch "/view.asp?Id=1%20or%201=1" "${as_phone[@]}"
lacks "view wants a number" "<b>"
fetch "/MyDatabase/%23Zorvadel.mdb"
check "the database file is not served" "$status" 404

# The photo page makes its thumbnails on the first view and counts the visit.
fetch /photos.asp "${as_phone[@]}"
has "photos thumbnail" '<a title="Photos/tide.jpg" href="Photos/tide.jpg"><img src="Photos/tide_small.jpg" alt="Tide" /></a><br/>'
has "photos visit count" "Visitors counted: "
well_formed "photos"
fetch /Photos/cliffs/cliff_small.jpg
check "photos thumbnail served" "$status $(header Content-Type)" "200 image/jpeg"

# ---- the same pages on a desktop browser: HTML ----------------------------------------
for entry in "${wml_pages[@]}"; do
  path=${entry%%|*}
  fetch "$path" "${as_desktop[@]}"
  check "desktop $path" "$status $(header Content-Type)" "200 $html_type"
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
  check "xhtml.asp" "$status $(header Content-Type)" "200 $html_type"
  has "xhtml.asp doctype" '<!DOCTYPE html PUBLIC "-//WAPFORUM//DTD XHTML Mobile 1.0//EN"'
  has "xhtml.asp UBB paragraph" '<p id="intro" style="text-align:left"><b>XHTML Mobile Profile</b> from a JSON page script.</p>'
  has "xhtml.asp footer" "</div></body></html>"
  well_formed "xhtml.asp"

  fetch /strict.asp -A "$ua"
  check "strict.asp" "$status $(header Content-Type)" "200 $html_type"
  has "strict.asp doctype" '<!DOCTYPE html PUBLIC "-//W3C//DTD XHTML 1.0 Strict//EN"'
  has "strict.asp UBB" '<b>XHTML 1.0 Strict</b> for <i>third-generation</i>'
  # The DTD comes from the local catalog (w3c-sgml-lib), never the network.
  why=$(xmllint --noout --nonet --valid "$work/body" 2>&1)
  check "strict.asp is valid XHTML 1.0 Strict" "$why" ""
done

# ---- the long-text pagers: every page of the article is a whole document -----------------
for path in /easy.asp "/easy.asp?toshow=down&mystart=1201" /more.asp "/more.asp?MyStart=601"; do
  fetch "$path" "${as_phone[@]}"
  check "pager $path type" "$(header Content-Type)" "$wml_type"
  well_formed "pager $path"
  fetch "$path" "${as_desktop[@]}"
  check "pager $path on a desktop" "${body:0:12}" "<html><head>"
done
fetch "/more.asp?MyStart=601" "${as_phone[@]}"
has "more: count line" "&#x5171;5&#x9875; &#x7B2C;3&#x9875;<br/>"
has "more: picture before a row" "<img src=\"Images/next.png\" alt=\"\" />"
for path in /auto.asp "/auto.asp?MyStart=401&TextLong=9999" "/jump.asp?MyStart=801" /arrows.asp?MyStart=401; do
  fetch "$path" "${as_phone[@]}"
  well_formed "pager $path"
done
has "arrows: previous label escaped" "href=\"$base/arrows.asp?MyStart=1\">&lt;&lt;&#x4E0A;&#x9875;</a>"
fetch /jump.asp "${as_phone[@]}" --data 'GoPage=3'
check "jump form redirects" "$status $(header Location)" "302 $base/jump.asp?MyStart=801"

# ---- the session: the visit trail grows while the cookie comes back ------------------------
# The cookie's form, its one-time setting and new visitors are the server's own test.
jar=$work/jar
fetch /index.asp "${as_phone[@]}" -b "$jar" -c "$jar"
fetch /week.asp "${as_phone[@]}" -b "$jar" -c "$jar"
fetch /visits.asp "${as_phone[@]}" -b "$jar" -c "$jar"
check "visit trail in order" "$(grep -o '[a-z]*\.asp\[' <<<"$body" | tr '\n' ' ')" \
  "index.asp[ week.asp[ visits.asp[ "
well_formed "visits with a trail"

# ---- the mail form: validation, a send to the sink, a refused one -----------------------------
fetch /mail.asp "${as_phone[@]}"
has "mail form fields" '<input type="text" name="Send_C" value="@example.org" title="Address" />'
has "mail form task" "<go href=\"$base/mail.asp?ToDo=SendMail\" method=\"post\" accept-charset=\"utf-8\">"
well_formed "mail form"
mail_form='Send_A=Ann&Send_B=ann%40example.net&Send_D=Hi+%E4%BD%A0%E5%A5%BD&Send_E=Hello'
fetch "/mail.asp?ToDo=SendMail" "${as_phone[@]}" --data "$mail_form&Send_C="
has "mail form asks for the recipient" "Please enter each other's mail.<br/>Send A Mail<br/>"
well_formed "mail form with its message"
fetch "/mail.asp?ToDo=SendMail" "${as_phone[@]}" --data "$mail_form&Send_C=Bob%40Example.org"
check "mail sent: redirect" "$status $(header Location)" "302 mail.asp?ToDo=SendMailOk"
# The recipient shows twice, in the envelope and in the To header.
check "mail reached the sink" "$(grep -h -o -e '"Subject": "[^"]*"' -e '"bob@example.org"' \
  "$work"/mail/*.json | tr '\n' ' ')" '"bob@example.org" "bob@example.org" "Subject": "Hi 你好" '
fetch "/mail.asp?ToDo=SendMail" "${as_phone[@]}" --data "$mail_form&Send_C=nobody%40example.org"
check "refused recipient: no redirect" "$status" 200
has "refused recipient: the failure message" "E-mail failed, please try again.<br/>"
fetch "/mail.asp?ToDo=SendMailOk" "${as_phone[@]}"
has "mail sent note" "Your mail is on its way.<br/>Send A Mail<br/>"
fetch /mail.asp "${as_desktop[@]}"
has "desktop mail form" "<form name=\"FirstForm\" method=\"post\" action=\"$base/mail.asp\">"
has "desktop mail form carries ToDo" '<input name="ToDo" type="hidden" Id="ToDo" value="SendMail"><br/>'

# ---- the redirect ------------------------------------------------------------------------------
fetch /go.asp "${as_phone[@]}"
check "go.asp" "$status $(header Location)" "302 index.asp"

# ---- static files: what is not served is the server's own test -----------------------------------
fetch /style.css
check "style sheet" "$status $(header Content-Type)" "200 text/css"
fetch /Images/logo.png
check "logo" "$status $(header Content-Type)" "200 image/png"

# ---- clean shutdown --------------------------------------------------------------------------------
stop_server
finish demo
