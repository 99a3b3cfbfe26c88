// The JavaScript API on its own terms: ways of loading, bad blobs and bad input
// answered by clear errors, closed objects, and memory that does not creep.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, statSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { after, before, describe, test } from 'node:test';

import Default, { Vantir, VantirError } from '../vantir.js';
import { CLI, DATA, ROOT, WASM, blobPaths, loadFolder, requireBuilds } from './support.js';

const CODE_NOT_FOUND = -1;
const CODE_WRONG_STATE = -4;
const CODE_INVALID_ARGUMENT = -41;
const CODE_BAD_BLOB = -103;
// The size the module must stay within, before compression.
const MOST_WASM_BYTES = 600 * 1024;

const HYPOTHESES = ['臺北市 大安區 忠孝東路 四段 一百 二十三 巷 五 弄 七 號',
                    '臺北市 大安區 忠孝東路 四段 一百 二十三 巷 五 弄 衣 號'];
const TEXTS = ['幫我導航到台中市南屯區環中路3段526號', '台中市南屯區環中路三段526號'];

let sample;  // the sample data set, built here: another set than the national one
let vantir;

before(async () => {
  requireBuilds();
  sample = mkdtempSync(join(tmpdir(), 'vantir-sample-'));
  execFileSync(CLI, ['build', join(ROOT, 'data/tw-sample'), '-o', sample], { stdio: 'ignore' });
  vantir = await loadFolder(DATA);
});

after(() => {
  vantir?.close();
  if (sample) rmSync(sample, { recursive: true, force: true });
});

function rejects(promise, code, pattern) {
  return assert.rejects(promise, (error) => {
    assert.ok(error instanceof VantirError && error instanceof Error, String(error));
    assert.equal(error.code, code, error.message);
    assert.match(error.message, pattern);
    return true;
  });
}

function throws(call, code, pattern) {
  assert.throws(call, (error) => {
    assert.ok(error instanceof VantirError, String(error));
    assert.equal(error.code, code, error.message);
    assert.match(error.message, pattern);
    return true;
  });
}

describe('loading', () => {
  test('the module stays within its size', () => {
    assert.ok(statSync(WASM).size <= MOST_WASM_BYTES, `${statSync(WASM).size} bytes`);
  });

  test('buffers, typed arrays, file URLs and paths load the same set', async () => {
    const paths = blobPaths(DATA);
    const buffers = Object.fromEntries(Object.entries(paths).map(([name, path]) => {
      const bytes = readFileSync(path);
      return [name, bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.length)];
    }));
    const views = Object.fromEntries(Object.entries(paths).map(([name, path]) => {
      // A view into the middle of a larger buffer, as a bundler's asset might be.
      const bytes = readFileSync(path);
      const larger = new Uint8Array(bytes.length + 7);
      larger.set(bytes, 3);
      return [name, larger.subarray(3, 3 + bytes.length)];
    }));
    const urls = Object.fromEntries(Object.entries(paths).map(([n, p]) => [n, pathToFileURL(p)]));
    const expected = vantir.filter().filter(HYPOTHESES, { details: true });
    for (const sources of [buffers, views, urls]) {
      const other = await Default.load({ ...sources, wasm: pathToFileURL(WASM) });
      assert.deepEqual(other.filter().filter(HYPOTHESES, { details: true }), expected);
      assert.equal(other.version, vantir.version);
      other.close();
    }
  });

  test('two sets live side by side in their own instances', async () => {
    const small = await loadFolder(sample);
    const big = vantir.filter();
    const little = small.filter();
    const before = big.filterText(TEXTS);
    little.filterText(TEXTS);
    small.close();
    assert.deepEqual(big.filterText(TEXTS), before);
    big.close();
  });

  test('a missing blob, option or file is named', async () => {
    const paths = blobPaths(DATA);
    await rejects(Vantir.load({ lexicon: paths.lexicon, model: paths.model }),
                  CODE_INVALID_ARGUMENT, /address blob is missing/);
    await rejects(Vantir.load({ ...paths, lexcon: paths.lexicon }),
                  CODE_INVALID_ARGUMENT, /unknown option 'lexcon'/);
    await rejects(Vantir.load({ ...paths, model: join(DATA, 'no-such.lmb') }),
                  CODE_NOT_FOUND, /model: cannot read .*no-such\.lmb/);
    await rejects(Vantir.load({ ...paths, model: 42 }), CODE_INVALID_ARGUMENT, /model: give/);
  });

  test('damaged bytes, a blob of another kind or of another set are refused', async () => {
    const paths = blobPaths(DATA);
    const damaged = new Uint8Array(readFileSync(paths.address));
    damaged.fill(0xff, 16, 64);
    await rejects(Vantir.load({ ...paths, address: damaged }), CODE_BAD_BLOB, /address: damaged/);
    await rejects(Vantir.load({ ...paths, lexicon: new Uint8Array(3) }), CODE_BAD_BLOB, /lexicon/);
    await rejects(Vantir.load({ ...paths, lexicon: paths.model, model: paths.lexicon }),
                  CODE_BAD_BLOB, /another kind, or of another set/);
    const other = blobPaths(sample);
    await rejects(Vantir.load({ ...paths, lexicon: other.lexicon, model: other.model }),
                  CODE_BAD_BLOB, /another set/);
    await rejects(Vantir.load({ ...paths, sounds: paths.address }), CODE_BAD_BLOB, /another kind/);
  });
});

