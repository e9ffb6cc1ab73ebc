#!/usr/bin/env bash
# Runs every generator in tools/ into a scratch folder and compares what it
# writes with the committed file; `make regen-data` calls it from the project
# root. Exits non-zero, naming each file, when one differs or a generator
# fails. It never writes the committed files: a difference is a finding to
# look into, not something to paper over.
set -uo pipefail

cd "$(dirname "$0")/.."
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
CXX=${CXX:-g++}
opencc_dicts=/usr/share/opencc
failed=()

# check NAME COMMITTED GENERATED: the generator's output against the file.
check() {
  if diff -u "$2" "$3"; then
    echo "regen-data: $2 matches $1"
  else
    echo "regen-data: $2 differs from what $1 writes" >&2
    failed+=("$2")
  fi
}

# run NAME COMMITTED COMMAND...: COMMAND writes the table to standard output.
run() {
  local name=$1 committed=$2
  shift 2
  if "$@" >"$scratch/$name.out"; then
    check "$name" "$committed" "$scratch/$name.out"
  else
    echo "regen-data: $name failed; $committed not checked" >&2
    failed+=("$committed")
  fi
}

build() {
  echo "+ $*"
  "$@" || return 1
}

# Code page 936, from glibc iconv.
if build "$CXX" -std=c++20 -O2 -o "$scratch/gen_cp936" tools/gen_cp936.cc; then
  run gen_cp936 src/data/cp936_table.cc "$scratch/gen_cp936"
else
  failed+=(src/data/cp936_table.cc)
fi

# Simplified/traditional pairs, from OpenCC's dictionaries. The generator
# links the committed code page table, so a stale one shows up above first.
if build "$CXX" -std=c++20 -O2 $(pkg-config --cflags opencc) -o "$scratch/opencc_dict_text" \
      tools/opencc_dict_text.cc $(pkg-config --libs opencc) &&
   build "$CXX" -std=c++20 -O2 -Isrc -Iinclude -o "$scratch/gen_st_table" tools/gen_st_table.cc \
      src/platform/codepage/*.cc src/data/cp936_table.cc &&
   "$scratch/opencc_dict_text" "$opencc_dicts/STCharacters.ocd2" "$scratch/st.txt" &&
   "$scratch/opencc_dict_text" "$opencc_dicts/TSCharacters.ocd2" "$scratch/ts.txt"; then
  run gen_st_table src/data/st_table.cc "$scratch/gen_st_table" "$scratch/st.txt" "$scratch/ts.txt"
else
  failed+=(src/data/st_table.cc)
fi

# GB2312 level-1 readings, from pinyin-pro at the version tools/pinyin pins.
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  echo "regen-data: node and npm are needed for tools/gen_pinyin_expect.mjs" >&2
  failed+=(tests/langdata/gb2312_level1_pinyin.txt)
elif build npm ci --prefix tools/pinyin --no-audit --no-fund --loglevel=error; then
  run gen_pinyin_expect tests/langdata/gb2312_level1_pinyin.txt node tools/gen_pinyin_expect.mjs
else
  failed+=(tests/langdata/gb2312_level1_pinyin.txt)
fi

if [ ${#failed[@]} -ne 0 ]; then
  echo "regen-data: not reproduced: ${failed[*]}" >&2
  exit 1
fi
echo "regen-data: every generated table matches its generator"
