# Sourced by the Jet tests: jet_file CACHE sets $jet_file to Monitor.mdb
# from Debian's mrtg-contrib package (one table, one row), fetched with
# apt-get download and unpacked once into CACHE. Tests that run at once
# share one fetch.
jet_file() {
  local cache=$1 work found
  jet_file=$cache/Monitor.mdb
  mkdir -p "$cache" || return 1
  exec 9>"$cache/.lock"
  flock 9
  if [ ! -s "$jet_file" ]; then
    work=$(mktemp -d)
    # The network gets a deadline: a stalled mirror fails the test, not the run.
    (cd "$work" && timeout 60 apt-get download mrtg-contrib >/dev/null 2>&1) ||
      { [ "$(id -u)" -eq 0 ] && timeout 120 apt-get update -q >/dev/null 2>&1 &&
        (cd "$work" && timeout 60 apt-get download mrtg-contrib >/dev/null 2>&1); } ||
      { echo "jet: apt-get download mrtg-contrib failed"; rm -rf "$work"; exec 9>&-; return 1; }
    dpkg-deb -x "$work"/mrtg-contrib_*.deb "$work/root"
    found=$(find "$work/root" -name Monitor.mdb | head -1)
    if [ -z "$found" ]; then
      echo "jet: no Monitor.mdb in mrtg-contrib"; rm -rf "$work"; exec 9>&-; return 1
    fi
    cp "$found" "$jet_file.part" && mv "$jet_file.part" "$jet_file"
    rm -rf "$work"
  fi
  exec 9>&-
  [ -s "$jet_file" ]
}
