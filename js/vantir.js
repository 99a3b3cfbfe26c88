// Vantir for browsers and Node: the library's WebAssembly module behind a small
// API of promises, plain arrays and objects. Each loaded data set owns one instance.
import {
  CODE_INVALID_ARGUMENT, VantirError, bytesOf, compileModule, defaultModuleUrl, instantiate,
} from './module.js';

export { VantirError };

// Session options (VANTIR_OPTION_*).
const OPTION_ACCURATE = 0x1;
const OPTION_SOUND_ALIKE = 0x4;
const OPTION_POSTAL = 0x8;

// Result codes the wrapper itself hands out, with the library's meaning.
const CODE_WRONG_STATE = -4;
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

const BLOB_NAMES = ['lexicon', 'model', 'address', 'sounds', 'postal'];
const REQUIRED_BLOBS = ['lexicon', 'model', 'address'];
const FILTER_OPTIONS = ['accurate', 'soundAlike', 'postal'];
const CALL_OPTIONS = ['details'];

// A lone surrogate: a JavaScript string that has no UTF-8 form.
const LONE_SURROGATE = /[\uD800-\uDBFF](?![\uDC00-\uDFFF])|(?<![\uD800-\uDBFF])[\uDC00-\uDFFF]/;

// An options object with only the keys allowed: a misspelt option is an error,
// not a silent default.
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
