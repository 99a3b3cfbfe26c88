# The sample data from sources to ranked texts through the module, checked
# against the documented demo results and against the command-line tool.
import json
import os
import subprocess
import warnings

import pytest

import vantir
from conftest import SAMPLE

TOOL = os.environ.get("VANTIR_TOOL")


def test_version_and_api():
    assert vantir.__version__.count(".") == 2
    assert callable(vantir.build)
    assert "hypotheses" in vantir.Filter.filter.__doc__
    assert issubclass(vantir.UnknownWordWarning, UserWarning)


def test_build_writes_the_three_blobs(data_dir):
    for name in ("lexicon.wpb", "model.lmb", "address.addr"):
        assert (data_dir / name).stat().st_size > 64


def test_demo_utterances_give_the_documented_texts(data_dir, demo):
    f = vantir.Filter(data_dir)
    assert f.filter(demo["demo01"])[:2] == ["臺北市大安區忠孝東路四段123巷5弄7號",
                                            "臺北市大安區忠孝東路四段123巷"]
    assert f.filter(demo["demo02"])[:2] == ["新北市板橋區文化路一段20號", "新北市板橋區文化路一段"]
    assert f.filter(demo["demo03"])[:2] == ["臺北市信義區忠孝東路五段8號",
                                            "臺北市中正區忠孝東路五段8號"]


def test_sample_accuracy_in_both_modes(data_dir, nbest, references):
    for accurate in (False, True):
        f = vantir.Filter(data_dir, accurate=accurate)
        assert f.accurate is accurate
        top = sum(bool(r) and r[0] == references[u]
                  for u, r in ((u, f.filter(h)) for u, h in nbest.items()))
        assert top >= 0.9 * len(nbest)


@pytest.mark.skipif(not TOOL, reason="VANTIR_TOOL names the command-line tool")
def test_same_results_as_the_command_line_tool(data_dir, nbest):
    listing = subprocess.run([TOOL, "filter", "--json", "--data", str(data_dir),
                              str(SAMPLE / "nbest.txt")], check=True, capture_output=True,
                             text=True).stdout
    expected = {row["utterance"]: row["results"] for row in map(json.loads, listing.splitlines())}
    f = vantir.Filter(data_dir)
    assert {u: f.filter(h) for u, h in nbest.items()} == expected


@pytest.mark.skipif(not TOOL, reason="VANTIR_TOOL names the command-line tool")
def test_explain_prints_what_the_tool_prints(data_dir):
    hypothesis = "我 要 去 臺北市 萬華區 忠孝東路 五段 八 號 三 樓"
    printed = subprocess.run([TOOL, "explain", "--data", str(data_dir), hypothesis], check=True,
                             capture_output=True, text=True).stdout
    assert vantir.Filter(data_dir).explain(hypothesis) == printed


def test_explain_shows_the_decisions(data_dir):
    report = vantir.Filter(data_dir).explain("我 要 去 臺北市 萬華區 忠孝東路 五段 八 號 三 樓")
    labels = [line.split()[0] for line in report.splitlines() if line and not line[0].isspace()]
    for label in ("hypothesis", "start", "head", "trigger", "completion", "dropped", "kept",
                  "text", "candidates", "intake", "results"):
        assert label in labels
    assert "1. 臺北市中正區忠孝東路五段8號" in report


def test_unknown_words_are_left_out_with_a_warning(data_dir, demo):
    f = vantir.Filter(data_dir)
    clean = demo["demo01"]
    noisy = [h.replace("臺北市", "臺北市 嗯嗯") for h in clean]
    with pytest.warns(vantir.UnknownWordWarning, match="嗯嗯"):
        assert f.filter(noisy) == f.filter(clean)
    with pytest.warns(vantir.UnknownWordWarning, match="zzz"):
        assert "kept" in f.explain("zzz 臺北市")


def test_empty_input_gives_no_texts(data_dir):
    f = vantir.Filter(data_dir)
    assert f.filter([]) == []
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        assert f.filter(["", "   ", "\t"]) == []
    assert isinstance(f.explain(""), str)


def test_hypotheses_may_be_any_iterable_and_bytes(data_dir, demo):
    f = vantir.Filter(data_dir)
    expected = f.filter(demo["demo02"])
    assert f.filter(tuple(demo["demo02"])) == expected
    assert f.filter(h for h in demo["demo02"]) == expected
    assert f.filter([h.encode() for h in demo["demo02"]]) == expected


def test_filter_accepts_path_objects(data_dir):
    assert vantir.Filter(str(data_dir)).filter(["新北市 三重區"]) == \
        vantir.Filter(data_dir).filter(["新北市 三重區"])


def test_evaluate_script_prints_both_modes(data_dir, evaluate_script, capsys):
    assert evaluate_script.main(["--data", str(data_dir), str(SAMPLE / "nbest.txt"),
                                 str(SAMPLE / "ref.txt")]) == 0
    out = capsys.readouterr().out.splitlines()
    assert out[0].split() == ["utterances", "120"]
    assert out[1].split() == ["default", "accurate"]
    assert out[2].split()[0] == "top-1" and out[3].split()[:2] == ["any", "rank"]
