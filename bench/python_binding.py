#!/usr/bin/env python3
"""Per-utterance cost of Filter.filter through Python beside the C calls.

    PYTHONPATH=build/default/python /usr/bin/python3 bench/python_binding.py [--data tw]

All three filter the 120 sample N-best lists of data/tw-sample/nbest.txt: Python
passes the hypotheses as text (split, looked up, converted, GIL released, list
built); "C++" is the same Filter code called from C++ (split, looked up, no
Python objects); "C" calls Vantir_Reset, Vantir_AddRecogResult and
Vantir_GetFilterResult on ids looked up beforehand. CPU time of the thread,
median of the repetitions; the ratios Python / C++ (the binding's own cost) and
Python / C (everything a Python caller pays on top of the library's calls).
filter_many: the same lists, all rounds in one call.
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
    start = time.thread_time()
    for _ in range(rounds):
        for hypotheses in utterances:
            f.filter(hypotheses)
    return (time.thread_time() - start) / (rounds * len(utterances))


def many_seconds(f, utterances, rounds):
    batch = utterances * rounds
    start = time.thread_time()
    f.filter_many(batch)
    return (time.thread_time() - start) / len(batch)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--rounds", type=int, default=50, help="passes over the sample per timing")
    parser.add_argument("--repetitions", type=int, default=5)
    parser.add_argument("--data", default="tw-sample",
                        help="data set under data/ whose nbest.txt is filtered (tw: the national)")
    args = parser.parse_args()
    source = ROOT / "data" / args.data
    utterances = list(read_nbest(source / "nbest.txt").values())
    with tempfile.TemporaryDirectory() as data:
        vantir.build(source, data)
        for accurate in (False, True):
            f = vantir.Filter(data, accurate=accurate)
            python_seconds(f, utterances, 2)  # warm-up
            py = statistics.median(python_seconds(f, utterances, args.rounds)
                                   for _ in range(args.repetitions))
            cpp = statistics.median(f._time_filter_calls(utterances, args.rounds)
                                    for _ in range(args.repetitions))
            c = statistics.median(f._time_c_calls(utterances, args.rounds)
                                  for _ in range(args.repetitions))
            many = statistics.median(many_seconds(f, utterances, args.rounds)
                                     for _ in range(args.repetitions))
            mode = "accurate" if accurate else "default"
            print(f"{mode:9} us/utterance: Python {py * 1e6:6.2f}  C++ {cpp * 1e6:6.2f}"
                  f"  C {c * 1e6:6.2f}   Python/C++ {py / cpp:4.2f}  Python/C {py / c:4.2f}"
                  f"   filter_many {many * 1e6:6.2f} ({1 / many:,.0f}/s, {many / c:4.2f} x C)")


if __name__ == "__main__":
    main()
