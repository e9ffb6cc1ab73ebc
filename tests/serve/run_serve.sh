#!/usr/bin/env bash
# Integration test of zorvadel-serve: starts it on a free loopback port over
# a copy of tests/serve/site (plus symbolic links that point out of the
# folder), asks for pages, files and errors with curl, and stops it.
#
#   run_serve.sh PATH/TO/zorvadel-serve-testing
set -u
server=$1
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=server_lib.sh
source "$here/server_lib.sh"
site=$work/site
cp -a "$here/site" "$site"
printf 'secret\n' > "$work/secret.txt"
ln -s "$work/secret.txt" "$site/leak.txt"
ln -s /etc "$site/etc"
echo 'int main() {}' > "$site/page.cc"  # a page's source lies beside it
: >"$site/empty.txt"  # a database not yet written, say
sqlite3 "$site/data.xml" "CREATE TABLE T (n INTEGER);"  # a database by another name
# Text that becomes a database under the same name once it has been served:
# written over in place (as long as the database), and replaced by one.
head -c "$(stat -c %s "$site/data.xml")" /dev/zero | tr '\0' a >"$site/overwritten.txt"
printf 'text\n' >"$site/replaced.txt"
written=$(date +%s%N)
printf '{"requst": {"url": "/a.asp"}, "steps": [{"echo": "a"}]}' >"$site/typo.json"
printf '{"steps": [{"create": "w", "progid": "Zorvadel.WAP"}, {"call": "w.A", "args": [1, 2, 3, 4, 5]}]}' \
  >"$site/args.json"

start_server "$server" "$site" 4

# ---- pages see the request as a page script would --------------------------------
fetch /wap.asp -A "$phone"
check "phone page" "$status $(header Content-Type)" "200 text/vnd.wap.wml; Charset=utf-8"
check "phone page body" "$body" "新闻|Zorvadel.WAP(2.8.3)|$phone|wap.asp|http://127.0.0.1:$port/wap.asp?"
fetch "/wap.asp?id=7" -A "$desktop"
check "desktop page body" "$body" "新闻|Zorvadel.WAP(2.8.3)|$desktop|wap.asp|http://127.0.0.1:$port/wap.asp?id=7"
# The raw query reaches the page undecoded: %26 stays inside its value.
fetch "/query.asp?q=%E4%B8%AD+x&a=1%262" -H 'X-Up-Calling-Line-Id: 13800138000'
check "query page" "$body" \
  "中 x|1&2|q=%E4%B8%AD+x&a=1%262|/query.asp|GET|127.0.0.1|127.0.0.1|127.0.0.1|13800138000|a+b%2F%E4%B8%AD"
fetch "/form.asp?ToDo=SendMail" --data 'Send_A=x+y&Send_B=%E4%B8%AD'
check "posted form" "$body" "x y|中|SendMail|POST|"
fetch "/form.asp" --data-binary 'Send_A=1' -H 'Content-Type: text/plain'
check "body of another type is no form" "$body" "|||POST|"
fetch "/cpp/hello.asp?name=Bo"
check "C++ page" "$body $(header Content-Type)" \
  "hello Bo from Zorvadel.WAP(2.8.3) text/plain; Charset=GB2312"
fetch /; check "default page" "$body" "home /index.asp"
fetch /end.asp
check "Response.End keeps what was written, Expires 0" \
  "$body $(header Expires) $(header Cache-Control) [$(header Set-Cookie)]" "kept 0 no-cache []"
fetch /redirect.asp
check "redirect" "$status $(header Location) [$body]" "302 wap.asp?from=redirect []"
# The body of the phone page above, its own address with the port in it.
fetch /wap.asp -I; check "HEAD" "$status $(header Content-Length)" "200 $((73 + ${#port}))"

# ---- sessions --------------------------------------------------------------------
jar=$work/jar
fetch /cpp/counter.asp -b "$jar" -c "$jar"
check "session cookie" "$body $(header Set-Cookie | sed 's/=[0-9a-f]\{32\};/=ID;/')" \
  "count 1 ZORVADELSESSION=ID; Path=/; HttpOnly"
fetch /cpp/counter.asp -b "$jar" -c "$jar"
check "the cookie comes back, no new one" "$body [$(header Set-Cookie)]" "count 2 []"
fetch /cpp/counter.asp; check "counter without the cookie" "$body" "count 1"
fetch /cpp/counter.asp -H 'Cookie: ZORVADELSESSION=00000000000000000000000000000000'
check "counter with an unknown id" "$body" "count 1"
for visits in 1 2; do
  fetch /trail.asp -b "$jar" -c "$jar"
  check "visit trail grows in the session" "$(grep -o 'trail.asp\[' <<<"$body" | wc -l)" $visits
done

# The pages of one session run one after another, so that none of 64 at
# once loses its entry in the visit trail.
fetch /trail.asp -c "$work/jar64"
urls=(); for _ in $(seq 64); do urls+=(-o /dev/null "$base/trail.asp"); done
curl -s --max-time 60 --parallel --parallel-immediate --parallel-max 64 -b "$work/jar64" \
  "${urls[@]}"
