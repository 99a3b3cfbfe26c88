// Types of the Vantir package: data sets loaded into the WebAssembly module,
// filters on them, and what they return.

/** Bytes of a blob, or where to get them: a URL (http, https, or file: in Node) or, in Node, a path. */
export type BlobSource = ArrayBuffer | ArrayBufferView | URL | string;

/** The blobs that `vantir build` writes into a data folder. */
export interface DataSetSources {
  /** lexicon.wpb */
  lexicon: BlobSource;
  /** model.lmb */
  model: BlobSource;
  /** address.addr */
  address: BlobSource;
  /** sounds.snd: needed by sound-alike filters. */
  sounds?: BlobSource | null;
  /** postal.pst: postal ranges, postcodes in the details. */
  postal?: BlobSource | null;
  /** The module itself, when not at dist/vantir.wasm beside vantir.js. */
  wasm?: BlobSource;
}

export interface FilterOptions {
  /** Evidence-based completion, candidate checks and ranking, one spelling per address. */
  accurate?: boolean;
  /** Text intake reads misheard characters as the word that sounds the same; needs sounds. */
  soundAlike?: boolean;
  /** Districts listed and results ranked by the postal ranges; needs postal. */
  postal?: boolean;
}

export type FieldName =
  | 'upper' | 'lower' | 'road' | 'section' | 'lane' | 'alley' | 'number' | 'place';

/** Whether the postal ranges hold the result: see the library's VANTIR_POSTAL_* values. */
export type PostalStanding = 'number' | 'road' | 'not-found' | 'unknown';

export interface Result {
  text: string;
  /** 0..1: the chance that this is the address that was said. */
  confidence: number;
  /** The class the ranking uses, 0..3. */
  resultClass: number;
  /** How many hypotheses of the utterance gave this result. */
  support: number;
  /** 0-based rank of the first hypothesis that gave it. */
  firstRank: number;
  /** The fields present, each as it stands in the text ("四段", "123巷"). */
  fields: Partial<Record<FieldName, string>>;
  /** With a postal blob: the five-digit code of the range, the district's three digits, or "". */
  postcode?: string;
  /** With a postal blob: what the ranges say of the result. */
  postal?: PostalStanding;
}

export interface CallOptions {
  /** Results as objects with their details instead of texts. */
  details?: boolean;
}

/** Every error of the package; `code` is the library's result code (negative). */
export class VantirError extends Error {
  readonly code: number;
}

/** One session of a data set: filters one utterance per call. */
export class Filter {
  private constructor();
  /** Hypotheses as lexicon words separated by blanks, best first; the ranked address texts. */
  filter(hypotheses: readonly string[], options?: CallOptions & { details?: false }): string[];
  filter(hypotheses: readonly string[], options: CallOptions & { details: true }): Result[];
  filter(hypotheses: readonly string[], options?: CallOptions): string[] | Result[];
  /** Hypotheses as recogniser text, best first; the ranked address texts. */
  filterText(texts: readonly string[], options?: CallOptions & { details?: false }): string[];
  filterText(texts: readonly string[], options: CallOptions & { details: true }): Result[];
  filterText(texts: readonly string[], options?: CallOptions): string[] | Result[];
  /** The lexicon words the text intake splits a text into. */
  segment(text: string): string[];
  /** Releases the session; later calls throw. A second close does nothing. */
  close(): void;
}

/** A data set loaded into its own WebAssembly instance. */
export class Vantir {
  private constructor();
  /** Loads and checks the blobs; they must form one set. */
  static load(sources: DataSetSources): Promise<Vantir>;
  /** The library's version, "MAJOR.MINOR.PATCH". */
  readonly version: string;
  /** Bytes of WebAssembly memory the instance holds. */
  readonly memoryBytes: number;
  /** Whether the optional blob was loaded. */
  has(blob: 'sounds' | 'postal' | 'lexicon' | 'model' | 'address'): boolean;
  /** A filter with these modes (all off by default). */
  filter(options?: FilterOptions): Filter;
  /** Closes every filter, then the set. */
  close(): void;
}

export default Vantir;
