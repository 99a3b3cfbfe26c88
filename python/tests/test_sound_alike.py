# Sound-alike intake from Python: sounds=True in build, sound_alike=True in
# Filter, and the error that names sounds.snd when the data lacks it.
import pathlib
import pickle
import warnings

import pytest

import vantir
from conftest import SAMPLE

UNIHAN = pathlib.Path("/usr/share/unicode/Unihan_Readings.txt.bz2")


@pytest.fixture(scope="module")
def sound_dir(tmp_path_factory):
    if not UNIHAN.exists():
        pytest.skip("Debian's unicode-data is not installed")
    out = tmp_path_factory.mktemp("tw-sounds")
    vantir.build(SAMPLE, out, sounds=True)
    return out


def test_sound_alike_reads_misheard_road_names_and_leaves_clean_text_alone(sound_dir):
    plain = vantir.Filter(sound_dir)
    by_sound = vantir.Filter(sound_dir, sound_alike=True)
    assert by_sound.sound_alike and not plain.sound_alike
    misheard = "台北市大安區中孝東路四段123號"
    assert by_sound.filter_text([misheard])[0] == "臺北市大安區忠孝東路四段123號"
    assert plain.filter_text([misheard])[0] != "臺北市大安區忠孝東路四段123號"
    clean = ["台北市大安區忠孝東路四段123號", "我要去臺北市中正區忠孝東路一段7號"]
    for text in clean:
        assert by_sound.filter_text([text]) == plain.filter_text([text])


def test_sound_alike_without_sounds_blob_names_the_file(data_dir):
    with pytest.raises(FileNotFoundError, match="sounds"):
        vantir.Filter(data_dir, sound_alike=True)


def test_a_build_without_sounds_removes_an_old_sounds_blob(sound_dir, tmp_path):
    out = tmp_path / "out"
    vantir.build(SAMPLE, out, sounds=True)
    assert (out / "sounds.snd").exists()
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        vantir.build(SAMPLE, out)
    assert not (out / "sounds.snd").exists()


def test_a_pickled_filter_keeps_reading_by_sound(sound_dir):
    f = vantir.Filter(sound_dir, accurate=True, sound_alike=True)
    restored = pickle.loads(pickle.dumps(f))
    assert restored.sound_alike and restored.accurate
    texts = [["臺南市中西區民生鹿一段"], ["臺南市中西區民生路一段"]]
    assert restored.filter_many(texts, text=True) == f.filter_many(texts, text=True)
