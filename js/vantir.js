// Vantir for browsers and Node: the library's WebAssembly module behind a small
// API of promises, plain arrays and objects. Each loaded data set owns one instance.

const OPTION_ACCURATE = 0x1;
const OPTION_SOUND_ALIKE = 0x4;
const OPTION_POSTAL = 0x8;

// Result codes the wrapper itself hands out, with the library's meaning.
const CODE_NOT_FOUND = -1;
const CODE_WRONG_STATE = -4;
const CODE_OUT_OF_MEMORY = -10;
const CODE_INVALID_ARGUMENT = -41;
const CODE_BAD_BLOB = -103;
const CODE_RESULT_TABLE_FULL = -1001;

// Result details as the module lays them out (wasm32, little-endian): class,
// confidence (f32), support, first rank, then one {int16 start, int16 length}
// span per field; the postal record is a status and an 8-byte NUL-ended code.
const FIELD_NAMES = ['upper', 'lower', 'road', 'section', 'lane', 'alley', 'number', 'place'];
const INFO_FIELDS_OFFSET = 16;
const INFO_BYTES = INFO_FIELDS_OFFSET + 4 * FIELD_NAMES.length;
const POSTAL_NAMES = ['unknown', 'number', 'road', 'not-found'];
const POSTAL_CODE_OFFSET = 4;
const POSTAL_CODE_BYTES = 8;
const POSTAL_BYTES = POSTAL_CODE_OFFSET + POSTAL_CODE_BYTES;

// A result text's first read goes into a buffer this large; longer ones ask again.
const FIRST_TEXT_BYTES = 512;
// UTF-8 takes at most three bytes for each UTF-16 unit of a well-formed string.
const UTF8_BYTES_PER_UNIT = 3;

const BLOB_NAMES = ['lexicon', 'model', 'address', 'sounds', 'postal'];
const REQUIRED_BLOBS = ['lexicon', 'model', 'address'];
const FILTER_OPTIONS = ['accurate', 'soundAlike', 'postal'];
const CALL_OPTIONS = ['details'];

// A lone surrogate: a JavaScript string that has no UTF-8 form.
const LONE_SURROGATE = /[\uD800-\uDBFF](?![\uDC00-\uDFFF])|(?<![\uD800-\uDBFF])[\uDC00-\uDFFF]/;

const isNode =
  typeof process === 'object' && process !== null && typeof process.versions?.node === 'string';

/** An error of the library or of the arguments it was given; `code` is the library's result code. */
export class VantirError extends Error {
  constructor(message, code) {
    super(message);
    this.name = 'VantirError';
    this.code = code;
  }
}

// Compiled modules by where they came from: a page that loads two data sets compiles once.
const compiled = new Map();

function defaultModuleUrl() {
  return new URL('./dist/vantir.wasm', import.meta.url);
}

// Strings without a scheme are file paths in Node and relative URLs in a page.
async function toUrl(source) {
  if (source instanceof URL) return source;
  if (isNode && !/^[a-z][a-z0-9+.-]*:/i.test(source)) {
    const { pathToFileURL } = await import('node:url');
    return pathToFileURL(source);
  }
  const base = globalThis.document?.baseURI ?? globalThis.location?.href;
  return base === undefined ? new URL(source) : new URL(source, base);
}

async function fetchBytes(source, what) {
  let url;
  try {
    url = await toUrl(source);
  } catch (cause) {
    throw new VantirError(`${what}: ${String(source)} is not a URL (${cause.message})`,
                          CODE_INVALID_ARGUMENT);
  }
  if (isNode && url.protocol === 'file:') {
    const { readFile } = await import('node:fs/promises');
    const { fileURLToPath } = await import('node:url');
    const path = fileURLToPath(url);
    try {
      return new Uint8Array(await readFile(path));
    } catch (cause) {
      throw new VantirError(`${what}: cannot read ${path} (${cause.message})`, CODE_NOT_FOUND);
    }
  }
  let response;
  try {
    response = await fetch(url);
  } catch (cause) {
    throw new VantirError(`${what}: cannot fetch ${url.href} (${cause.message})`, CODE_NOT_FOUND);
  }
  if (!response.ok) {
    throw new VantirError(`${what}: ${url.href} answered HTTP ${response.status}`,
                          CODE_NOT_FOUND);
  }
  return new Uint8Array(await response.arrayBuffer());
}

