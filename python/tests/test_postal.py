# The postal ranges from Python: postal=True in Filter, Result.postcode and
# Result.postal, and the error that names postal.pst when the data lacks it.
import pickle
import shutil
import warnings

import pytest

import vantir
from conftest import SAMPLE, SOURCE_DIR

NATIONAL = SOURCE_DIR / "data" / "tw"


@pytest.fixture(scope="module")
def postal_dir(tmp_path_factory):
    """The sample sources with the national range lines of its counties."""
    src = tmp_path_factory.mktemp("tw-postal-src")
    for item in SAMPLE.iterdir():
        if item.is_file():
            shutil.copy(item, src / item.name)
    counties = {line.split("\t")[0] for line in (SAMPLE / "regions.tsv").read_text(
        encoding="utf-8").splitlines() if line and not line.startswith("#")}
    lines = [line for line in (NATIONAL / "ranges.tsv").read_text(encoding="utf-8").splitlines()
             if not line.startswith("#") and line.split("\t")[1] in counties]
    (src / "ranges.tsv").write_text("\n".join(lines) + "\n", encoding="utf-8")
    out = tmp_path_factory.mktemp("tw-postal")
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")  # roads of the table that the sample lacks
        vantir.build(src, out)
    assert (out / "postal.pst").exists()
    return out


def test_postal_lists_the_district_the_ranges_give_with_its_postcode(postal_dir):
    ranked = vantir.Filter(postal_dir, postal=True)
    plain = vantir.Filter(postal_dir)
    assert ranked.postal and not plain.postal
    said = "台北市中正區忠孝東路五段8號"
    best, said_district = ranked.filter_text([said], details=True)[:2]
    assert best.text == "臺北市信義區忠孝東路五段8號"
    assert (best.postcode, best.postal) == ("11065", "number")
    assert (said_district.text, said_district.postal) == ("臺北市中正區忠孝東路五段8號", "not-found")
    details = plain.filter_text([said], details=True)
    assert details[0].text == "臺北市中正區忠孝東路五段8號"
    assert details[0].postal == "not-found" and details[0].postcode == "100"


def test_results_answer_their_postal_standing_without_the_option(postal_dir):
    plain = vantir.Filter(postal_dir)
    for result in plain.filter_text(["臺北市大安區忠孝東路四段1號"], details=True):
        assert result.postal in ("number", "road", "not-found", "unknown")
        assert result.postcode == "" or result.postcode.isdigit()


def test_without_postal_blob_results_are_unknown_and_the_option_names_the_file(data_dir):
    result = vantir.Filter(data_dir).filter_text(["臺北市大安區忠孝東路四段1號"], details=True)[0]
    assert (result.postcode, result.postal) == ("", "unknown")
    with pytest.raises(FileNotFoundError, match="postal"):
        vantir.Filter(data_dir, postal=True)


def test_a_postal_filter_pickles_with_its_option(postal_dir):
    restored = pickle.loads(pickle.dumps(vantir.Filter(postal_dir, postal=True)))
    assert restored.postal
