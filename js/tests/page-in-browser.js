// The demo page in a real headless Chromium: committed N-best lists typed into
// the page's own text box, the results it shows compared with the native tool's,
// and a screenshot kept in build/web/ for a person to look at.
import assert from 'node:assert/strict';
import { existsSync, mkdirSync, readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { after, before, test } from 'node:test';

import { Browser, serve } from './cdp.js';
import { DATA, ROOT, cliFilter, requireBuilds } from './support.js';

const PAGE = '/examples/web/index.html';
const SHOTS = join(ROOT, 'build/web');
const WIDTH = 1100;
const HEIGHT = 900;

// The lists fed through the page, with the intake and modes chosen on it.
const CASES = [
  { file: 'data/tw/demo.nbest', intake: 'words', modes: [], shot: 'demo-page.png' },
  { file: 'data/tw/nbest-text.txt', intake: 'text', modes: ['accurate'] },
  { file: 'data/tw/eval/sound-alike-nbest.txt', intake: 'text', modes: ['soundAlike'] },
  // Postcodes on the cards, once the data has postal ranges.
  ...(existsSync(join(DATA, 'postal.pst'))
    ? [{ file: 'data/tw/nbest.txt', intake: 'words', modes: ['postal'], shot: 'postal-page.png' }]
    : []),
];
const MODE_FLAGS = { accurate: '--accurate', soundAlike: '--sound-alike', postal: '--postal' };

let server;
let browser;

before(async () => {
  requireBuilds();
  server = await serve(ROOT);
  browser = await Browser.launch(WIDTH, HEIGHT);
  await browser.page('Emulation.setDeviceMetricsOverride',
                     { width: WIDTH, height: HEIGHT, deviceScaleFactor: 1, mobile: false });
});

after(async () => {
  await browser?.close();
  await server?.close();
});

// What the page shows: each utterance's results, read from the rendered cards.
const SHOWN = `[...document.querySelectorAll('#results .utterance')].map((section) => ({
  id: section.dataset.id,
  results: [...section.querySelectorAll('.result')].map((item) => ({
    text: item.dataset.text,
    shownText: item.querySelector('.address').textContent,
    marked: Object.fromEntries([...item.querySelectorAll('.address mark')]
      .map((mark) => [mark.className.slice(2), mark.textContent])),
    confidence: Number(item.dataset.confidence),
    postcode: item.querySelector('.postcode')?.textContent ?? '',
  })),
}))`;

async function openPage(query = '') {
  await browser.navigate(`${server.url}${PAGE}${query}`);
  return browser.waitFor(`['done', 'error'].includes(document.body.dataset.state) &&
                          document.body.dataset.state`);
}

// Chooses the intake and modes by clicking the page's own controls.
async function choose(intake, modes) {
  await browser.evaluate(`(() => {
    const click = (input, on) => { if (input.checked !== on) input.click(); };
    click(document.querySelector('input[name=intake][value=${intake}]'), true);
    for (const id of ['accurate', 'soundAlike', 'postal']) {
      click(document.getElementById(id), ${JSON.stringify(modes)}.includes(id));
    }
  })()`);
}

// Above this size a list is pasted (the box's value set, then its input event)
// rather than typed: typing a long text into a text area takes Chromium minutes.
const MOST_TYPED_BYTES = 16384;

// Types or pastes the list into the text box, then waits for the run it starts.
async function enterList(file) {
  const text = readFileSync(join(ROOT, file), 'utf8');
  const runs = await browser.evaluate('Number(document.body.dataset.runs ?? 0)');
  await browser.evaluate(`(() => {
    const box = document.getElementById('hypotheses');
    box.value = '';
    box.focus();
  })()`);
  if (Buffer.byteLength(text) <= MOST_TYPED_BYTES) {
    await browser.page('Input.insertText', { text });
  } else {
    await browser.evaluate(`(() => {
      const box = document.getElementById('hypotheses');
      box.value = ${JSON.stringify(text)};
      box.dispatchEvent(new InputEvent('input', { bubbles: true, inputType: 'insertFromPaste' }));
    })()`);
  }
  await browser.waitFor(`Number(document.body.dataset.runs ?? 0) > ${runs} &&
                         document.body.dataset.state !== 'busy'`);
  return browser.evaluate('document.body.dataset.state');
}

test('the page shows what the native tool gives, list by list', async (t) => {
  assert.equal(await openPage(), 'done');
  for (const { file, intake, modes, shot } of CASES) {
    await t.test(`${file} (${intake}${modes.map((m) => `, ${m}`).join('')})`, async () => {
      await choose(intake, modes);
      assert.equal(await enterList(file), 'done', await browser.evaluate(
        "document.getElementById('error').textContent"));
      const shown = await browser.evaluate(SHOWN);
      const flags = [...(intake === 'text' ? ['--text'] : []), ...modes.map((m) => MODE_FLAGS[m])];
      const expected = cliFilter(file, flags);
      assert.deepEqual(shown.map((u) => u.id), expected.map((u) => u.utterance));
      shown.forEach((utterance, k) => {
        const details = expected[k].details;
        assert.deepEqual(utterance.results.map((r) => r.text), expected[k].results, utterance.id);
        utterance.results.forEach((result, r) => {
          assert.equal(result.shownText, result.text, 'marking keeps every character');
          assert.deepEqual(result.marked, details[r].fields, `${utterance.id}: fields marked`);
          assert.equal(result.confidence, Math.fround(details[r].confidence), utterance.id);
          assert.equal(result.postcode, details[r].postcode ?? '', `${utterance.id}: postcode`);
        });
      });
      if (shot) {
        const { data } = await browser.page('Page.captureScreenshot', { format: 'png' });
        mkdirSync(SHOTS, { recursive: true });
        writeFileSync(join(SHOTS, shot), Buffer.from(data, 'base64'));
      }
    });
  }
});

test('a data folder without blobs gives an error on the page, which stays usable', async () => {
  assert.equal(await openPage('?data=/js/'), 'error');
  const message = await browser.evaluate("document.getElementById('error').textContent");
  assert.match(message, /lexicon.*HTTP 404/);
  assert.equal(await browser.evaluate("document.getElementById('run').disabled"), true);
  // The page answers once loaded properly again.
  assert.equal(await openPage(`?data=${encodeURIComponent(`/${DATA.slice(ROOT.length)}/`)}`), 'done');
});