// Bytes given directly are viewed, not copied: they are copied once, into the module.
async function bytesOf(source, what) {
  if (source instanceof ArrayBuffer) return new Uint8Array(source);
  if (ArrayBuffer.isView(source)) {
    return new Uint8Array(source.buffer, source.byteOffset, source.byteLength);
  }
  if (typeof source === 'string' || source instanceof URL) return fetchBytes(source, what);
  throw new VantirError(`${what}: give an ArrayBuffer, a typed array, or a URL`,
                        CODE_INVALID_ARGUMENT);
}

async function compileModule(source) {
  const key = typeof source === 'string' || source instanceof URL ? String(source) : null;
  if (key !== null && compiled.has(key)) return compiled.get(key);
  const compiling = bytesOf(source, 'Vantir.load: wasm').then((bytes) => WebAssembly.compile(bytes));
  if (key !== null) {
    compiled.set(key, compiling);
    compiling.catch(() => compiled.delete(key));
  }
  return compiling;
}

// The module imports one function: the note that its memory grew, after which
// every view of the old buffer is stale. Views are therefore taken per use.
async function instantiate(module) {
  const instance = await WebAssembly.instantiate(module, {
    env: { emscripten_notify_memory_growth: () => {} },
  });
  instance.exports._initialize?.();
  return new Heap(instance.exports);
}

function checkKeys(object, allowed, where) {
  if (object === undefined) return {};
  if (object === null || typeof object !== 'object') {
    throw new VantirError(`${where}: give an object of options`, CODE_INVALID_ARGUMENT);
  }
  for (const key of Object.keys(object)) {
    if (!allowed.includes(key)) {
      throw new VantirError(`${where}: unknown option '${key}' (known: ${allowed.join(', ')})`,
                            CODE_INVALID_ARGUMENT);
    }
  }
  return object;
}

function checkTexts(texts, where) {
  if (!Array.isArray(texts)) {
    throw new VantirError(`${where}: give an array of strings, best first`,
                          CODE_INVALID_ARGUMENT);
  }
  texts.forEach((text, k) => checkText(text, `${where}[${k}]`));
}

function checkText(text, where) {
  if (typeof text !== 'string') {
    throw new VantirError(`${where}: not a string`, CODE_INVALID_ARGUMENT);
  }
  const lone = LONE_SURROGATE.exec(text);
  if (lone !== null) {
    throw new VantirError(`${where}: a lone surrogate at index ${lone.index} has no UTF-8 form`,
                          CODE_INVALID_ARGUMENT);
  }
}

// The module's exports and its memory, with the few moves every call needs.
class Heap {
  constructor(exports) {
    this.x = exports;
    this.encoder = new TextEncoder();
    this.decoder = new TextDecoder('utf-8', { fatal: true });
  }

  get bytes() {
    return new Uint8Array(this.x.memory.buffer);
  }

  get view() {
    return new DataView(this.x.memory.buffer);
  }

  alloc(size, what) {
    const at = this.x.malloc(Math.max(size, 1));
    if (at === 0) {
      throw new VantirError(`${what}: ${this.message(CODE_OUT_OF_MEMORY)}`, CODE_OUT_OF_MEMORY);
    }
    return at;
  }

  free(at) {
    if (at !== 0) this.x.free(at);
  }

  copyIn(bytes, what) {
    const at = this.alloc(bytes.length, what);
    this.bytes.set(bytes, at);
    return at;
  }

