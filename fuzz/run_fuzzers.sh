#!/usr/bin/env bash
# Runs every fuzz target of a ZORVADEL_FUZZ build for SECONDS each (`make
# fuzz`), one after another, each with its dictionary, starting from its
# checked-in corpus. New inputs go to BUILD/fuzz-corpus/TARGET, never into
# the tree (merge the useful ones with -merge=1 by hand); a crash leaves its
# input in BUILD/fuzz-findings/TARGET and makes the run fail.
#
#   run_fuzzers.sh BUILD SECONDS [TARGET...]
set -u
build=$1
seconds=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(text_members output_filter codepage request page_script head number_text wire)
# Inputs long enough for the structures each target reads, short enough to
# keep the executions fast.
declare -A max_len=([text_members]=512 [output_filter]=1024 [codepage]=256 [request]=512
                    [page_script]=1024 [head]=1024 [number_text]=128 [wire]=2048)
failed=()
for target in "${targets[@]}"; do
  corpus=$build/fuzz-corpus/$target
  findings=$build/fuzz-findings/$target
  mkdir -p "$corpus" "$findings"
  echo "== $target: ${seconds}s"
  "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -max_len="${max_len[$target]:-1024}" \
    -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -dict="$here/dict/$target.dict" -artifact_prefix="$findings/" \
    "$corpus" "$here/corpus/$target" || failed+=("$target")
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "findings in: ${failed[*]} (see $build/fuzz-findings/)"
  exit 1
fi
echo "no findings"
