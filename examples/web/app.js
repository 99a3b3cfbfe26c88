// The demo page's logic: loads the national data set into the WebAssembly module,
// reads N-best lines from the text box or the microphone, shows the ranked addresses.
import { Vantir } from '../../js/vantir.js';

// The data folder that `make wasm` builds, relative to this page; ?data=URL picks another.
const DEFAULT_DATA = '../../build/default/data/tw/';
const BLOB_FILES = {
  lexicon: 'lexicon.wpb',
  model: 'model.lmb',
  address: 'address.addr',
  sounds: 'sounds.snd',
  postal: 'postal.pst',
};
const OPTIONAL_BLOBS = ['sounds', 'postal'];
// Speech recognition hands over at most this many alternatives.
const MAX_ALTERNATIVES = 10;
const SPEECH_LANGUAGE = 'zh-TW';
// Below this confidence the bar turns from green to amber.
const LOW_CONFIDENCE = 0.5;
// Typing waits this long for a pause before filtering again.
const TYPING_PAUSE_MS = 250;
const FIELD_ORDER = ['upper', 'lower', 'road', 'section', 'lane', 'alley', 'number', 'place'];
const KALDI_KEY = /^(\S+)-(\d+)$/;

const $ = (id) => document.getElementById(id);
const page = {
  vantir: null,
  filters: new Map(),
  runs: 0,
};

function setState(state, message) {
  document.body.dataset.state = state;
  if (message !== undefined) $('status').textContent = message;
}

function showError(error) {
  const box = $('error');
  box.hidden = error === null;
  box.textContent = error === null ? '' : error.message;
}

// Optional blobs the server does not have are left out; anything else that
// fails to arrive is an error of the load.
async function fetchOptional(url) {
  const response = await fetch(url);
  return response.ok ? response.arrayBuffer() : null;
}

async function load() {
  const folder = new URLSearchParams(location.search).get('data') ?? DEFAULT_DATA;
  const base = new URL(folder.endsWith('/') ? folder : `${folder}/`, location.href);
  const sources = {};
  for (const [name, file] of Object.entries(BLOB_FILES)) {
    const url = new URL(file, base);
    sources[name] = OPTIONAL_BLOBS.includes(name) ? await fetchOptional(url) : url;
  }
  const started = performance.now();
  page.vantir = await Vantir.load(sources);
  const seconds = (performance.now() - started) / 1000;
  $('soundAlike').disabled = !page.vantir.has('sounds');
  $('postal').disabled = !page.vantir.has('postal');
  $('run').disabled = false;
  setState('ready', `Data set loaded in ${seconds.toFixed(2)} s (library ${page.vantir.version}, ` +
                    `${(page.vantir.memoryBytes / 1048576).toFixed(0)} MB of module memory).`);
}

// One filter per combination of modes, opened on first use.
function currentFilter() {
  const options = {
    accurate: $('accurate').checked,
    soundAlike: $('soundAlike').checked && !$('soundAlike').disabled,
    postal: $('postal').checked && !$('postal').disabled,
  };
  const key = JSON.stringify(options);
  if (!page.filters.has(key)) page.filters.set(key, page.vantir.filter(options));
  return page.filters.get(key);
}

// Kaldi lines group by utterance id in rank order; plain lines are one
// utterance per block, blocks split by blank lines. '#' lines are comments.
export function utterancesOf(input) {
  const lines = input.split(/\r?\n/).map((line) => line.trim());
  const kept = lines.filter((line) => line !== '' && !line.startsWith('#'));
  if (kept.length > 0 && KALDI_KEY.test(kept[0].split(/[ \t]+/)[0])) {
    const byId = new Map();
    for (const line of kept) {
      const [key, ...fields] = line.split(/[ \t]+/);
      const match = KALDI_KEY.exec(key);
      const id = match ? match[1] : key;
      if (!byId.has(id)) byId.set(id, []);
      byId.get(id).push({ rank: match ? Number(match[2]) : 0, text: fields.join(' ') });
    }
    return [...byId].map(([id, hypotheses]) => ({
      id,
      hypotheses: hypotheses.sort((a, b) => a.rank - b.rank).map((h) => h.text),
    }));
  }
  const utterances = [];
  let block = [];
  for (const line of [...lines, '']) {
    if (line.startsWith('#')) continue;
    if (line !== '') {
      block.push(line.split(/[ \t]+/).join(' '));
    } else if (block.length > 0) {
      utterances.push({ id: `utterance ${utterances.length + 1}`, hypotheses: block });
      block = [];
    }
  }
  return utterances;
}

function element(tag, className, text) {
  const node = document.createElement(tag);
  if (className) node.className = className;
  if (text !== undefined) node.textContent = text;
  return node;
}

