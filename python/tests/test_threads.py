# One Filter shared by many threads gives every thread the results that one
# thread alone gets, in both modes, with explanations running in between.
import threading
from concurrent.futures import ThreadPoolExecutor

import pytest

import vantir

THREADS = 8
ROUNDS = 4


@pytest.mark.parametrize("accurate", [False, True])
def test_threads_get_the_results_of_one_thread(data_dir, nbest, accurate):
    f = vantir.Filter(data_dir, accurate=accurate)
    utterances = list(nbest.values())
    expected = [f.filter(h) for h in utterances]
    start = threading.Barrier(THREADS)

    def run(offset):
        start.wait()
        got = {}
        for round_ in range(ROUNDS):
            order = range(len(utterances))
            # Each thread walks the list from another place, so that different
            # utterances meet in the library at the same time.
            for k in (list(order[offset:]) + list(order[:offset])) if round_ % 2 else reversed(order):
                got.setdefault(k, []).append(f.filter(utterances[k]))
        return got

    with ThreadPoolExecutor(THREADS) as pool:
        runs = list(pool.map(run, [n * len(utterances) // THREADS for n in range(THREADS)]))
    for got in runs:
        for k, results in got.items():
            assert results == [expected[k]] * ROUNDS, f"utterance {k}"


def test_explain_between_filters_changes_nothing(data_dir, nbest):
    f = vantir.Filter(data_dir)
    utterances = list(nbest.values())
    expected = [f.filter(h) for h in utterances]
    report = f.explain(utterances[0][0])
    stop = threading.Event()
    reports = []

    def explain():
        while not stop.is_set():
            reports.append(f.explain(utterances[0][0]))

    explainer = threading.Thread(target=explain)
    explainer.start()
    try:
        with ThreadPoolExecutor(4) as pool:
            got = list(pool.map(f.filter, utterances * 3))
    finally:
        stop.set()
        explainer.join()
    assert got == expected * 3
    assert reports and all(r == report for r in reports)
