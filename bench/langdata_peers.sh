#!/usr/bin/env bash
# Pinyin and lunar dates beside two well-known Node.js libraries, on the same
# input in the same run: pinyin-pro spells the 1 MiB text that bench_langdata
# writes, lunar-javascript names every day from 1921-2-8 to 2021-2-11. Prints
# characters and dates per second of both sides and our lead over them.
#
# Usage: bench/langdata_peers.sh [path/to/bench_langdata]
# (default: build/bench_langdata). Needs node and npm; the libraries are
# installed into a scratch folder that is removed afterwards.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
bench=${1:-$root/build/bench_langdata}
if [[ ! -x $bench ]]; then
  echo "no benchmark binary at $bench (build it, or pass its path)" >&2
  exit 2
fi
for tool in node npm; do
  command -v "$tool" >/dev/null || { echo "$tool is needed" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "installing the peers into $work ..." >&2
npm install --prefix "$work" --no-audit --no-fund --no-save --loglevel=error \
  pinyin-pro lunar-javascript >/dev/null

echo "running $bench ..." >&2
ZORVADEL_LANGDATA_TEXT="$work/text.txt" "$bench" \
  --benchmark_filter='^BM_(GetPinYin|NeedPinYinAnnotate|NeedPinYinSpell|LunarDateEveryDay|LunarDateEveryDayText)$' \
  --benchmark_min_time=1 --benchmark_format=json >"$work/ours.json" 2>"$work/ours.err" || {
  cat "$work/ours.err" >&2
  exit 1
}

cat >"$work/peers.js" <<'EOF'
'use strict';
const fs = require('fs');
const path = require('path');
const work = process.argv[2];
const { pinyin } = require(path.join(work, 'node_modules', 'pinyin-pro'));
const { Solar } = require(path.join(work, 'node_modules', 'lunar-javascript'));

// Runs `fn` until at least a second has passed (after one warm-up call) and
// gives the units per second; `fn` returns how many units one call did.
function rate(fn) {
  let sink = fn();
  let units = 0;
  const start = process.hrtime.bigint();
  let elapsed = 0;
  do {
    units += fn();
    elapsed = Number(process.hrtime.bigint() - start) / 1e9;
  } while (elapsed < 1 || units === 0);
  return { perSecond: units / elapsed, sink };
}

const text = fs.readFileSync(path.join(work, 'text.txt'), 'utf8');
let kept = 0;
const pinyinPro = rate(() => {
  const out = pinyin(text, { toneType: 'none', type: 'array' });
  kept += out.length;
  return text.length;
});

const days = [];
for (let d = new Date(Date.UTC(1921, 1, 8)); d <= new Date(Date.UTC(2021, 1, 11));
     d.setUTCDate(d.getUTCDate() + 1)) {
  days.push([d.getUTCFullYear(), d.getUTCMonth() + 1, d.getUTCDate()]);
}
const lunarJs = rate(() => {
  for (const [y, m, dd] of days) kept += Solar.fromYmd(y, m, dd).getLunar().toString().length;
  return days.length;
});

const ours = {};
for (const b of JSON.parse(fs.readFileSync(path.join(work, 'ours.json'), 'utf8')).benchmarks) {
  ours[b.name] = b.items_per_second;
}
const f = (x) => (x / 1e6).toFixed(x < 1e6 ? 4 : 2).padStart(10) + ' M/s';
const line = (name, x, peer) =>
  console.log(name.padEnd(38) + f(x) + (peer ? ('  x' + (x / peer).toFixed(1)).padStart(10) : ''));

console.log(`text: ${text.length} UTF-16 units; dates: ${days.length} days (1921-2-8 to 2021-2-11)`);
console.log('');
console.log('characters per second'.padEnd(38) + 'rate'.padStart(14) + 'vs peer'.padStart(10));
line('pinyin-pro pinyin(array, no tone)', pinyinPro.perSecond);
line('GetPinYin', ours.BM_GetPinYin, pinyinPro.perSecond);
line('NeedPinYin mode 1 (spell)', ours.BM_NeedPinYinSpell, pinyinPro.perSecond);
line('NeedPinYin mode 0 (annotate)', ours.BM_NeedPinYinAnnotate, pinyinPro.perSecond);
console.log('');
console.log('dates per second');
line('lunar-javascript Solar->Lunar toString', lunarJs.perSecond);
line('LunarDate (year, month, day)', ours.BM_LunarDateEveryDay, lunarJs.perSecond);
line('LunarDate (date text)', ours.BM_LunarDateEveryDayText, lunarJs.perSecond);
if (kept === 0) console.log('(the peers returned nothing)');
EOF

node "$work/peers.js" "$work"
