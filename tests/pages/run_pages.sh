#!/usr/bin/env bash
# Plays every page script in this folder with zorvadel-run and compares the
# output with its golden file: NAME.json -> NAME.out (standard output),
# NAME.err (standard error, when present) and NAME.status (exit status,
# 0 when absent). NAME.args holds extra arguments (for example --head).
# NAME.wellformed (empty) asks, besides, that the output parse as XML
# (xmllint, which scripts/install-deps.sh installs).
set -u
runner=$1
dir=$(cd "$(dirname "$0")" && pwd)
fail=0
count=0
for script in "$dir"/*.json; do
  [ -e "$script" ] || continue
  name=${script%.json}
  count=$((count + 1))
  args=()
  [ -f "$name.args" ] && read -r -a args < "$name.args"
  out=$(mktemp); err=$(mktemp)
  "$runner" "${args[@]}" "$script" >"$out" 2>"$err"
  status=$?
  want_status=0
  [ -f "$name.status" ] && want_status=$(cat "$name.status")
  if [ "$status" != "$want_status" ]; then
    echo "FAIL $(basename "$name"): exit status $status, expected $want_status"; cat "$err"; fail=1
  elif ! cmp -s "$out" "$name.out"; then
    echo "FAIL $(basename "$name"): output differs"; diff <(cat -A "$name.out") <(cat -A "$out") | head -20; fail=1
  elif [ -f "$name.err" ] && ! cmp -s "$err" "$name.err"; then
    echo "FAIL $(basename "$name"): standard error differs"; diff "$name.err" "$err" | head -20; fail=1
  elif [ -f "$name.wellformed" ] && ! command -v xmllint >/dev/null; then
    echo "FAIL $(basename "$name"): xmllint is missing (scripts/install-deps.sh)"; fail=1
  elif [ -f "$name.wellformed" ] && ! xmllint --noout --nonet - <"$out"; then
    echo "FAIL $(basename "$name"): not well-formed XML"; fail=1
  fi
  rm -f "$out" "$err"
done
echo "$count page scripts played"
exit $fail