  // Writes the UTF-8 form of each text one after the other in one block:
  // {block, spans: [[at, length]...]}; the caller frees the block.
  encodeAll(texts, what) {
    let room = 0;
    for (const text of texts) room += text.length * UTF8_BYTES_PER_UNIT;
    const block = this.alloc(room, what);
    const spans = [];
    let at = block;
    const bytes = this.bytes;
    for (const text of texts) {
      const { written } = this.encoder.encodeInto(text, bytes.subarray(at, block + room));
      spans.push([at, written]);
      at += written;
    }
    return { block, spans };
  }

  decode(at, length) {
    return this.decoder.decode(this.bytes.subarray(at, at + length));
  }

  cString(at) {
    const bytes = this.bytes;
    let end = at;
    while (bytes[end] !== 0) end += 1;
    return this.decode(at, end - at);
  }

  message(code) {
    return this.cString(this.x.Vantir_ErrorMessage(code));
  }

  fail(where, code) {
    return new VantirError(`${where} (code ${code}: ${this.message(code)})`, code);
  }
}

/** A data set loaded into its own WebAssembly instance; open filters on it. */
export class Vantir {
  #heap;
  #set;
  #filters = new Set();
  #blobs;

  constructor(token, heap, set, blobs) {
    if (token !== constructing) {
      throw new VantirError('new Vantir(): use await Vantir.load({...})', CODE_WRONG_STATE);
    }
    this.#heap = heap;
    this.#set = set;
    this.#blobs = blobs;
  }

  /**
   * Loads and checks a data set: lexicon, model and address blobs, with the
   * sounds and postal blobs when given, each an ArrayBuffer, a typed array or a URL.
   */
  static async load(sources = {}) {
    checkKeys(sources, [...BLOB_NAMES, 'wasm'], 'Vantir.load');
    for (const name of REQUIRED_BLOBS) {
      if (sources[name] === undefined || sources[name] === null) {
        throw new VantirError(`Vantir.load: the ${name} blob is missing`, CODE_INVALID_ARGUMENT);
      }
    }
    const given = BLOB_NAMES.filter((name) => sources[name] !== undefined && sources[name] !== null);
    const [module, ...bytes] = await Promise.all([
      compileModule(sources.wasm ?? defaultModuleUrl()),
      ...given.map((name) => bytesOf(sources[name], `Vantir.load: ${name}`)),
    ]);
    const heap = await instantiate(module);
    const blobs = Object.fromEntries(given.map((name, k) => [name, bytes[k]]));
    return new Vantir(constructing, heap, openSet(heap, blobs), new Set(given));
  }

  /** The library's version, "MAJOR.MINOR.PATCH". */
  get version() {
    return this.#heap.cString(this.#heap.x.Vantir_Version());
  }

  /** Bytes of WebAssembly memory this data set's instance holds. */
  get memoryBytes() {
    return this.#heap.x.memory.buffer.byteLength;
  }

  /** Whether the set has the blob named: 'sounds' or 'postal' (the others always). */
  has(blob) {
    return this.#blobs.has(blob);
  }

