// The npm package as a user installs it: `npm pack` holds the wrapper, its
// types and the module, and a project imports it by name and filters with it.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdirSync, mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { test } from 'node:test';

import { DATA, ROOT, requireBuilds } from './support.js';

test('the packed package installs and works by its name', (t) => {
  requireBuilds();
  const work = mkdtempSync(join(tmpdir(), 'vantir-package-'));
  t.after(() => rmSync(work, { recursive: true, force: true }));
  const packed = JSON.parse(execFileSync('npm', ['pack', '--json', '--pack-destination', work],
                                         { cwd: join(ROOT, 'js'), encoding: 'utf8' }))[0];
  assert.deepEqual(packed.files.map((f) => f.path).sort(),
                   ['README.md', 'dist/vantir.wasm', 'module.js', 'package.json', 'vantir.d.ts', 'vantir.js']);
  // Unpacked where Node's resolution finds it, as an install puts it.
  const installed = join(work, 'node_modules', 'vantir');
  mkdirSync(installed, { recursive: true });
  execFileSync('tar', ['-xzf', join(work, packed.filename), '-C', installed,
                       '--strip-components=1']);
  writeFileSync(join(work, 'use.mjs'), `
    import { Vantir } from 'vantir';
    const d = ${JSON.stringify(DATA + '/')};
    const v = await Vantir.load({ lexicon: d + 'lexicon.wpb', model: d + 'model.lmb',
                                  address: d + 'address.addr' });
    const f = v.filter();
    console.log(JSON.stringify(f.filterText(['台北市大安區忠孝東路四段123巷5弄7號'])));
    v.close();
  `);
  const out = execFileSync(process.execPath, [join(work, 'use.mjs')], { cwd: work, encoding: 'utf8' });
  assert.deepEqual(JSON.parse(out), ['臺北市大安區忠孝東路四段123巷5弄7號']);
});
