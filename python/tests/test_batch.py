# Filter.filter_many against filter() and filter_text() per utterance, its
# refusals, the GIL it releases, and a Filter's round trip through pickle.
import pickle
import threading
import time
import warnings

import pytest

import vantir
from conftest import SAMPLE, SOURCE_DIR


@pytest.fixture(scope="module")
def text_lists(evaluate_script):
    return evaluate_script.read_nbest(SAMPLE / "nbest-text.txt")


@pytest.fixture(scope="module")
def hard(evaluate_script):
    return evaluate_script.read_nbest(SAMPLE / "hard-nbest.txt")


@pytest.mark.parametrize("accurate", [False, True])
def test_filter_many_gives_what_filter_gives_per_utterance(data_dir, nbest, hard, accurate):
    f = vantir.Filter(data_dir, accurate=accurate)
    utterances = list(nbest.values()) + list(hard.values()) + [[], [""], ["  臺南市  中西區 "]]
    assert f.filter_many(utterances) == [f.filter(u) for u in utterances]


@pytest.mark.parametrize("accurate", [False, True])
def test_filter_many_of_text_gives_what_filter_text_gives(data_dir, text_lists, accurate):
    f = vantir.Filter(data_dir, accurate=accurate)
    utterances = list(text_lists.values()) + [["台南市\t中西區  民生路一段275號", "！！！"], [""]]
    assert f.filter_many(utterances, text=True) == [f.filter_text(u) for u in utterances]


def test_national_lists_alike_in_both_modes(tmp_path, evaluate_script):
    vantir.build(SOURCE_DIR / "data" / "tw", tmp_path)
    lists = list(evaluate_script.read_nbest(SOURCE_DIR / "data" / "tw" / "nbest.txt").values())
    for accurate in (False, True):
        f = vantir.Filter(tmp_path, accurate=accurate)
        assert f.filter_many(lists) == [f.filter(u) for u in lists]


def test_unknown_words_are_warned_of_as_filter_warns(data_dir):
    f = vantir.Filter(data_dir)
    utterances = [["臺南市 某某路 中西區"], ["中西區 不知道"], [b"\xe8\x87\xba\xe5\x8d\x97\xe5\xb8\x82"]]
    with warnings.catch_warnings(record=True) as many:
        warnings.simplefilter("always")
        batch = f.filter_many(utterances)
    with warnings.catch_warnings(record=True) as single:
        warnings.simplefilter("always")
        one_by_one = [f.filter(u) for u in utterances]
    assert batch == one_by_one
    assert [str(w.message) for w in many] == [str(w.message) for w in single]
    assert all(w.category is vantir.UnknownWordWarning for w in many) and len(many) == 2


def test_bad_input_is_refused_naming_the_utterance(data_dir):
    f = vantir.Filter(data_dir)
    assert f.filter_many([]) == []
    with pytest.raises(TypeError, match="not a single str"):
        f.filter_many("臺南市")
    with pytest.raises(TypeError, match=r"utterances\[1\] must be a list"):
        f.filter_many([["臺南市"], "中西區"])
    with pytest.raises(TypeError, match=r"utterances\[0\]\[1\] must be str, not int"):
        f.filter_many([["臺南市", 5]])
    with pytest.raises(ValueError, match=r"utterances\[1\]\[0\]: invalid UTF-8"):
        f.filter_many([["臺南市"], [b"\xff"]])
    with pytest.raises(TypeError, match="__init__"):
        vantir.Filter.__new__(vantir.Filter).filter_many([])


def test_the_gil_is_released_while_the_library_works(data_dir, nbest):
    f = vantir.Filter(data_dir)
    utterances = list(nbest.values()) * 200
    started, done = threading.Event(), threading.Event()
    results = []

    def work():
        started.set()
        results.append(f.filter_many(utterances))
        done.set()

    worker = threading.Thread(target=work)
    worker.start()
    started.wait()
    turns = 0
    while not done.is_set():
        turns += 1
        time.sleep(0.001)
    worker.join()
    # Holding the GIL, the call would have kept this thread asleep to its end.
    assert turns >= 5
    assert results[0][:len(nbest)] == [f.filter(u) for u in nbest.values()]


@pytest.mark.parametrize("accurate", [False, True])
def test_a_filter_pickles_as_its_folder_and_options(data_copy, nbest, accurate):
    f = vantir.Filter(data_copy, accurate=accurate)
    shipped = pickle.dumps(f)
    assert len(shipped) < 1000, "the blobs must not travel, only the folder's name"
    restored = pickle.loads(shipped)
    assert type(restored) is vantir.Filter and restored.accurate == accurate
    lists = list(nbest.values())
    assert restored.filter_many(lists) == f.filter_many(lists)
    # The restored Filter opens and checks the folder again.
    (data_copy / "model.lmb").write_bytes(b"not a model")
    with pytest.raises(ValueError, match="model.lmb"):
        pickle.loads(shipped)


def test_a_pickled_filter_names_its_folder_absolutely(data_dir, monkeypatch):
    monkeypatch.chdir(data_dir.parent)
    f = vantir.Filter(data_dir.name)
    monkeypatch.chdir("/")
    assert pickle.loads(pickle.dumps(f)).filter(["臺南市 中西區 民生路 一段"]) == f.filter(
        ["臺南市 中西區 民生路 一段"])


def test_details_are_those_of_filter_per_utterance(data_dir, nbest):
    for accurate in (False, True):
        f = vantir.Filter(data_dir, accurate=accurate)
        utterances = list(nbest.values())[:20]
        assert f.filter_many(utterances, details=True) == [f.filter(u, details=True)
                                                           for u in utterances]
