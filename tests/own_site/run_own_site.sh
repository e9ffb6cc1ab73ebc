#!/usr/bin/env bash
# A site of one's own, as the README tells a new user to make it, in a
# scratch home: installs the build into a scratch prefix, takes the README's
# C++ page, CMakeLists.txt and page scripts out of the README into the
# folders it names (the sources beside the site folder), builds the site
# binary with the README's own commands through find_package(Zorvadel), and
# again with pkg-config, serves the site folder as the README does and asks
# for its pages as a phone and as a desktop browser, and plays the page
# script with the installed zorvadel-run, the SQL-injection guard's switch
# included. Nothing of the build is served, and the server starts without a
# word on its error output.
#
#   run_own_site.sh BUILD_DIR SOURCE_DIR [ZORVADEL_SANITIZE]
set -u
build=$1
source_dir=$2
sanitize=${3:-OFF}
# shellcheck source=../serve/server_lib.sh
source "$source_dir/tests/serve/server_lib.sh"
prefix=$work/prefix
export HOME=$work/home
site=$HOME/mysite
sources=$HOME/mysite-src
mkdir -p "$site" "$sources"

step() {  # NAME COMMAND...: runs a build step; its output only on failure
  if ! "${@:2}" >"$work/step.log" 2>&1; then
    echo "own_site: $1 failed"; tail -30 "$work/step.log"; exit 1
  fi
}
# extract NAME: the fenced block that follows "<!-- own-site: NAME -->".
extract() {
  awk -v name="$1" '
    $0 == "<!-- own-site: " name " -->" { armed = 1; next }
    armed && /^```/ { if (inside) exit; inside = 1; next }
    inside { print }' "$source_dir/README.md"
}

step "install" cmake --install "$build" --prefix "$prefix"
for file in "$sources/news_page.cc" "$sources/CMakeLists.txt" "$site/today.json"; do
  extract "$(basename "$file")" >"$file"
  [ -s "$file" ] || { echo "own_site: the README has no $(basename "$file")"; exit 1; }
done
guard_step=$(extract "guard step")
build_recipe=$(extract build)
[ "$(echo "$build_recipe" | wc -l)" -eq 2 ] || { echo "own_site: the README has no build recipe"; exit 1; }
# The list example: its database made by the README's own command.
extract books.json >"$site/books.json"
extract books.sh >"$work/books.sh"
step "the list example's database" bash "$work/books.sh"
printf 'p { margin: 0; }\n' >"$site/style.css"
printf '{"steps": [{"echo": "my own index"}]}\n' >"$site/index.json"

# The installed libraries carry the sanitizers of the build they came from.
# The README's build line as it stands: CMake takes the prefix and the flags
# from the environment.
flags=()
[ "$sanitize" = ON ] && flags=(-fsanitize=address,undefined -fno-omit-frame-pointer)
step "build with CMake" env CMAKE_PREFIX_PATH="$prefix" CXXFLAGS="${flags[*]}" \
  LDFLAGS="${flags[*]}" bash -ec "$(echo "$build_recipe" | head -1)"
# shellcheck disable=SC2046
step "build with pkg-config" g++ -std=c++20 "${flags[@]}" "$sources/news_page.cc" -o "$work/mysite-pc" \
  $(PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --cflags --libs zorvadel-engine)
"$work/mysite-pc" --help >"$work/help"
check "pkg-config build: the page is in" "$(sed -n 5p "$work/help")" "binary (1 here)."

# ---- the site binary serves the C++ page, the page script and the files ---------------
# The README's start line: the binary, then the site folder after --root.
eval "set -- $(echo "$build_recipe" | tail -1)"
check "the start line names the site folder" "$2 $3" "--root $site"
start_server "$1" "$3" 2
check "nothing on the error output at start" "$(cat "$server_err")" ""
for path in /CMakeLists.txt /build/CMakeCache.txt /news_page.cc /books.db; do
  fetch "$path"; check "$path is not served" "$status" 404
done
phone_link='<a title="&#x786E;&#x5B9A;" href="list.asp?id=1">Today</a><br/>'
desktop_link='<a title="Today" href="list.asp?id=1">Today</a><br/>'
for path in /news.asp /today.asp; do
  fetch "$path" -A "$phone"
  xmllint --noout --nonet "$work/body" 2>/dev/null; well_formed=$?
  check "$path phone deck" "$(header Content-Type) $well_formed" "text/vnd.wap.wml; Charset=utf-8 0"
  has "$path phone card" '<card id="FirstCard" title="&#x65B0;&#x95FB;">'
  has "$path phone link" "$phone_link"
  # The script's request block names a phone: the server ignores it.
  fetch "$path" -A "$desktop"
  check "$path desktop" "$(header Content-Type) ${body:0:12}" \
    "text/html; Charset=utf-8 <html><head>"
  has "$path desktop link" "$desktop_link"
done
fetch /news.asp -A "$phone"
has "C++ page asks the terminal" "Terminal: Phone<br/>"
fetch "/today.asp?who=John+Smith" -A "$phone"
has "the guard is on" "SQL&#x6CE8;&#x5165;"
lacks "the guard ends the page" "$phone_link"
fetch /; check "index.json at /" "$body" "my own index"
fetch "/books.asp?Page=3" -A "$phone"
has "served list: the last page" 'href="book.asp?Id=5&amp;ListId=5&amp;MyPage=3">Five</a>'
fetch /style.css; check "static file" "$status $(header Content-Type)" "200 text/css"
stop_server

# ---- the installed player plays the README's script ------------------------------------------
run=$prefix/bin/zorvadel-run
body=$("$run" "$site/today.json")
check "played as a phone" "$?" 0
has "played phone link" "$phone_link"
sed "s|Nokia6600/1.0|$desktop|" "$site/today.json" >"$work/desktop.json"
body=$("$run" "$work/desktop.json")
has "played desktop link" "$desktop_link"
sed 's|/today.asp?Page=2|/today.asp?who=John+Smith|' "$site/today.json" >"$work/guarded.json"
body=$("$run" "$work/guarded.json")
has "played with the guard on" "SQL&#x6CE8;&#x5165;"
sed "/\"create\"/a\\    $guard_step," "$work/guarded.json" >"$work/unguarded.json"
body=$("$run" "$work/unguarded.json")
lacks "SQLInjData emptied: no warning" "SQL&#x6CE8;&#x5165;"
has "SQLInjData emptied: the page" "$phone_link"
body=$("$run" "$site/books.json")
check "played list" "$?" 0
has "played list: total and page" "Total:5;2/3<br/>"
has "played list: a record" '<a title="Enter" href="book.asp?Id=3&amp;ListId=3&amp;MyPage=2">Three</a>'
has "played list: the bar" 'href="http://localhost/books.asp?Page=3">Next Page</a>'

finish own_site
