#!/usr/bin/env bash
# Runs the MySQL-kind tests of the database test binary against a private
# MariaDB server: a fresh data folder in a temporary directory, the server on
# a Unix socket there (no network), a database "zorvadel" for the tests,
# and everything stopped and removed on exit. The tests get the server's
# process id too, to stop it (SIGSTOP) under an open connection.
#
#   run_mariadb.sh PATH/TO/test_database
set -u
binary=$1
for tool in mariadb-install-db mariadbd mariadb; do
  command -v "$tool" >/dev/null || { echo "mariadb: $tool is missing (bash scripts/install-deps.sh)"; exit 1; }
done

work=
pid=
# The server is stopped however the script ends: on exit, Ctrl-C or SIGTERM;
# one that does not end within 30 s of its SIGTERM is killed.
stop() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill -CONT "$pid"  # a test may have stopped it
    kill "$pid"
    for _ in $(seq 300); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  fi
  [ -z "$work" ] || rm -rf "$work"
}
trap stop EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM
work=$(mktemp -d)

# mariadbd refuses to run as root unless told to.
user=$(id -un)
if ! timeout 120 mariadb-install-db --no-defaults --user="$user" --datadir="$work/data" \
     --auth-root-authentication-method=normal --skip-test-db --skip-name-resolve \
     >"$work/install.log" 2>&1; then
  cat "$work/install.log"
  exit 1
fi
socket=$work/mysqld.sock
mariadbd --no-defaults --user="$user" --datadir="$work/data" --socket="$socket" \
  --skip-networking --pid-file="$work/mysqld.pid" --log-error="$work/error.log" \
  --innodb-buffer-pool-size=16M --innodb-log-file-size=8M &
pid=$!
deadline=$((SECONDS + 60))
until timeout 10 mariadb --no-defaults -S "$socket" -u root -e "SELECT 1" >/dev/null 2>&1; do
  if ! kill -0 "$pid" 2>/dev/null || [ "$SECONDS" -ge "$deadline" ]; then break; fi
  sleep 0.1
done
if ! timeout 30 mariadb --no-defaults -S "$socket" -u root -e "CREATE DATABASE zorvadel"; then
  echo "mariadb: the server did not start"
  cat "$work/error.log"
  exit 1
fi

ZORVADEL_MARIADB_SOCKET=$socket ZORVADEL_MARIADB_PID=$pid "$binary" --gtest_filter='MariaDb*'
