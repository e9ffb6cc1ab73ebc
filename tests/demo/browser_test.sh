#!/usr/bin/env bash
# The demo's XHTML pages in a real browser: starts zorvadel-serve on a free
# loopback port over examples/site, has headless Chromium load the pages
# (a fresh profile in a temporary folder, nothing fetched but our pages) and
# checks the text of the DOM it built. A browser that is missing or cannot
# start fails the test: it never passes by skipping.
#
#   browser_test.sh PATH/TO/zorvadel-serve PATH/TO/examples/site
set -u
server=$1
site=$2
# shellcheck source=../serve/server_lib.sh
source "$(dirname "$0")/../serve/server_lib.sh"

browser=
for name in chromium chromium-browser; do
  if command -v "$name" >/dev/null; then browser=$(command -v "$name"); break; fi
done
if [ -z "$browser" ]; then
  echo "browser: FAIL no chromium found; install it with: bash scripts/install-deps.sh"
  exit 1
fi

start_server "$server" "$site" 2

# render PATH: the DOM Chromium built for the page, in $body. A browser that
# exits badly or prints no DOM ends the test at once, with its messages.
render() {
  local profile
  profile=$(mktemp -d "$work/profile.XXXXXX")
  timeout 60 "$browser" --headless --no-sandbox --disable-gpu --disable-background-networking \
    --disable-component-update --disable-sync --no-first-run --disable-quic \
    --disable-dev-shm-usage --user-data-dir="$profile" --user-agent="$desktop" \
    --dump-dom "$base$1" >"$work/dom" 2>"$work/browser.err"
  local rc=$?
  body=$(cat "$work/dom")
  if [ "$rc" -ne 0 ] || [ -z "$body" ]; then
    echo "browser: FAIL chromium could not render $1 (exit status $rc)"
    tail -20 "$work/browser.err"
    exit 1
  fi
}

render /strict.asp
has "strict: title" "<title>Zorvadel XHTML 1.0 Strict</title>"
has "strict: UBB division" '<div id="ubb" class="note">UBB codes such as <strong>strong</strong>'
has "strict: text after the UBB line break" "<br>become XHTML markup.</div>"
has "strict: home link" 'href="index.asp">Home</a>'

render /xhtml.asp
has "xhtml: title" "<title>Zorvadel XHTML Mobile Profile</title>"
has "xhtml: division" '<div id="steps" class="note">Each step calls a member by name'

# The home deck turns into HTML for the browser; its character references
# arrive as the characters they name.
render /index.asp
has "home: HTML for the browser" "<title>Zorvadel 演示</title>"
has "home: greeting" "欢迎! Welcome to the Zorvadel demo."
has "home: terminal" "Terminal: Web"

finish browser
