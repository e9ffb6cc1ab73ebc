#!/usr/bin/env bash
# Installs the Debian packages that building, testing and serving need.
# Idempotent: when everything is there already it changes nothing.
#
#   install-deps.sh          everything `make test` needs
#   install-deps.sh --serve  only what building and serving need (`make serve`)
#   install-deps.sh --bench  the load benchmark's wrk and nginx
#   install-deps.sh --fuzz   clang and its libFuzzer (`make fuzz`)
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev
  libssl-dev libopencc-dev libcurl4-openssl-dev
  libpcre2-dev
  libmicrohttpd-dev curl
  libtcmalloc-minimal4  # zorvadel-serve's allocator (CMakeLists.txt)
  libxml2-utils w3c-sgml-lib
  chromium  # tests/demo/browser_test.sh renders the demo pages headless
  python3-aiosmtpd openssl  # the SMTP sink of tests/mail/ and its STARTTLS certificate
  libwbxml2-utils  # xml2wbxml: the pagers' WML decks must compile
  # Data access: SQLite files, the ODBC driver manager and the drivers the
  # tests reach through it; a private MariaDB server for the MySQL kind.
  libsqlite3-dev unixodbc unixodbc-dev libsqliteodbc odbc-mariadb odbc-mdbtools
  tdsodbc  # FreeTDS: the SQL Server kind against a server that never answers
  mariadb-server
  sqlite3  # the README's list example makes its database with the shell
  # Thumbnails: the image component over libvips; vipsthumbnail is the
  # benchmark's peer.
  libvips-dev libvips-tools
  nginx-light  # tests/serve/run_nodes.sh: two engines behind nginx
)
# Only for bench/serve_load.sh, which asks for them with --bench.
bench_packages=(wrk nginx-light)
# What the tests, the benchmarks and the tests' services need and serving
# does not: --serve leaves these out of the list above.
test_only_packages=(
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libssl-dev libopencc-dev curl libxml2-utils w3c-sgml-lib chromium
  python3-aiosmtpd openssl libwbxml2-utils
  libsqliteodbc odbc-mariadb tdsodbc mariadb-server libvips-tools nginx-light
)
case "${1:-}" in
  --bench) packages=("${bench_packages[@]}") ;;
  --fuzz) packages=(clang libclang-rt-14-dev) ;;
  --serve)
    kept=()
    for p in "${packages[@]}"; do
      [[ " ${test_only_packages[*]} " == *" $p "* ]] || kept+=("$p")
    done
    packages=("${kept[@]}")
    ;;
  "") ;;
  *) echo "usage: $0 [--serve | --bench | --fuzz]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then SUDO=(); else SUDO=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -q
"${SUDO[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
