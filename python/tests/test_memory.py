# The module's memory stays flat over many utterances: sessions are reused and
# every run's buffers are given back.
import gc
import os
import warnings

import vantir

UTTERANCES = 10_000
# Slack for the interpreter's own arenas and caches; a leak of 32 bytes
# an utterance would exceed it.
ALLOWED_GROWTH = 256 << 10


def resident_bytes():
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")


def test_memory_is_flat_over_ten_thousand_utterances(data_dir, nbest):
    f = vantir.Filter(data_dir)
    utterances = list(nbest.values())
    noisy = [h + " 嗯嗯x" for h in utterances[0]]  # exercises the unknown-word path

    def run(count):
        with warnings.catch_warnings():
            warnings.simplefilter("ignore")
            for k in range(count):
                f.filter(utterances[k % len(utterances)])
                if k % 100 == 0:
                    f.filter(noisy)
                    f.explain(noisy[0])

    run(2_000)  # warm-up: the session pool, the interpreter's arenas
    gc.collect()
    before = resident_bytes()
    run(UTTERANCES)
    gc.collect()
    assert resident_bytes() - before < ALLOWED_GROWTH
