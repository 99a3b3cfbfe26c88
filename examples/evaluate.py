#!/usr/bin/env python3
"""Accuracy of the filter on a Kaldi N-best file against reference texts.

    python3 examples/evaluate.py --data build/default/data/tw \\
        data/tw/nbest.txt data/tw/ref.txt
    python3 examples/evaluate.py --sources data/tw data/tw/nbest.txt data/tw/ref.txt

The N-best file holds one hypothesis a line, "UTTID-RANK word word ...", rank 1
the recogniser's best; the references "UTTID text". Every utterance is filtered
in the default and in the accurate mode, and the script prints for each mode how
often the first text is the reference (top-1) and how often any text is (any
rank). Texts are compared without blanks, so references are written as the
filter writes addresses (numbers in digits). Start here to evaluate your own
recogniser's output.
"""

import argparse
import sys
import tempfile
import warnings
from collections import defaultdict

from tqdm import tqdm

import vantir


def read_nbest(path):
    """{utterance id: [hypothesis, ...]} best first, from "UTTID-RANK words" lines."""
    ranked = defaultdict(dict)
    with open(path, encoding="utf-8-sig") as lines:
        for number, line in enumerate(lines, 1):
            fields = line.split(maxsplit=1)
            if not fields or fields[0].startswith("#"):
                continue
            utterance, dash, rank = fields[0].rpartition("-")
            if not dash or not utterance or not rank.isdigit():
                raise ValueError(f"{path}:{number}: expected UTTID-RANK, found {fields[0]!r}")
            if int(rank) in ranked[utterance]:
                raise ValueError(f"{path}:{number}: rank {rank} of {utterance} given twice")
            ranked[utterance][int(rank)] = fields[1].strip() if len(fields) > 1 else ""
    return {u: [h for _, h in sorted(ranks.items())] for u, ranks in ranked.items()}


def read_references(path):
    """{utterance id: text} from "UTTID text" lines; blanks inside the text dropped."""
    references = {}
    with open(path, encoding="utf-8-sig") as lines:
        for number, line in enumerate(lines, 1):
            fields = line.split()
            if not fields or fields[0].startswith("#"):
                continue
            if fields[0] in references:
                raise ValueError(f"{path}:{number}: utterance {fields[0]} given twice")
            references[fields[0]] = "".join(fields[1:])
    return references


class Tally:
    def __init__(self):
        self.top = 0
        self.any = 0

    def add(self, results, wanted):
        texts = ["".join(text.split()) for text in results]
        self.top += bool(texts) and texts[0] == wanted
        self.any += wanted in texts


def evaluate(data_dir, nbest, references, show_errors=False, out=None):
    out = out or sys.stdout
    modes = {"default": vantir.Filter(data_dir), "accurate": vantir.Filter(data_dir, accurate=True)}
    tallies = {mode: Tally() for mode in modes}
    missing = [u for u in nbest if u not in references]
    if missing:
        raise ValueError(f"no reference for utterance {missing[0]!r}")
    unknown = 0
    for utterance, hypotheses in tqdm(nbest.items(), unit="utt", disable=None):
        wanted = references[utterance]
        for mode, engine in modes.items():
            with warnings.catch_warnings(record=True) as caught:
                warnings.simplefilter("always", vantir.UnknownWordWarning)
                results = engine.filter(hypotheses)
            unknown += len(caught)
            tallies[mode].add(results, wanted)
            if show_errors and (not results or results[0] != wanted):
                first = results[0] if results else "(none)"
                print(f"{utterance} [{mode}]: wanted {wanted}, got {first}", file=out)

    total = len(nbest)

    def cell(hits):
        return f"{hits:5d} {100.0 * hits / total if total else 0.0:5.1f}%"

    print(f"{'utterances':<18}{total:5d}", file=out)
    print(f"{'':<18}{'default':>12}{'accurate':>14}", file=out)
    print(f"{'top-1':<18}{cell(tallies['default'].top):>12}{cell(tallies['accurate'].top):>14}",
          file=out)
    print(f"{'any rank':<18}{cell(tallies['default'].any):>12}{cell(tallies['accurate'].any):>14}",
          file=out)
    if unknown:
        print(f"({unknown // len(modes)} unknown words were left out)", file=out)
    return tallies


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    where = parser.add_mutually_exclusive_group(required=True)
    where.add_argument("--data", help="directory built by vantir.build or 'vantir build'")
    where.add_argument("--sources", help="source directory to build first (into a temporary one)")
    parser.add_argument("nbest", help="Kaldi N-best file: UTTID-RANK word word ...")
    parser.add_argument("references", help="reference texts: UTTID text")
    parser.add_argument("--show-errors", action="store_true",
                        help="list the utterances whose first text is wrong")
    args = parser.parse_args(argv)
    try:
        nbest = read_nbest(args.nbest)
        references = read_references(args.references)
        if args.data:
            evaluate(args.data, nbest, references, args.show_errors)
        else:
            with tempfile.TemporaryDirectory() as built:
                vantir.build(args.sources, built)
                evaluate(built, nbest, references, args.show_errors)
    except (OSError, ValueError) as error:
        print(f"evaluate.py: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
