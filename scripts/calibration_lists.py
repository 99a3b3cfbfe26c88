#!/usr/bin/env python3
"""Draws N-best lists for fitting and checking the confidence model with a data
set's own generators: the harder kinds of generate_hard.py (a county not heard,
a district dropped, an ending cut short, sections split differently, a numeral
heard as a homophone, words before the address, no hypothesis right) and the
mixed errors of generate.py's first set. A share of the utterances keeps only
its first one to three hypotheses, as a recogniser that lists few alternatives
gives them. The draw is seeded and differs from the committed lists, so that the
lists are held out from everything the filter was tuned on.

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
PER_KIND = 200
MIXED = 600
# generate.py's first set: three or four errors, the right words first a third
# of the time, later half of the time, missing otherwise.
RIGHT_FIRST_SHARE = 0.33
RIGHT_LATER_SHARE = 0.5
# Utterances cut to their best few hypotheses, and the most they keep.
SHORT_SHARE = 0.25
MOST_SHORT = 3


def load_generators(source):
    sys.path.insert(0, str(source))
    import generate  # noqa: E402
    import generate_hard  # noqa: E402
    return generate, generate_hard


def mixed_utterance(rng, base, roads, regions, unique):
    """One utterance the way generate.py draws its first set."""
    address = base.random_address(rng, rng.choice(roads))
    correct = address.words(floor=False)
    hypotheses = []
    wanted = rng.choice([3, 4])
    while len(hypotheses) < wanted:
        words = base.erroneous(rng, rng.choice(base.ERROR_KINDS), address, roads, regions, unique)
        if words and words != correct and words not in hypotheses:
            hypotheses.append(words)
    place = rng.random()
    if place < RIGHT_FIRST_SHARE:
        hypotheses.insert(0, correct)
    elif place < RIGHT_FIRST_SHARE + RIGHT_LATER_SHARE:
        hypotheses.insert(rng.randint(1, len(hypotheses)), correct)
    return address, hypotheses


def draw(source, seed, per_kind, mixed):
    base, hard = load_generators(source)
    rng = random.Random(seed)
    world = hard.World()
    utterances = []
    for kind in hard.KINDS:
        for n in range(1, per_kind + 1):
            address, hypotheses = hard.utterance(rng, kind, world)
            utterances.append((f"{kind}_{n:04d}", address, hypotheses))
    roads = base.read_table("roads.tsv")
    regions = base.read_regions()
    unique = base.unique_districts(regions)
    for n in range(1, mixed + 1):
        address, hypotheses = mixed_utterance(rng, base, roads, regions, unique)
        utterances.append((f"mixed_{n:04d}", address, hypotheses))
    return [(utt, address, shortened(rng, hypotheses)) for utt, address, hypotheses in utterances]


def shortened(rng, hypotheses):
    if rng.random() >= SHORT_SHARE:
        return hypotheses
    return hypotheses[:rng.randint(1, MOST_SHORT)]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--source", type=pathlib.Path, default=pathlib.Path("data/tw"),
                        help="data set folder with generate.py and generate_hard.py")
    parser.add_argument("--out", type=pathlib.Path, required=True)
    parser.add_argument("--seed", type=int, default=SEED)
    parser.add_argument("--per-kind", type=int, default=PER_KIND,
                        help="utterances of each kind of generate_hard.py")
    parser.add_argument("--mixed", type=int, default=MIXED,
                        help="utterances drawn as generate.py draws its first set")
    args = parser.parse_args()
    utterances = draw(args.source.resolve(), args.seed, args.per_kind, args.mixed)
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
