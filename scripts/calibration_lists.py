#!/usr/bin/env python3
"""Draws N-best lists for fitting and checking the confidence model with a data
set's own list generator (generate_lists.py: every kind of recogniser slip it
draws, from a county not heard to no hypothesis right). A share of the
utterances keeps only its first one to three hypotheses, as a recogniser that
lists few alternatives gives them. The draw is seeded and differs from the
committed lists, so that the lists are held out from everything the filter was
tuned on.

    python3 scripts/calibration_lists.py --source data/tw --out build/calibration

writes calibration-nbest.txt and calibration-ref.txt (Kaldi text form, ids
KIND_NNNN) into --out. scripts/calibrate.py fits the model on half of them.
"""

import argparse
import pathlib
import random
import sys

sys.dont_write_bytecode = True  # the generators stay as they are in the source folder

SEED = 20261209
PER_KIND = 160
# Utterances cut to their best few hypotheses, and the most they keep.
SHORT_SHARE = 0.25
MOST_SHORT = 3


def load_generator(source):
    sys.path.insert(0, str(source))
    import generate_lists  # noqa: E402
    return generate_lists


def draw(source, seed, per_kind):
    lists = load_generator(source)
    rng = random.Random(seed)
    world = lists.World()
    utterances = []
    for kind in lists.KINDS:
        for n in range(1, per_kind + 1):
            address, hypotheses = lists.utterance(rng, kind, world)
            utterances.append((f"{kind}_{n:04d}", address, hypotheses))
    return [(utt, address, shortened(rng, hypotheses)) for utt, address, hypotheses in utterances]


def shortened(rng, hypotheses):
    if rng.random() >= SHORT_SHARE:
        return hypotheses
    return hypotheses[:rng.randint(1, MOST_SHORT)]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--source", type=pathlib.Path, default=pathlib.Path("data/tw"),
                        help="data set folder with generate_lists.py")
    parser.add_argument("--out", type=pathlib.Path, required=True)
    parser.add_argument("--seed", type=int, default=SEED)
    parser.add_argument("--per-kind", type=int, default=PER_KIND,
                        help="utterances of each kind of generate_lists.py")
    args = parser.parse_args()
    utterances = draw(args.source.resolve(), args.seed, args.per_kind)
    args.out.mkdir(parents=True, exist_ok=True)
    header = (f"# Drawn by scripts/calibration_lists.py (seed {args.seed}) with the "
              f"generators of {args.source}.\n")
    nbest = [f"{utt}-{rank} " + " ".join(words)
             for utt, _, hypotheses in utterances
             for rank, words in enumerate(hypotheses, start=1)]
    refs = [f"{utt} {address.text()}" for utt, address, _ in utterances]
    (args.out / "calibration-nbest.txt").write_text(header + "\n".join(nbest) + "\n",
                                                    encoding="utf-8")
    (args.out / "calibration-ref.txt").write_text(header + "\n".join(refs) + "\n",
                                                  encoding="utf-8")
    print(f"{len(utterances)} utterances, {len(nbest)} hypotheses in {args.out}")


if __name__ == "__main__":
    main()
