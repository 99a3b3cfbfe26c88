// The TypeScript types against a caller's code: what must compile does, and
// each misuse marked in it is refused (tsc fails on a mark that is not needed).
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { join } from 'node:path';
import { test } from 'node:test';

import { ROOT } from './support.js';

const TSC = process.env.VANTIR_TSC ?? 'tsc';

test('the types accept the documented use and refuse misuse', () => {
  const run = spawnSync(TSC, ['-p', join(ROOT, 'js/tests/types/tsconfig.json')],
                        { encoding: 'utf8' });
  if (run.error) assert.fail(`${TSC} did not run (${run.error.message}): scripts/install-deps wasm`);
  assert.equal(run.status, 0, run.stdout + run.stderr);
});
