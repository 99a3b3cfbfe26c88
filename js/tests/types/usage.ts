// How a TypeScript caller uses the package: this must compile under --strict,
// and every line marked @ts-expect-error must be refused by the types.
import Vantir, { Filter, Result, VantirError } from '../../vantir.js';

async function main(): Promise<void> {
  const v: Vantir = await Vantir.load({
    lexicon: 'lexicon.wpb',
    model: new URL('https://example.org/model.lmb'),
    address: new ArrayBuffer(8),
    sounds: new Uint8Array(8),
    postal: null,
  });
  const f: Filter = v.filter({ accurate: true, soundAlike: v.has('sounds') });
  const texts: string[] = f.filter(['臺北市 大安區']);
  const results: Result[] = f.filterText(['台北市大安區'], { details: true });
  const road: string | undefined = results[0]?.fields.road;
  const code: string | undefined = results[0]?.postcode;
  const words: string[] = f.segment('台北市大安區');
  const version: string = v.version;
  console.log(texts, road, code, words, version, v.memoryBytes);
  try {
    f.close();
  } catch (error) {
    if (error instanceof VantirError) console.log(error.code.toFixed(0), error.message);
  }

  // @ts-expect-error the three required blobs
  await Vantir.load({ lexicon: 'lexicon.wpb' });
  // @ts-expect-error an unknown mode
  v.filter({ acurate: true });
  // @ts-expect-error texts come back without details
  const wrong: Result[] = f.filter(['臺北市']);
  // @ts-expect-error hypotheses are an array
  f.filterText('台北市');
  // @ts-expect-error a field the details do not have
  results[0]?.fields.floor;
  // @ts-expect-error instances come from load()
  new Vantir();
  console.log(wrong);
}

void main();
