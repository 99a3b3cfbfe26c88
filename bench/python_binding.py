#!/usr/bin/env python3
"""Per-utterance cost of Filter.filter through Python beside the bare C calls.

    PYTHONPATH=build/default/python /usr/bin/python3 bench/python_binding.py

Both sides filter the 120 sample N-best lists of data/tw/nbest.txt: Python
passes the hypotheses as text (split, looked up, converted, GIL released, list
built); the C side calls Vantir_Reset, Vantir_AddRecogResult and
Vantir_GetFilterResult on ids looked up beforehand. The ratio is the binding's
overhead: Python time / C time, median of the repetitions.
"""

import argparse
import pathlib
import statistics
import sys
import tempfile
import time

import vantir

ROOT = pathlib.Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "examples"))
from evaluate import read_nbest  # noqa: E402


def python_seconds(f, utterances, rounds):
    start = time.perf_counter()
    for _ in range(rounds):
        for hypotheses in utterances:
            f.filter(hypotheses)
    return (time.perf_counter() - start) / (rounds * len(utterances))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--rounds", type=int, default=50, help="passes over the sample per timing")
    parser.add_argument("--repetitions", type=int, default=5)
    args = parser.parse_args()
    utterances = list(read_nbest(ROOT / "data" / "tw" / "nbest.txt").values())
    with tempfile.TemporaryDirectory() as data:
        vantir.build(ROOT / "data" / "tw", data)
        for accurate in (False, True):
            f = vantir.Filter(data, accurate=accurate)
            python_seconds(f, utterances, 2)  # warm-up
            py = statistics.median(python_seconds(f, utterances, args.rounds)
                                   for _ in range(args.repetitions))
            c = statistics.median(f._time_c_calls(utterances, args.rounds)
                                  for _ in range(args.repetitions))
            mode = "accurate" if accurate else "default"
            print(f"{mode:9} Python {py * 1e6:7.2f} us/utterance   C {c * 1e6:7.2f} us/utterance"
                  f"   ratio {py / c:5.2f}")


if __name__ == "__main__":
    main()
