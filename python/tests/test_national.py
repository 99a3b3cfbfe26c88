# The national data set of data/tw, built once: every road of its table leads
# to an address, house numbers up to 9,999 and 之 numbers come out as digits
# from words and from text, and the demo lists give the documented texts. A
# source folder without a corpus builds to the blobs the command line builds.
import os
import shutil
import subprocess
import sys

import pytest

import vantir
from conftest import SAMPLE, SOURCE_DIR

NATIONAL = SOURCE_DIR / "data" / "tw"
TOOL = os.environ.get("VANTIR_TOOL")
BLOBS = ("lexicon.wpb", "model.lmb", "address.addr")

sys.path.insert(0, str(SOURCE_DIR / "data"))
from address_words import LARGEST_NUMBER, number_words, read_table  # noqa: E402


@pytest.fixture(scope="module")
def national(tmp_path_factory):
    out = tmp_path_factory.mktemp("national")
    vantir.build(NATIONAL, out)
    return vantir.Filter(out)


def test_every_road_row_leads_to_its_address(national):
    for county, district, road, _ in read_table(NATIONAL / "roads.tsv"):
        assert national.filter([f"{county} {district} {road} 八 號"])[0] == \
            f"{county}{district}{road}8號"


def test_every_house_number_to_9999_composes_to_its_digits(national):
    head = "臺中市 西屯區 臺灣大道 四段"
    for n in range(1, LARGEST_NUMBER + 1):
        spoken = " ".join(number_words(n))
        assert national.filter([f"{head} {spoken} 號"])[0] == f"臺中市西屯區臺灣大道四段{n}號"
    for n in (1005, 1015, 1727, 2020, 9999):
        assert national.filter_text([f"台中市西屯區臺灣大道四段{n}號"])[0] == \
            f"臺中市西屯區臺灣大道四段{n}號"


def test_zhi_numbers_keep_both_numbers(national):
    head = "臺北市 中山區 南京東路 二段"
    text = "臺北市中山區南京東路二段"
    for number, part in ((12, 1), (125, 3), (1005, 12)):
        spoken = " ".join(number_words(number) + ["之"] + number_words(part))
        assert national.filter([f"{head} {spoken} 號"])[0] == f"{text}{number}之{part}號"
        assert national.filter_text([f"{text}{number}之{part}號"])[0] == \
            f"{text}{number}之{part}號"
    assert national.filter([f"{head} 五十 巷 十二 之 一 號"])[0] == f"{text}50巷12之1號"


def test_demo_lists_give_the_documented_texts(national, evaluate_script):
    demo = evaluate_script.read_nbest(NATIONAL / "demo.nbest")
    assert national.filter(demo["demo02"])[0] == "新北市板橋區文化路一段20號"
    assert national.filter(demo["demo03"])[:2] == ["臺北市信義區忠孝東路五段8號",
                                                   "臺北市中正區忠孝東路五段8號"]
    assert national.filter(demo["demo09"])[:2] == ["臺中市西屯區臺灣大道四段1727號",
                                                   "臺中市西屯區臺灣大道四段1005號"]
    assert national.filter(demo["demo10"])[0] == "臺北市中山區南京東路二段125之3號"
    assert national.filter(demo["demo11"])[0] == "新竹市東區大學路1001號"


@pytest.mark.skipif(not TOOL, reason="VANTIR_TOOL names the command-line tool")
def test_a_folder_without_corpus_builds_the_blobs_of_the_tool(tmp_path):
    source = tmp_path / "src"
    source.mkdir()
    for name in ("vocabulary.tsv", "regions.tsv", "roads.tsv", "roads-more.tsv"):
        shutil.copy(SAMPLE / name, source)
    vantir.build(source, tmp_path / "module")
    subprocess.run([TOOL, "build", str(source), "-o", str(tmp_path / "tool")], check=True,
                   capture_output=True)
    for name in BLOBS:
        assert (tmp_path / "module" / name).read_bytes() == (tmp_path / "tool" / name).read_bytes()
    uniform = vantir.Filter(tmp_path / "module")
    assert uniform.filter(["板橋區 文化路 一段 二十 號"])[0] == "新北市板橋區文化路一段20號"