fetch /trail.asp -b "$work/jar64"
check "64 pages at once on one cookie keep their trail entries" \
  "$(grep -o 'trail.asp\[' <<<"$body" | wc -l)" 66

# ---- keep-alive: several requests on one connection -------------------------------
connects=$(curl -s --max-time 10 -A "$phone" -w '%{num_connects} %{http_code}\n' \
  -o /dev/null "$base/wap.asp" -o /dev/null "$base/style.css" \
  -o /dev/null "$base/nothing.asp" -o /dev/null "$base/cpp/counter.asp" | tr '\n' ' ')
check "keep-alive GET" "$connects" "1 200 0 200 0 404 0 200 "
connects=$(curl -s --max-time 10 -d 'Send_A=1' -w '%{num_connects} ' \
  -o /dev/null "$base/form.asp" -o /dev/null "$base/form.asp")
check "keep-alive POST" "$connects" "1 0 "

# ---- static files ------------------------------------------------------------------
fetch /style.css
check "style sheet" "$status $(header Content-Type) $body" "200 text/css body { color: #333; }"
fetch /img/dot.gif
cmp -s "$work/body" "$here/site/img/dot.gif"; same=$?
check "image" "$(header Content-Type) $same" "image/gif 0"
# A folder's redirect names a path: one leading slash, however many came,
# since "//news/" in a Location is the host "news".
for row in "/news|/news/" "/news?x=1|/news/?x=1" "//news?x=1|/news/?x=1" "///img|/img/"; do
  fetch "${row%%|*}" --path-as-is
  check "folder redirect ${row%%|*}" "$status $(header Location)" "301 ${row#*|}"
done
fetch /news/; check "folder default file" "$status $body" "200 <html><body>news</body></html>"

# ---- what is not served, and errors --------------------------------------------------
head -c 1100000 /dev/zero | tr '\0' 'a' >"$work/big"
# PATH, CURL ARGS, then the status.
refused_rows=(
  "/nothing.asp|404" "/nothing.css|404" "/wap.json|404" "/page.cc|404" "/.hidden|404"
  "/leak.txt|404" "/etc/passwd|404" "/%2e%2e/secret.txt|404" "/img/..%2f..%2fsecret.txt|404"
  "/news/%2E%2E/wap.json|404" "/../../../../etc/passwd|--path-as-is|404"
  "/style.css|--data|a=1|405" "/form.asp|--data-binary|@$work/big|413"
  "/form.asp|--data-binary|@$work/big|-H|Transfer-Encoding: chunked|413"
  "/form.asp|--data-binary|Send_A=1|-H|Content-Length: 12abc|400"
  "/broken.asp|500" "/cpp/broken.asp|500" "/malformed.asp|500" "/wap.asp|200"
  "/typo.asp|500" "/args.asp|500" "/data.xml|404" "/empty.txt|200"
)
for row in "${refused_rows[@]}"; do
  IFS='|' read -r -a cells <<<"$row"
  n=${#cells[@]}
  fetch "${cells[0]}" "${cells[@]:1:n-2}"
  check "$row" "$status" "${cells[n - 1]}"
done
fetch /wap.asp -X PUT; check "method not allowed" "$status $(header Allow)" "405 GET, HEAD, POST"
# Served twice once a few seconds old, as a file that has settled is
# remembered to be no database; then made one.
sleep "$(awk -v n="$(( $(date +%s%N) - written ))" 'BEGIN { s = 3.3 - n / 1e9; print (s > 0 ? s : 0) }')"
for name in overwritten replaced; do
  fetch "/$name.txt"; fetch "/$name.txt"; check "$name.txt, text" "$status" 200
done
cat "$site/data.xml" 1<>"$site/overwritten.txt"
cp "$site/data.xml" "$work/replacement" && mv "$work/replacement" "$site/replaced.txt"
for name in overwritten replaced; do
  fetch "/$name.txt"; check "$name.txt, a database now" "$status" 404
done
# logged LINE: the server's error output holds the line once.
logged() { check "logged: $1" "$(grep -cxF -- "$1" "$server_err")" 1; }
logged "zorvadel-serve-testing: /broken.asp: error 5: Invalid procedure call or argument (step 2)"
logged "zorvadel-serve-testing: /typo.asp: malformed page script: unknown key \"requst\" (a script holds \"steps\", \"request\", \"session\" and \"root\")"
logged "zorvadel-serve-testing: /args.asp: error 450: Wrong number of arguments or invalid property assignment: 'w.A' (step 2)"
stop_server

# ---- a page script the server cannot read --------------------------------------------
# Root reads it all the same unless it gives up its power to override file
# modes; the server then runs as a user that may not.
printf '#!/bin/sh\nexec %s "$@"\n' \
  "$([ "$(id -u)" -eq 0 ] && echo 'setpriv --bounding-set -dac_override,-dac_read_search') $server" \
  >"$work/unprivileged"
chmod +x "$work/unprivileged"
chmod 000 "$site/wap.json"
start_server "$work/unprivileged" "$site" 1
fetch /wap.asp; check "unreadable page script" "$status" 500
logged "zorvadel-serve-testing: /wap.asp: cannot read the page script: Permission denied"
stop_server
chmod 644 "$site/wap.json"
finish serve
