#!/usr/bin/env python3
"""Filters a large N-best file on a dask.distributed cluster.

    python3 examples/dask_filter.py --data OUT big.nbest > big.out
    python3 examples/dask_filter.py --data OUT --scheduler tcp://HOST:8786 big.nbest > big.out

The Kaldi N-best file ("UTTID-RANK words ...") is read here and cut into
partitions of whole utterances; each partition is filtered on a worker with
Filter.filter_many, and the results are gathered in input order and printed as
`vantir filter --data OUT big.nbest` prints them (ranked texts per utterance).

Without --scheduler a LocalCluster of two worker processes runs on this
machine. The Filter travels to the workers as its data folder and options
(it pickles as them): every worker opens and verifies the blobs itself, so the
folder must be at the same absolute path on every worker machine, and the
vantir module installed there (python3-dask and python3-distributed on Debian).
"""

import argparse
import pathlib
import sys

from dask.distributed import Client, LocalCluster

import vantir

# Partitions per worker: enough that a slow worker does not hold up the rest.
PARTITIONS_PER_WORKER = 4


def read_lists(path):
    """[(utterance id, [hypothesis, ...] best first)] in the order the ids first appear."""
    ranked = {}
    with open(path, encoding="utf-8-sig") as lines:
        for number, line in enumerate(lines, 1):
            fields = line.split(maxsplit=1)
            if not fields or fields[0].startswith("#"):
                continue
            utterance, dash, rank = fields[0].rpartition("-")
            if not dash or not utterance or not rank.isdigit() or int(rank) < 1:
                raise ValueError(f"{path}:{number}: expected UTTID-RANK, found {fields[0]!r}")
            hypotheses = ranked.setdefault(utterance, {})
            if int(rank) in hypotheses:
                raise ValueError(f"{path}:{number}: rank {rank} of {utterance} given twice")
            hypotheses[int(rank)] = fields[1].strip() if len(fields) > 1 else ""
    return [(u, [h for _, h in sorted(ranks.items())]) for u, ranks in ranked.items()]


def partitions(items, count):
    """The items cut into `count` runs of nearly equal length, in order."""
    count = max(1, min(count, len(items)))
    size, extra = divmod(len(items), count)
    cuts = [0]
    for k in range(count):
        cuts.append(cuts[-1] + size + (1 if k < extra else 0))
    return [items[cuts[k]:cuts[k + 1]] for k in range(count)]


def filter_partition(f, lists):
    """Runs on a worker: the ranked texts of every utterance of the partition."""
    return f.filter_many(lists)


def printed(utterance, texts):
    """One utterance as `vantir filter` prints it."""
    if not texts:
        return f"{utterance}\n  (no address)\n"
    return utterance + "\n" + "".join(f"  {k}. {text}\n" for k, text in enumerate(texts, 1))


def filter_on_cluster(client, data_dir, nbest, accurate=False, partition_count=None):
    """[(utterance id, ranked texts)] of the file, filtered on the client's workers."""
    f = vantir.Filter(data_dir, accurate=accurate)
    lists = read_lists(nbest)
    if partition_count is None:
        workers = max(1, len(client.scheduler_info()["workers"]))
        partition_count = workers * PARTITIONS_PER_WORKER
    parts = partitions(lists, partition_count)
    # One copy of the Filter per worker, pickled as its folder and options.
    shipped = client.scatter(f, broadcast=True)
    futures = [client.submit(filter_partition, shipped, [hypotheses for _, hypotheses in part])
               for part in parts]
    gathered = client.gather(futures)  # in the order of the futures: the input's
    return [(utterance, texts)
            for part, results in zip(parts, gathered)
            for (utterance, _), texts in zip(part, results)]


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("nbest", type=pathlib.Path, help="Kaldi N-best file")
    parser.add_argument("--data", required=True, type=pathlib.Path,
                        help="folder built by vantir build (on every worker)")
    parser.add_argument("--scheduler", help="address of a running scheduler (tcp://HOST:8786); "
                        "without it a LocalCluster of --workers processes")
    parser.add_argument("--workers", type=int, default=2, help="LocalCluster workers")
    parser.add_argument("--partitions", type=int, help="partitions (default: 4 per worker)")
    parser.add_argument("--accurate", action="store_true", help="filter in accurate mode")
    args = parser.parse_args(argv)
    if args.scheduler:
        client = Client(args.scheduler)
        cluster = None
    else:
        cluster = LocalCluster(n_workers=args.workers, threads_per_worker=1, processes=True,
                               dashboard_address=None)
        client = Client(cluster)
    try:
        results = filter_on_cluster(client, args.data.resolve(), args.nbest, args.accurate,
                                    args.partitions)
    finally:
        client.close()
        if cluster is not None:
            cluster.close()
    sys.stdout.writelines(printed(utterance, texts) for utterance, texts in results)


if __name__ == "__main__":
    main()