// The result text with each field marked; fields stand in the text in order.
function markedAddress(result) {
  const address = element('span', 'address');
  let cursor = 0;
  for (const name of FIELD_ORDER) {
    const field = result.fields[name];
    if (field === undefined) continue;
    const at = result.text.indexOf(field, cursor);
    if (at < 0) continue;
    if (at > cursor) address.append(result.text.slice(cursor, at));
    address.append(element('mark', `f-${name}`, field));
    cursor = at + field.length;
  }
  address.append(result.text.slice(cursor));
  return address;
}

function resultItem(result, rank) {
  const item = element('li', 'result');
  item.dataset.text = result.text;
  item.dataset.confidence = String(result.confidence);
  item.dataset.fields = JSON.stringify(result.fields);
  item.append(element('span', 'rank', `${rank + 1}.`));
  const line = element('div');
  line.append(markedAddress(result));
  if (result.postcode) {
    const code = element('span', 'postcode', result.postcode);
    code.title = `postal ranges: ${result.postal}`;
    line.append(code);
  }
  item.append(line);
  // A tiny confidence is not zero: it reads as "below the last digit shown".
  const percent = result.confidence > 0 && result.confidence < 0.0005
    ? '< 0.1' : (100 * result.confidence).toFixed(1);
  const confidence = element('div', 'confidence', `confidence ${percent} %`);
  const bar = element('div', result.confidence < LOW_CONFIDENCE ? 'bar low' : 'bar');
  const fill = element('span');
  fill.style.width = `${Math.max(0, Math.min(100, 100 * result.confidence))}%`;
  bar.append(fill);
  confidence.append(bar);
  item.append(confidence);
  const heard = result.support === 1 ? '1 hypothesis' : `${result.support} hypotheses`;
  item.append(element('div', 'meta',
                      `${heard}, first at rank ${result.firstRank + 1}; class ${result.resultClass}`));
  return item;
}

function render(outcomes) {
  const container = $('results');
  container.replaceChildren();
  for (const { id, results } of outcomes) {
    const section = element('section', 'utterance');
    section.dataset.id = id;
    section.append(element('h2', null, id));
    const list = element('ol');
    if (results.length === 0) list.append(element('li', 'none', 'no address'));
    results.forEach((result, rank) => list.append(resultItem(result, rank)));
    section.append(list);
    container.append(section);
  }
}

function run() {
  if (page.vantir === null) return;
  setState('busy');
  try {
    const filter = currentFilter();
    const words = document.querySelector('input[name=intake]:checked').value === 'words';
    const started = performance.now();
    const outcomes = utterancesOf($('hypotheses').value).map(({ id, hypotheses }) => ({
      id,
      results: words ? filter.filter(hypotheses, { details: true })
                     : filter.filterText(hypotheses, { details: true }),
    }));
    const ms = performance.now() - started;
    render(outcomes);
    showError(null);
    page.runs += 1;
    document.body.dataset.runs = String(page.runs);
    setState('done', `${outcomes.length} utterance${outcomes.length === 1 ? '' : 's'} ` +
                     `filtered in ${ms.toFixed(1)} ms.`);
  } catch (error) {
    showError(error);
    page.runs += 1;
    document.body.dataset.runs = String(page.runs);
    setState('error');
  }
}

// The browser's own recogniser, where it has one: its alternatives are the N-best list.
function setUpSpeech() {
  const Recognition = globalThis.SpeechRecognition ?? globalThis.webkitSpeechRecognition;
  if (Recognition === undefined) return;
  const button = $('listen');
  button.hidden = false;
  const recognition = new Recognition();
  recognition.lang = SPEECH_LANGUAGE;
  recognition.maxAlternatives = MAX_ALTERNATIVES;
  recognition.interimResults = false;
  recognition.onresult = (event) => {
    const alternatives = [...event.results[0]].map((alternative) => alternative.transcript);
    $('hypotheses').value = alternatives.join('\n');
    document.querySelector('input[name=intake][value=text]').checked = true;
    run();
  };
  recognition.onerror = (event) => showError(new Error(`speech recognition: ${event.error}`));
  recognition.onend = () => button.classList.remove('listening');
  button.addEventListener('click', () => {
    button.classList.add('listening');
    recognition.start();
  });
}

let typing = 0;
$('run').addEventListener('click', run);
$('hypotheses').addEventListener('input', () => {
  clearTimeout(typing);
  typing = setTimeout(run, TYPING_PAUSE_MS);
});
for (const input of document.querySelectorAll('.controls input')) {
  input.addEventListener('change', run);
}
setUpSpeech();
load().then(run, (error) => {
  showError(error);
  setState('error', 'The data set could not be loaded: run `make wasm`, then `make web`.');
});