  /** A filter on this set; close it when done. */
  filter(options = {}) {
    const { accurate = false, soundAlike = false, postal = false } =
      checkKeys(options, FILTER_OPTIONS, 'filter');
    this.#checkOpen('filter');
    if (soundAlike && !this.#blobs.has('sounds')) {
      throw new VantirError('filter: soundAlike needs the sounds blob (sounds.snd) in Vantir.load',
                            CODE_WRONG_STATE);
    }
    if (postal && !this.#blobs.has('postal')) {
      throw new VantirError('filter: postal needs the postal blob (postal.pst) in Vantir.load',
                            CODE_WRONG_STATE);
    }
    const bits = (accurate ? OPTION_ACCURATE : 0) | (soundAlike ? OPTION_SOUND_ALIKE : 0) |
                 (postal ? OPTION_POSTAL : 0);
    const heap = this.#heap;
    const error = heap.alloc(4, 'filter');
    try {
      const session = heap.x.Vantir_OpenSession(this.#set, bits, error);
      if (session === 0) throw heap.fail('filter: no session', heap.view.getInt32(error, true));
      try {
        const filter = new Filter(constructing, heap, session, this.#blobs.has('postal'),
                                  () => this.#filters.delete(filter));
        this.#filters.add(filter);
        return filter;
      } catch (failure) {
        heap.x.Vantir_Release(session);
        throw failure;
      }
    } finally {
      heap.free(error);
    }
  }

  /** Closes every filter of the set, then the set. A second call does nothing. */
  close() {
    if (this.#set === 0) return;
    for (const filter of [...this.#filters]) filter.close();
    this.#heap.x.Vantir_CloseDataSet(this.#set);
    this.#set = 0;
  }

  #checkOpen(where) {
    if (this.#set === 0) {
      throw new VantirError(`${where}: the data set is closed`, CODE_WRONG_STATE);
    }
  }
}

// Guards the constructors: instances come from Vantir.load and Vantir#filter.
const constructing = Symbol('constructing');

// Copies the blobs in, opens the set and frees the copies (the set keeps its own).
function openSet(heap, blobs) {
  const copies = {};
  const error = heap.alloc(4, 'Vantir.load');
  try {
    for (const [name, bytes] of Object.entries(blobs)) {
      copies[name] = heap.copyIn(bytes, `Vantir.load: ${name}`);
      if (heap.x.Vantir_VerifyBlob(copies[name], bytes.length) !== 0) {
        throw heap.fail(`Vantir.load: ${name}: damaged, or not a Vantir blob`, CODE_BAD_BLOB);
      }
    }
    const arg = (name) => [copies[name] ?? 0, blobs[name]?.length ?? 0];
    const set = heap.x.Vantir_OpenDataSetFromMemory(
      ...arg('lexicon'), ...arg('model'), ...arg('address'), ...arg('sounds'), ...arg('postal'),
      error);
    if (set === 0) {
      const code = heap.view.getInt32(error, true);
      const why = code === CODE_BAD_BLOB ? ': a blob of another kind, or of another set' : '';
      throw heap.fail(`Vantir.load: the blobs do not form one data set${why}`, code);
    }
    return set;
  } finally {
    for (const at of Object.values(copies)) heap.free(at);
    heap.free(error);
  }
}

/** One session of a data set: filters utterances one at a time. */
export class Filter {
  #heap;
  #session;
  #postal;
  #onClose;
  #info;
  #text;
  #textBytes = FIRST_TEXT_BYTES;

  constructor(token, heap, session, postal, onClose) {
    if (token !== constructing) {
      throw new VantirError('new Filter(): use Vantir#filter()', CODE_WRONG_STATE);
    }
    this.#heap = heap;
    this.#session = session;
    this.#postal = postal && typeof heap.x.Vantir_GetResultPostal === 'function';
    this.#onClose = onClose;
    this.#info = heap.alloc(Math.max(INFO_BYTES, POSTAL_BYTES), 'filter');
    try {
      this.#text = heap.alloc(this.#textBytes, 'filter');
    } catch (failure) {
      heap.free(this.#info);
      throw failure;
    }
  }

  /** One utterance's hypotheses as lexicon words split by blanks, best first. */
  filter(hypotheses, options) {
    return this.#run(hypotheses, options, 'filter', this.#heap.x.Vantir_AddRecogWordsUtf8);
  }

  /** One utterance's hypotheses as recogniser text, best first. */
  filterText(texts, options) {
    return this.#run(texts, options, 'filterText', this.#heap.x.Vantir_AddRecogTextUtf8);
  }

  /** The lexicon words a text splits into, as the text intake reads it. */
  segment(text) {
    this.#checkOpen('segment');
    checkText(text, 'segment: text');
    const heap = this.#heap;
    const { block, spans } = heap.encodeAll([text], 'segment');
    try {
      const [at, length] = spans[0];
      const written = this.#readText('segment', (buffer, capacity) =>
        heap.x.Vantir_SegmentTextUtf8(this.#session, at, length, buffer, capacity));
      return written === '' ? [] : written.split(' ');
    } finally {
      heap.free(block);
    }
  }

  /** Releases the session. A second call does nothing; other calls then fail. */
  close() {
    if (this.#session === 0) return;
    this.#heap.x.Vantir_Release(this.#session);
    this.#heap.free(this.#info);
    this.#heap.free(this.#text);
    this.#session = 0;
    this.#onClose();
  }

  #checkOpen(where) {
    if (this.#session === 0) throw new VantirError(`${where}: the filter is closed`, CODE_WRONG_STATE);
  }

  #run(texts, options, where, add) {
    this.#checkOpen(where);
    const { details = false } = checkKeys(options, CALL_OPTIONS, where);
    checkTexts(texts, where);
    const heap = this.#heap;
    const session = this.#session;
    heap.x.Vantir_Reset(session);
    const { block, spans } = heap.encodeAll(texts, where);
    try {
      spans.forEach(([at, length], k) => {
        const code = add(session, at, length);
        // A full table is no fault of the input: the best texts are already in it.
        if (code < 0 && code !== CODE_RESULT_TABLE_FULL) {
          throw heap.fail(`${where}: hypotheses[${k}]: the filter refused it`, code);
        }
      });
    } finally {
      heap.free(block);
    }
    const count = heap.x.Vantir_GetResultCount(session);
    if (count < 0) throw heap.fail(`${where}: the results could not be listed`, count);
    const results = [];
    for (let index = 0; index < count; index += 1) {
      const text = this.#readText(where, (buffer, capacity) =>
        heap.x.Vantir_GetResultUtf8(session, index, buffer, capacity));
      results.push(details ? this.#details(where, index, text) : text);
    }
    return results;
  }

  // A text that a call writes with the "length, or ask again with length + 1" rule.
  #readText(where, call) {
    const heap = this.#heap;
    let length = call(this.#text, this.#textBytes);
    if (length >= this.#textBytes) {
      heap.free(this.#text);
      this.#textBytes = length + 1;
      this.#text = heap.alloc(this.#textBytes, where);
      length = call(this.#text, this.#textBytes);
    }
    if (length < 0) throw heap.fail(`${where}: no text`, length);
    return heap.decode(this.#text, length);
  }

  #details(where, index, text) {
    const heap = this.#heap;
    const code = heap.x.Vantir_GetResultInfo(this.#session, index, this.#info);
    if (code < 0) throw heap.fail(`${where}: no details of result ${index}`, code);
    const view = heap.view;
    const at = this.#info;
    const fields = {};
    FIELD_NAMES.forEach((name, f) => {
      const start = view.getInt16(at + INFO_FIELDS_OFFSET + 4 * f, true);
      const length = view.getInt16(at + INFO_FIELDS_OFFSET + 4 * f + 2, true);
      if (length > 0) fields[name] = text.substring(start, start + length);
    });
    const result = {
      text,
      confidence: view.getFloat32(at + 4, true),
      resultClass: view.getInt32(at, true),
      support: view.getInt32(at + 8, true),
      firstRank: view.getInt32(at + 12, true),
      fields,
    };
    if (this.#postal) Object.assign(result, this.#postalOf(where, index));
    return result;
  }

  #postalOf(where, index) {
    const heap = this.#heap;
    const code = heap.x.Vantir_GetResultPostal(this.#session, index, this.#info);
    if (code < 0) throw heap.fail(`${where}: no postal standing of result ${index}`, code);
    const status = heap.view.getInt32(this.#info, true);
    return {
      postcode: heap.cString(this.#info + POSTAL_CODE_OFFSET),
      postal: POSTAL_NAMES[status] ?? 'unknown',
    };
  }
}

export default Vantir;
