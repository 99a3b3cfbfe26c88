# Recogniser text instead of words: filter_text and segment through the
# library's text intake, checked against the command-line tool and for errors.
import json
import os
import subprocess
import threading
from concurrent.futures import ThreadPoolExecutor

import pytest

import vantir
from conftest import SAMPLE

TOOL = os.environ.get("VANTIR_TOOL")


@pytest.fixture(scope="module")
def text_nbest(evaluate_script):
    return evaluate_script.read_nbest(SAMPLE / "nbest-text.txt")


@pytest.fixture(scope="module")
def f(data_dir):
    return vantir.Filter(data_dir)


def test_segment_splits_into_lexicon_words(f):
    words = f.segment("台北市大安區忠孝東路四段123號")
    assert words[:3] == ["臺北市", "大安區", "忠孝東路"]
    assert "".join(words).startswith("臺北市大安區忠孝東路四段")
    assert f.segment("") == []
    assert f.segment("。，!?") == []


def test_filter_text_finds_the_sample_addresses(f, text_nbest, references):
    top = sum(bool(r) and r[0] == references[u]
              for u, r in ((u, f.filter_text(h)) for u, h in text_nbest.items()))
    assert top >= 0.8 * len(text_nbest)
    assert f.filter_text(["台北市大安區忠孝東路四段123號"])[0] == "臺北市大安區忠孝東路四段123號"
    assert f.filter_text([]) == []


@pytest.mark.skipif(not TOOL, reason="VANTIR_TOOL names the command-line tool")
def test_same_results_as_the_command_line_tool(data_dir, f, text_nbest):
    listing = subprocess.run([TOOL, "filter", "--text", "--json", "--data", str(data_dir),
                              str(SAMPLE / "nbest-text.txt")], check=True, capture_output=True,
                             text=True).stdout
    expected = {row["utterance"]: row["results"] for row in map(json.loads, listing.splitlines())}
    assert {u: f.filter_text(h) for u, h in text_nbest.items()} == expected


@pytest.mark.skipif(not TOOL, reason="VANTIR_TOOL names the command-line tool")
def test_segment_matches_the_tool(data_dir, f):
    text = "新北市三重區正義北路237巷47號"
    printed = subprocess.run([TOOL, "segment", "--data", str(data_dir), "-"], input=text + "\n",
                             check=True, capture_output=True, text=True).stdout
    assert " ".join(f.segment(text)) == printed.split("\n")[0]


def test_bad_text_input(f):
    with pytest.raises(TypeError, match="not a single str"):
        f.filter_text("台北市")
    with pytest.raises(TypeError):
        f.segment(["台北市"])
    with pytest.raises(ValueError, match="UTF-8"):
        f.filter_text([b"\xff"])
    with pytest.raises(ValueError, match="UTF-8"):
        f.segment(b"\xe8")
    with pytest.raises(ValueError, match="surrogate"):
        f.segment("\ud800")
    long = "台北市大安區忠孝東路四段123號" * 2000
    assert isinstance(f.filter_text([long, "\x00\x01", "🙂" * 50]), list)
    assert isinstance(f.segment(long), list)


def test_threads_get_the_results_of_one_thread(f, text_nbest):
    utterances = list(text_nbest.values())
    expected = [f.filter_text(h) for h in utterances]
    start = threading.Barrier(4)

    def run(_):
        start.wait()
        return [f.filter_text(h) for h in utterances]

    with ThreadPoolExecutor(4) as pool:
        assert all(got == expected for got in pool.map(run, range(4)))
