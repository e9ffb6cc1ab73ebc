// Writes tests/langdata/gb2312_level1_pinyin.txt: every GB2312 level-1 code,
// its character and the npm package pinyin-pro's reading of that character.
// The list is meant to check our syllable table against a dictionary that
// knows nothing of it, so nothing here reads src/. From the project root:
//
//   npm ci --prefix tools/pinyin
//   node tools/gen_pinyin_expect.mjs > tests/langdata/gb2312_level1_pinyin.txt
//
// GB2312 files some characters under another reading than a dictionary gives
// them today (捕 under bo). Those are kept by hand in
// tests/langdata/gb2312_level1_filing.txt, which this script reads and
// checks: each listed reading must still be pinyin-pro's, each filing must be
// the syllable of a neighbouring block, and with the filings applied the
// readings must ascend in code order, since level 1 is sorted by syllable. A
// new pinyin-pro that reads some character differently therefore stops the
// script instead of slipping a wrong expectation into the list.
import { createRequire } from 'node:module';
import { readFileSync } from 'node:fs';

const require = createRequire(new URL('./pinyin/package.json', import.meta.url));
const { pinyin } = require('pinyin-pro');
const pinyinProVersion = require('pinyin-pro/package.json').version;

const filingPath = new URL('../tests/langdata/gb2312_level1_filing.txt', import.meta.url);
const filingName = 'gb2312_level1_filing.txt';

function fail(why) {
  process.stderr.write(`gen_pinyin_expect: ${why}\n`);
  process.exit(1);
}

const hex = (code) => code.toString(16).toUpperCase();

// Rows B0 to D7, cells A1 to FE; the last five cells of D7 are unassigned.
function level1Codes() {
  const codes = [];
  for (let lead = 0xb0; lead <= 0xd7; ++lead) {
    for (let trail = 0xa1; trail <= 0xfe; ++trail) {
      const code = lead * 256 + trail;
      if (code <= 0xd7f9) codes.push(code);
    }
  }
  return codes;
}

// Our syllables spell ü as v (lv, nv) but üe as ue (lue, nue), the way the
// readings are typed.
function syllableOf(character) {
  const reading = pinyin(character, { toneType: 'none', type: 'array' });
  if (reading.length !== 1) fail(`${character}: ${reading.length} readings for one character`);
  const syllable = reading[0].toLowerCase().replace('üe', 'ue').replace('ü', 'v');
  if (!/^[a-z]+$/.test(syllable)) fail(`${character}: unexpected reading "${reading[0]}"`);
  return syllable;
}

// Alphabetical, with ü (v) right after u: lu, lv, luan, lue, lun.
function compareSyllables(a, b) {
  const plainA = a.replaceAll('v', 'u');
  const plainB = b.replaceAll('v', 'u');
  if (plainA !== plainB) return plainA < plainB ? -1 : 1;
  return a < b ? -1 : a > b ? 1 : 0;
}

// Lines "CODE CHARACTER PINYIN-PRO FILING", each may end in a # note.
function readFilings() {
  const filings = new Map();
  const lines = readFileSync(filingPath, 'utf8').split('\n');
  lines.forEach((line, i) => {
    const fields = line.replace(/#.*/, '').trim().split(/\s+/).filter(Boolean);
    if (fields.length === 0) return;
    const where = `${filingName}:${i + 1}`;
    if (fields.length !== 4) fail(`${where}: want code, character, reading, filing`);
    const [codeText, character, reading, filing] = fields;
    const code = parseInt(codeText, 16);
    if (!/^[0-9A-F]{4}$/.test(codeText)) fail(`${where}: bad code ${codeText}`);
    if (filings.has(code)) fail(`${where}: ${codeText} listed twice`);
    if (reading === filing) fail(`${where}: ${codeText} is filed under its own reading`);
    filings.set(code, { character, reading, filing, where });
  });
  return filings;
}

const decoder = new TextDecoder('gbk', { fatal: true });
const rows = level1Codes().map((code) => {
  const character = decoder.decode(new Uint8Array([code >> 8, code & 0xff]));
  if ([...character].length !== 1) fail(`${hex(code)} does not decode to one character`);
  return { code, character, syllable: syllableOf(character) };
});

const filings = readFilings();
const index = new Map(rows.map((row, i) => [row.code, i]));
for (const [code, f] of filings) {
  if (!index.has(code)) fail(`${f.where}: ${hex(code)} is not a level-1 code`);
  const row = rows[index.get(code)];
  if (row.character !== f.character) {
    fail(`${f.where}: ${hex(code)} is ${row.character}, not ${f.character}`);
  }
  if (row.syllable !== f.reading) {
    fail(`${f.where}: pinyin-pro now reads ${f.character} as ${row.syllable}, not ${f.reading}`);
  }
}

// The block a filed character sits in is that of the nearest unlisted
// character before or after it (two, when it sits where two blocks meet).
const filed = rows.map((row) => (filings.has(row.code) ? filings.get(row.code).filing : row.syllable));
rows.forEach((row, i) => {
  if (!filings.has(row.code)) return;
  let before = i - 1;
  while (before >= 0 && filings.has(rows[before].code)) --before;
  let after = i + 1;
  while (after < rows.length && filings.has(rows[after].code)) ++after;
  const blocks = [rows[before]?.syllable, rows[after]?.syllable].filter(Boolean);
  const { filing, where } = filings.get(row.code);
  if (!blocks.includes(filing)) {
    fail(`${where}: ${row.character} sits between ${blocks.join(' and ')}, not in ${filing}`);
  }
});
for (let i = 1; i < rows.length; ++i) {
  if (compareSyllables(filed[i - 1], filed[i]) > 0) {
    const a = rows[i - 1];
    const b = rows[i];
    fail(
      `out of syllable order: ${hex(a.code)} ${a.character} ${filed[i - 1]} before ` +
        `${hex(b.code)} ${b.character} ${filed[i]}; list the one GB2312 files elsewhere ` +
        `in ${filingName}`,
    );
  }
}

const out = [
  `# GB2312 level 1: code, character, and pinyin-pro ${pinyinProVersion}'s toneless reading of`,
  '# the character alone (ü written v, üe written ue). Generated by',
  '# tools/gen_pinyin_expect.mjs; where GB2312 files a character under another',
  `# reading, ${filingName} says so.`,
];
for (const row of rows) out.push(`${hex(row.code)} ${row.character} ${row.syllable}`);
process.stdout.write(out.join('\n') + '\n');
