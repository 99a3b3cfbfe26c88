# examples/dask_filter.py on a LocalCluster of two worker processes: the
# national lists cut into partitions, filtered where the Filter was unpickled,
# gathered in input order and printed as `vantir filter` prints them.
import importlib.util
import os
import subprocess

import pytest

import vantir
from conftest import SOURCE_DIR

pytestmark = pytest.mark.filterwarnings("ignore:make_current is deprecated:DeprecationWarning")

distributed = pytest.importorskip("distributed", reason="python3-distributed is not installed")

NATIONAL = SOURCE_DIR / "data" / "tw"


def load_example():
    found = importlib.util.spec_from_file_location("dask_filter",
                                                   SOURCE_DIR / "examples" / "dask_filter.py")
    module = importlib.util.module_from_spec(found)
    found.loader.exec_module(module)
    return module


@pytest.fixture(scope="module")
def national(tmp_path_factory):
    out = tmp_path_factory.mktemp("tw")
    vantir.build(NATIONAL, out)
    return out


@pytest.fixture(scope="module")
def client():
    cluster = distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                       dashboard_address=None)
    with distributed.Client(cluster) as connected:
        yield connected
    cluster.close()


def test_partitions_keep_every_item_in_order():
    example = load_example()
    items = list(range(10))
    for count in (1, 3, 4, 10, 25):
        parts = example.partitions(items, count)
        assert [x for part in parts for x in part] == items
        assert max(map(len, parts)) - min(map(len, parts)) <= 1
    assert example.partitions([], 4) == [[]]


def test_the_cluster_prints_what_vantir_filter_prints(national, client):
    example = load_example()
    nbest = NATIONAL / "nbest.txt"
    results = example.filter_on_cluster(client, national, nbest, partition_count=7)
    lists = example.read_lists(nbest)
    assert [u for u, _ in results] == [u for u, _ in lists]
    f = vantir.Filter(national)
    assert [texts for _, texts in results] == [f.filter(h) for _, h in lists]
    # The workers are other processes: the Filter reached them pickled.
    assert os.getpid() not in client.run(os.getpid).values()
    tool = os.environ.get("VANTIR_TOOL")
    if tool is None:
        pytest.skip("the vantir tool is not built here (VANTIR_TOOL)")
    expected = subprocess.run([tool, "filter", "--data", str(national), str(nbest)],
                              check=True, capture_output=True, text=True).stdout
    assert "".join(example.printed(u, texts) for u, texts in results) == expected


def test_accurate_mode_travels_with_the_filter(national, client):
    example = load_example()
    nbest = NATIONAL / "nbest.txt"
    results = example.filter_on_cluster(client, national, nbest, accurate=True)
    f = vantir.Filter(national, accurate=True)
    assert [texts for _, texts in results] == [f.filter(h) for _, h in example.read_lists(nbest)]
