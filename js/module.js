// Loading the WebAssembly module and moving bytes and texts in and out of its
// memory; the error every part of the package throws.

// Result codes of the loader, with the library's meaning.
export const CODE_NOT_FOUND = -1;
export const CODE_OUT_OF_MEMORY = -10;
export const CODE_INVALID_ARGUMENT = -41;

// UTF-8 takes at most three bytes for each UTF-16 unit of a well-formed string.
const UTF8_BYTES_PER_UNIT = 3;

// Node's modules are imported only under Node; bundlers are told to leave them be.
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

export function defaultModuleUrl() {
  return new URL('./dist/vantir.wasm', import.meta.url);
}

// Strings without a scheme are file paths in Node and relative URLs in a page.
async function toUrl(source) {
  if (source instanceof URL) return source;
  if (isNode && !/^[a-z][a-z0-9+.-]*:/i.test(source)) {
    const { pathToFileURL } = await import(/* webpackIgnore: true */ 'node:url');
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
    const { readFile } = await import(/* webpackIgnore: true */ 'node:fs/promises');
    const { fileURLToPath } = await import(/* webpackIgnore: true */ 'node:url');
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
export async function bytesOf(source, what) {
  if (source instanceof ArrayBuffer) return new Uint8Array(source);
  if (ArrayBuffer.isView(source)) {
    return new Uint8Array(source.buffer, source.byteOffset, source.byteLength);
  }
  if (typeof source === 'string' || source instanceof URL) return fetchBytes(source, what);
  throw new VantirError(`${what}: give an ArrayBuffer, a typed array, or a URL`,
                        CODE_INVALID_ARGUMENT);
}

export async function compileModule(source) {
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
export async function instantiate(module) {
  const instance = await WebAssembly.instantiate(module, {
    env: { emscripten_notify_memory_growth: () => {} },
  });
  instance.exports._initialize?.();
  return new Heap(instance.exports);
}

// The module's exports and its memory, with the few moves every call needs.
export class Heap {
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