describe('filtering', () => {
  test('bad input is refused by name and the filter stays usable', () => {
    const filter = vantir.filter();
    const expected = filter.filterText(TEXTS);
    throws(() => filter.filterText(['台北市', 'a\uD800b']), CODE_INVALID_ARGUMENT,
           /filterText\[1\]: a lone surrogate at index 1/);
    throws(() => filter.filter(['\uDC00']), CODE_INVALID_ARGUMENT, /lone surrogate/);
    throws(() => filter.filter('臺北市 大安區'), CODE_INVALID_ARGUMENT, /array of strings/);
    throws(() => filter.filter([42]), CODE_INVALID_ARGUMENT, /filter\[0\]: not a string/);
    throws(() => filter.filter(HYPOTHESES, { detail: true }), CODE_INVALID_ARGUMENT,
           /unknown option 'detail'/);
    throws(() => filter.segment(null), CODE_INVALID_ARGUMENT, /not a string/);
    throws(() => vantir.filter({ acurate: true }), CODE_INVALID_ARGUMENT, /unknown option/);
    assert.deepEqual(filter.filterText(TEXTS), expected);
    // A pair is one character, not a lone surrogate.
    assert.ok(Array.isArray(filter.filterText(['臺北市\uD83D\uDE00大安區'])));
    filter.close();
  });

  test('modes that need a blob the set lacks are refused', async () => {
    const { sounds, postal, ...required } = blobPaths(DATA);
    const bare = await Vantir.load(required);
    assert.equal(bare.has('sounds'), false);
    throws(() => bare.filter({ soundAlike: true }), CODE_WRONG_STATE, /sounds blob/);
    throws(() => bare.filter({ postal: true }), CODE_WRONG_STATE, /postal blob/);
    bare.close();
  });

  test('empty input gives no results; long texts come back whole', () => {
    const filter = vantir.filter();
    assert.deepEqual(filter.filter([]), []);
    assert.deepEqual(filter.filterText(['']), []);
    assert.deepEqual(filter.segment(''), []);
    // More words than the first text buffer holds.
    const long = TEXTS[0].repeat(40);
    const words = filter.segment(long);
    const native = execFileSync(CLI, ['segment', '--data', DATA, '-'],
                                { input: `${long}\n`, encoding: 'utf8' }).trim().split(' ');
    assert.deepEqual(words, native);
    filter.close();
  });

  test('a closed filter or set refuses every call; closing twice is harmless', () => {
    const filter = vantir.filter();
    filter.close();
    filter.close();
    throws(() => filter.filter(HYPOTHESES), CODE_WRONG_STATE, /filter: the filter is closed/);
    throws(() => filter.filterText(TEXTS), CODE_WRONG_STATE, /filterText: the filter is closed/);
    throws(() => filter.segment(TEXTS[0]), CODE_WRONG_STATE, /segment: the filter is closed/);
  });

  test('closing a set closes its filters', async () => {
    const set = await loadFolder(DATA);
    const filter = set.filter({ accurate: true });
    set.close();
    set.close();
    throws(() => filter.filterText(TEXTS), CODE_WRONG_STATE, /closed/);
    throws(() => set.filter(), CODE_WRONG_STATE, /the data set is closed/);
  });

  test('filters opened, used and closed over and over leave the memory as it was', async () => {
    const set = await loadFolder(DATA);
    const churn = (rounds) => {
      for (let k = 0; k < rounds; k += 1) {
        const filter = set.filter({ accurate: k % 2 === 1, soundAlike: set.has('sounds') });
        filter.filterText(TEXTS, { details: true });
        filter.filter(HYPOTHESES, { details: true });
        filter.segment(TEXTS[0].repeat(30));
        try {
          filter.filterText(['\uD800']);
        } catch {
          // refused, as the bad-input test checks
        }
        filter.close();
      }
    };
    churn(50);
    const settled = set.memoryBytes;
    // Each session takes tens of kilobytes: a leak of one per round would grow
    // the memory by megabytes here.
    churn(200);
    assert.equal(set.memoryBytes, settled);
    set.close();
  });

  test('constructors are not for callers', () => {
    throws(() => new Vantir(), CODE_WRONG_STATE, /Vantir\.load/);
  });
});
