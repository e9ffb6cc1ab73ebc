#!/usr/bin/env bash
# Runs the Jet-file tests of the database test binary on a real Access file
# (see jet_file.sh), fetched once into CACHE.
#
#   run_jet.sh PATH/TO/test_database CACHE
set -u
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=jet_file.sh
source "$here/jet_file.sh"
jet_file "$2" || exit 1
ZORVADEL_JET_FILE=$jet_file "$1" --gtest_filter='JetFile*:JetReaders*'
