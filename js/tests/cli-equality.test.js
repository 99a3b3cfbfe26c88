// The WebAssembly module against the native tool on every committed national
// list: the same ranked texts and the same details, in every mode and intake.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';

import {
  LISTS, blobPaths, cliFilter, cliSegment, detailsFromCli, loadFolder, readNbest, requireBuilds,
  DATA,
} from './support.js';

// Modes by intake: sound-alike reading applies to text only; postal joins when
// the data has postal ranges.
function modesFor(text, hasPostal) {
  const modes = [
    { name: 'default', options: {}, flags: [] },
    { name: 'accurate', options: { accurate: true }, flags: ['--accurate'] },
  ];
  if (text) {
    modes.push({ name: 'sound-alike', options: { soundAlike: true }, flags: ['--sound-alike'] });
    modes.push({ name: 'accurate sound-alike', options: { accurate: true, soundAlike: true },
                 flags: ['--accurate', '--sound-alike'] });
  }
  if (hasPostal) modes.push({ name: 'postal', options: { postal: true }, flags: ['--postal'] });
  return modes;
}

// Known before the set loads: the cases are laid out when the file is read.
const hasPostal = blobPaths(DATA).postal !== undefined;

let vantir;
before(async () => {
  requireBuilds();
  vantir = await loadFolder(DATA);
});
after(() => vantir?.close());

for (const list of LISTS) {
  describe(list.file, () => {
    const utterances = readNbest(list.file);
    // Word lists run through both intakes (as words, and joined as text);
    // recogniser text only as text.
    const intakes = list.words ? [false, true] : [true];
    for (const text of intakes) {
      for (const mode of modesFor(text, hasPostal)) {
        test(`${text ? 'text' : 'words'}, ${mode.name}`, () => {
          const expected = cliFilter(list.file, [...(text ? ['--text'] : []), ...mode.flags]);
          assert.deepEqual(expected.map((u) => u.utterance), utterances.map((u) => u.id),
                           'the lists are read as the tool reads them');
          const filter = vantir.filter(mode.options);
          try {
            utterances.forEach((utterance, k) => {
              const run = (options) => text ? filter.filterText(utterance.hypotheses, options)
                                            : filter.filter(utterance.hypotheses, options);
              const where = `${utterance.id} (${mode.name})`;
              assert.deepEqual(run(), expected[k].results, where);
              assert.deepEqual(run({ details: true }), expected[k].details.map(detailsFromCli),
                               where);
            });
          } finally {
            filter.close();
          }
        });
      }
    }
    if (!list.words) {
      for (const mode of modesFor(false, false)) {
        test(`segment, ${mode.name}`, () => {
          const expected = cliSegment(list.file, mode.flags);
          const filter = vantir.filter(mode.options);
          try {
            const got = utterances.flatMap((u) => u.hypotheses.map((h) => filter.segment(h)));
            assert.deepEqual(got, expected);
          } finally {
            filter.close();
          }
        });
      }
    }
  });
}
