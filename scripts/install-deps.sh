#!/usr/bin/env bash
# Installs the Debian packages that building, testing and serving need.
# Idempotent: when everything is there already it changes nothing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev
  libssl-dev libopencc-dev libcurl4-openssl-dev
  libpcre2-dev
  libmicrohttpd-dev curl
  libxml2-utils w3c-sgml-lib
  chromium  # tests/demo/browser_test.sh renders the demo pages headless
  python3-aiosmtpd openssl  # the SMTP sink of tests/mail/ and its STARTTLS certificate
  libwbxml2-utils  # xml2wbxml: the pagers' WML decks must compile
  # Data access: SQLite files, the ODBC driver manager and the drivers the
  # tests reach through it; a private MariaDB server for the MySQL kind.
  libsqlite3-dev unixodbc unixodbc-dev libsqliteodbc odbc-mariadb odbc-mdbtools
  mariadb-server
  # Thumbnails: the image component over libvips; vipsthumbnail is the
  # benchmark's peer.
  libvips-dev libvips-tools
)
# Only for bench/serve_load.sh, which asks for them with --bench.
bench_packages=(wrk nginx-light)
if [ "${1:-}" = "--bench" ]; then packages=("${bench_packages[@]}"); fi

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
