#!/usr/bin/env bash
# The README's install recipe as it stands, in a scratch home: the Release
# build of the library and the engine, which must print no warning, the
# install under ~/.local, and the README's page built against it with
# pkg-config after the README's PKG_CONFIG_PATH, in the sources' folder
# beside the site folder, then started on the site folder: it says nothing
# on its error output and serves nothing of its sources; and the README's
# CMake build of the page, against the same install. Only the install into
# /usr/local is left out, as the test installs under its own home.
#
#   run_readme_install.sh SOURCE_DIR
set -u
source_dir=$1
# shellcheck source=../serve/server_lib.sh
source "$source_dir/tests/serve/server_lib.sh"

extract() {  # NAME: the fenced block that follows "<!-- own-site: NAME -->"
  awk -v name="$1" '
    $0 == "<!-- own-site: " name " -->" { armed = 1; next }
    armed && /^```/ { if (inside) exit; inside = 1; next }
    inside { print }' "$source_dir/README.md"
}

export HOME=$work/home
mkdir -p "$HOME/mysite" "$HOME/mysite-src"
# The recipe runs in the source folder; its build folder is this test's.
recipe=$(extract install | grep -v '^\(sudo \)\?cmake --install ' | sed "s|build-install|$work/build-install|g")
home_recipe=$(extract "install home" | sed "s|build-install|$work/build-install|g")
[ -n "$recipe" ] && [ -n "$home_recipe" ] || { echo "readme_install: the README has no install recipe"; exit 1; }

(cd "$source_dir" && bash -ec "$recipe") >"$work/build.log" 2>&1
built=$?
check "Release build" "$built" 0
[ "$built" -eq 0 ] || tail -30 "$work/build.log"
check "Release build prints no warning" "$(grep -c 'warning:' "$work/build.log")" 0
grep -A3 'warning:' "$work/build.log" | head -40

extract news_page.cc >"$HOME/mysite-src/news_page.cc"
# The home recipe's export must reach the pkg-config build that follows it.
# shellcheck disable=SC2016
(bash -ec "$home_recipe"'
  cd ~/mysite-src
  g++ -std=c++20 news_page.cc $(pkg-config --cflags --libs zorvadel-engine) -o mysite') \
  >"$work/site.log" 2>&1
built=$?
check "installed under ~/.local, the page built with pkg-config" "$built" 0
[ "$built" -eq 0 ] || tail -30 "$work/site.log"
"$HOME/mysite-src/mysite" --help >"$work/help" 2>&1
check "the site binary runs" "$?" 0

# The README's CMake build line as it stands finds the install under ~/.local
# with nothing set in the environment.
extract CMakeLists.txt >"$HOME/mysite-src/CMakeLists.txt"
(env -u CMAKE_PREFIX_PATH bash -ec "$(extract build | head -1)") >"$work/cmake-site.log" 2>&1
built=$?
check "installed under ~/.local, the page built with CMake" "$built" 0
[ "$built" -eq 0 ] || tail -30 "$work/cmake-site.log"
"$HOME/mysite-src/build/mysite" --help >/dev/null 2>&1
check "the CMake-built site binary runs" "$?" 0

start_server "$HOME/mysite-src/mysite" "$HOME/mysite" 1
check "nothing on the error output at start" "$(cat "$server_err")" ""
fetch /news.asp; check "the C++ page" "$status" 200
for path in /news_page.cc /mysite /mysite-src/news_page.cc; do
  fetch "$path"; check "$path is not served" "$status" 404
done
stop_server

finish readme_install
