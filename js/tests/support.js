// What the Node and browser tests share: where the native tool and the built
// national data are, N-best lists read as the tool reads them, and its JSON output.
import { execFileSync } from 'node:child_process';
import { existsSync, readFileSync } from 'node:fs';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';

import { Vantir } from '../vantir.js';

export const ROOT = fileURLToPath(new URL('../..', import.meta.url));
export const CLI = process.env.VANTIR_CLI ?? join(ROOT, 'build/default/tools/vantir');
export const DATA = process.env.VANTIR_DATA ?? join(ROOT, 'build/default/data/tw');
export const WASM = join(ROOT, 'js/dist/vantir.wasm');

// Every committed list of the national set; `words` lists are split into
// lexicon words, the others are recogniser text.
export const LISTS = [
  { file: 'data/tw/demo.nbest', words: true },
  { file: 'data/tw/nbest.txt', words: true },
  { file: 'data/tw/nbest-text.txt', words: false },
  { file: 'data/tw/eval/no-suffix-nbest.txt', words: false },
  { file: 'data/tw/eval/shapes-nbest.txt', words: false },
  { file: 'data/tw/eval/sound-alike-nbest.txt', words: false },
];

const BLOB_FILES = {
  lexicon: 'lexicon.wpb',
  model: 'model.lmb',
  address: 'address.addr',
  sounds: 'sounds.snd',
  postal: 'postal.pst',
};

// Stops with what to run when the module or the native build is missing.
export function requireBuilds() {
  for (const [path, what] of [[WASM, 'the WebAssembly module'], [CLI, 'the vantir tool'],
                              [join(DATA, 'lexicon.wpb'), 'the national data']]) {
    if (!existsSync(path)) throw new Error(`${what} is missing (${path}): run 'make wasm' first`);
  }
}

// The blob files of a built folder, the optional ones when present.
export function blobPaths(folder) {
  const paths = {};
  for (const [name, file] of Object.entries(BLOB_FILES)) {
    const path = join(folder, file);
    if (existsSync(path)) paths[name] = path;
  }
  return paths;
}

export function loadFolder(folder) {
  return Vantir.load(blobPaths(folder));
}

// Kaldi lists ("UTTID-RANK field field ..."), fields joined by one blank as the
// tool joins them; utterances in the order of their first line, hypotheses by rank.
export function readNbest(file) {
  const utterances = new Map();
  for (const line of readFileSync(join(ROOT, file), 'utf8').split('\n')) {
    const fields = line.split(/[ \t]+/).filter((field) => field !== '');
    if (fields.length === 0 || fields[0].startsWith('#')) continue;
    const dash = fields[0].lastIndexOf('-');
    const id = fields[0].slice(0, dash);
    const rank = Number(fields[0].slice(dash + 1));
    if (!utterances.has(id)) utterances.set(id, []);
    utterances.get(id).push({ rank, text: fields.slice(1).join(' ') });
  }
  return [...utterances].map(([id, hypotheses]) => ({
    id,
    hypotheses: hypotheses.sort((a, b) => a.rank - b.rank).map((h) => h.text),
  }));
}

// One parsed JSON object per utterance from `vantir filter --json`.
export function cliFilter(file, flags) {
  const out = execFileSync(CLI, ['filter', '--data', DATA, '--json', ...flags, join(ROOT, file)],
                           { encoding: 'utf8', maxBuffer: 1 << 28, stdio: ['ignore', 'pipe', 'ignore'] });
  return out.split('\n').filter((line) => line !== '').map((line) => JSON.parse(line));
}

// `vantir segment` of a list: the words of each hypothesis ("UTTID-RANK word ..."
// lines), in the list's order.
export function cliSegment(file, flags) {
  const out = execFileSync(CLI, ['segment', '--data', DATA, ...flags, join(ROOT, file)],
                           { encoding: 'utf8', maxBuffer: 1 << 28, stdio: ['ignore', 'pipe', 'ignore'] });
  return out.split('\n').filter((line) => line !== '').map((line) => line.split(' ').slice(1).filter((word) => word !== ''));
}

// A detail object of the tool's JSON in the shape the wrapper gives.
export function detailsFromCli(detail) {
  const shaped = {
    text: detail.text,
    confidence: Math.fround(detail.confidence),
    resultClass: detail.class,
    support: detail.support,
    firstRank: detail.first_rank,
    fields: detail.fields,
  };
  if ('postcode' in detail) Object.assign(shaped, { postcode: detail.postcode, postal: detail.postal });
  return shaped;
}
