// Per-utterance cost of the WebAssembly module through the JavaScript API beside
// the same host calls compiled natively, in one run; the load time and memory.
//
//   make bench-wasm      (or: node js/bench/bench.js [--rounds N] [--repetitions N])
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { parseArgs } from 'node:util';

import { Vantir } from '../vantir.js';
import { DATA, ROOT, WASM, blobPaths, readNbest, requireBuilds } from '../tests/support.js';

const NATIVE = process.env.VANTIR_HOST_TIMING ??
  join(ROOT, 'build/default/js/bench/vantir_host_timing');
const OPTION_BITS = { accurate: 0x1, soundAlike: 0x4 };

const ROWS = [
  { name: 'words, default', file: 'data/tw/nbest.txt', text: false, options: {} },
  { name: 'words, accurate', file: 'data/tw/nbest.txt', text: false, options: { accurate: true } },
  { name: 'text, default', file: 'data/tw/nbest-text.txt', text: true, options: {} },
  { name: 'text, accurate', file: 'data/tw/nbest-text.txt', text: true,
    options: { accurate: true } },
  { name: 'text, sound-alike', file: 'data/tw/eval/sound-alike-nbest.txt', text: true,
    options: { soundAlike: true } },
];

const { values: args } = parseArgs({
  options: {
    rounds: { type: 'string', default: '10' },
    repetitions: { type: 'string', default: '5' },
  },
});
const rounds = Number(args.rounds);
const repetitions = Number(args.repetitions);

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const cpuSeconds = () => {
  const { user, system } = process.cpuUsage();
  return (user + system) / 1e6;
};

// CPU microseconds per utterance of each repetition of `rounds` passes.
function timeWasm(filter, utterances, text) {
  const run = text ? (h) => filter.filterText(h) : (h) => filter.filter(h);
  for (const { hypotheses } of utterances) run(hypotheses);  // warm-up: the JIT's tiers
  const times = [];
  for (let r = 0; r < repetitions; r += 1) {
    const start = cpuSeconds();
    for (let round = 0; round < rounds; round += 1) {
      for (const { hypotheses } of utterances) run(hypotheses);
    }
    times.push((1e6 * (cpuSeconds() - start)) / (rounds * utterances.length));
  }
  return times;
}

function timeNative(listFile, row) {
  const bits = Object.entries(row.options)
    .reduce((sum, [name, on]) => sum | (on ? OPTION_BITS[name] : 0), 0);
  const out = execFileSync(NATIVE, [DATA, listFile, String(bits), row.text ? '1' : '0',
                                    String(rounds), String(repetitions)], { encoding: 'utf8' });
  return JSON.parse(out);
}

async function loadTimes() {
  const paths = blobPaths(DATA);
  const bytes = Object.fromEntries(Object.entries(paths).map(([n, p]) => [n, readFileSync(p)]));
  const rssBefore = process.memoryUsage().rss;
  let started = performance.now();
  const first = await Vantir.load(paths);
  const firstMs = performance.now() - started;
  const rssAfter = process.memoryUsage().rss;
  const memory = first.memoryBytes;
  const filter = first.filter();
  const memoryWithFilter = first.memoryBytes;
  filter.close();
  first.close();
  const fromFiles = [];
  const fromMemory = [];
  for (let r = 0; r < repetitions; r += 1) {
    started = performance.now();
    (await Vantir.load(paths)).close();
    fromFiles.push(performance.now() - started);
    started = performance.now();
    (await Vantir.load(bytes)).close();
    fromMemory.push(performance.now() - started);
  }
  return { firstMs, filesMs: median(fromFiles), memoryMs: median(fromMemory), memory,
           memoryWithFilter, rssGrowth: rssAfter - rssBefore };
}

async function main() {
  requireBuilds();
  const work = mkdtempSync(join(tmpdir(), 'vantir-bench-'));
  try {
    const load = await loadTimes();
    const vantir = await Vantir.load(blobPaths(DATA));
    console.log(`module ${readFileSync(WASM).length} bytes; ${rounds} rounds, ` +
                `median of ${repetitions} repetitions; CPU time per utterance\n`);
    console.log('| Lists, mode | Utterances | WebAssembly (JS API) | Native host calls | Ratio |');
    console.log('|---|---:|---:|---:|---:|');
    let native;
    for (const row of ROWS) {
      const utterances = readNbest(row.file);
      const listFile = join(work, 'list.txt');
      writeFileSync(listFile, utterances.map((u) => u.hypotheses.join('\n') + '\n\n').join(''));
      native = timeNative(listFile, row);
      const filter = vantir.filter(row.options);
      const wasm = median(timeWasm(filter, utterances, row.text));
      filter.close();
      const c = median(native.us_per_utterance);
      console.log(`| ${row.file.replace('data/tw/', '')}, ${row.name} | ${utterances.length} | ` +
                  `${wasm.toFixed(1)} µs | ${c.toFixed(1)} µs | ${(wasm / c).toFixed(2)} |`);
    }
    vantir.close();
    console.log('\n| Load and memory | WebAssembly | Native |');
    console.log('|---|---:|---:|');
    console.log(`| first load (compile, instantiate, read, copy, verify) | ` +
                `${load.firstMs.toFixed(1)} ms | |`);
    console.log(`| later loads from files / from memory | ${load.filesMs.toFixed(1)} ms / ` +
                `${load.memoryMs.toFixed(1)} ms | ${(1000 * native.open_s).toFixed(1)} ms ` +
                `(Vantir_OpenDataSet) |`);
    console.log(`| module memory after load / with a filter | ${load.memory} B / ` +
                `${load.memoryWithFilter} B | |`);
    console.log(`| heap of the set and one session | | ${native.heap_bytes} B |`);
    console.log(`| Node's resident memory growth over the first load | ${load.rssGrowth} B | |`);
  } finally {
    rmSync(work, { recursive: true, force: true });
  }
}

await main();
