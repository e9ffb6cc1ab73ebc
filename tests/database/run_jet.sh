#!/usr/bin/env bash
# Runs the Jet-file tests of the database test binary on a real Access file:
# Monitor.mdb from Debian's mrtg-contrib package (one table, one row),
# fetched with apt-get download and unpacked once into CACHE.
#
#   run_jet.sh PATH/TO/test_database CACHE
set -u
binary=$1
cache=$2
file=$cache/Monitor.mdb
if [ ! -s "$file" ]; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  # The network gets a deadline: a stalled mirror fails the test, not the run.
  (cd "$work" && timeout 60 apt-get download mrtg-contrib >/dev/null 2>&1) ||
    { [ "$(id -u)" -eq 0 ] && timeout 120 apt-get update -q >/dev/null 2>&1 &&
      (cd "$work" && timeout 60 apt-get download mrtg-contrib >/dev/null 2>&1); } ||
    { echo "jet: apt-get download mrtg-contrib failed"; exit 1; }
  dpkg-deb -x "$work"/mrtg-contrib_*.deb "$work/root" || exit 1
  found=$(find "$work/root" -name Monitor.mdb | head -1)
  [ -n "$found" ] || { echo "jet: no Monitor.mdb in mrtg-contrib"; exit 1; }
  mkdir -p "$cache" && cp "$found" "$file" || exit 1
fi
ZORVADEL_JET_FILE=$file "$binary" --gtest_filter='JetFile*'
