# Bad input of every kind becomes a Python exception with the library's or the
# tooling's message, and never takes the interpreter down.
import os
import random
import shutil
import signal
import warnings

import pytest

import vantir
from conftest import SAMPLE, SOURCE_DIR

BLOBS = ("lexicon.wpb", "model.lmb", "address.addr")


class TestLoading:
    def test_missing_directory_or_blob_is_file_not_found(self, tmp_path, data_copy):
        with pytest.raises(FileNotFoundError):
            vantir.Filter(tmp_path / "absent")
        (data_copy / "model.lmb").unlink()
        with pytest.raises(FileNotFoundError) as caught:
            vantir.Filter(data_copy)
        assert caught.value.filename.endswith("model.lmb")

    def test_blob_that_is_a_directory_is_an_os_error(self, data_copy):
        (data_copy / "address.addr").unlink()
        (data_copy / "address.addr").mkdir()
        with pytest.raises(IsADirectoryError):
            vantir.Filter(data_copy)

    @pytest.mark.skipif(os.geteuid() == 0, reason="root reads unreadable files")
    def test_unreadable_blob_is_a_permission_error(self, data_copy):
        (data_copy / "lexicon.wpb").chmod(0)
        with pytest.raises(PermissionError):
            vantir.Filter(data_copy)

    @pytest.mark.parametrize("name", BLOBS)
    def test_truncated_blob_is_a_value_error_naming_it(self, data_copy, name):
        blob = data_copy / name
        blob.write_bytes(blob.read_bytes()[:-7])
        with pytest.raises(ValueError, match=name):
            vantir.Filter(data_copy)

    def test_blobs_of_the_wrong_kind_are_refused(self, data_copy):
        shutil.copy(data_copy / "model.lmb", data_copy / "lexicon.wpb")
        with pytest.raises(ValueError, match="lexicon.wpb"):
            vantir.Filter(data_copy)

    def test_blob_of_another_build_is_refused_by_name(self, data_copy, tmp_path):
        """As many words, another corpus: the set identities tell the builds apart."""
        sources = tmp_path / "src"
        shutil.copytree(SAMPLE, sources)
        with open(sources / "corpus.txt", "a", encoding="utf-8") as corpus:
            corpus.write("臺北市 大安區 忠孝東路 四段 八 號\n")
        vantir.build(sources, tmp_path / "other")
        shutil.copy(tmp_path / "other" / "model.lmb", data_copy / "model.lmb")
        with pytest.raises(ValueError, match="model.lmb is of another build"):
            vantir.Filter(data_copy)

    def test_damaged_blobs_never_crash(self, data_dir, tmp_path):
        originals = {name: (data_dir / name).read_bytes() for name in BLOBS}
        chance = random.Random(16)
        for round_ in range(60):
            work = tmp_path / str(round_)
            work.mkdir()
            for name, data in originals.items():
                damaged = bytearray(data)
                if name == BLOBS[round_ % 3]:
                    for _ in range(1 + round_ % 4):
                        damaged[chance.randrange(len(damaged))] = chance.randrange(256)
                (work / name).write_bytes(bytes(damaged))
            try:
                f = vantir.Filter(work)
            except ValueError:
                continue
            with warnings.catch_warnings():
                warnings.simplefilter("ignore")
                assert isinstance(f.filter(["臺北市 大安區 忠孝東路 四段 八 號"]), list)


    @pytest.mark.parametrize("name", BLOBS + ("sounds.snd",))
    def test_a_pipe_or_a_device_for_a_blob_fails_at_once(self, data_copy, name):
        """Refused without waiting for a writer, or reading a device to no end."""
        (data_copy / name).unlink(missing_ok=True)
        if name == "model.lmb":
            os.symlink("/dev/zero", data_copy / name)
            kind = "is a character device"
        else:
            os.mkfifo(data_copy / name)
            kind = "is a pipe"
        signal.alarm(30)  # a load that blocks ends the test run instead of hanging it
        try:
            with pytest.raises(ValueError, match=name + ": " + kind):
                vantir.Filter(data_copy)
        finally:
            signal.alarm(0)

    def test_a_directory_named_sounds_snd_is_named(self, data_copy):
        (data_copy / "sounds.snd").mkdir()
        with pytest.raises(ValueError, match="sounds.snd: is a directory, not a regular file"):
            vantir.Filter(data_copy)


class TestBuild:
    def test_missing_sources_are_file_not_found(self, tmp_path):
        with pytest.raises(FileNotFoundError):
            vantir.build(tmp_path / "absent", tmp_path / "out")
        # A folder without a corpus is complete; its vocabulary is what is missing.
        with pytest.raises(FileNotFoundError) as caught:
            vantir.build(tmp_path, tmp_path / "out")
        assert caught.value.filename.endswith("vocabulary.tsv")
        shutil.copy(SAMPLE / "corpus.txt", tmp_path)
        with pytest.raises(FileNotFoundError) as caught:
            vantir.build(tmp_path, tmp_path / "out")
        assert caught.value.filename.endswith("vocabulary.tsv")

    def test_malformed_source_is_a_value_error_with_file_and_line(self, tmp_path):
        for name in ("vocabulary.tsv", "regions.tsv", "corpus.txt"):
            shutil.copy(SAMPLE / name, tmp_path)
        with open(tmp_path / "vocabulary.tsv", "a", encoding="utf-8") as vocabulary:
            vocabulary.write("壞詞 no-such-role\n")
        with pytest.raises(ValueError, match=r"vocabulary\.tsv:\d+:"):
            vantir.build(tmp_path, tmp_path / "out")
        assert not (tmp_path / "out").exists()

    def test_undecodable_source_is_a_value_error(self, tmp_path):
        for name in ("vocabulary.tsv", "regions.tsv", "corpus.txt"):
            shutil.copy(SAMPLE / name, tmp_path)
        with open(tmp_path / "regions.tsv", "ab") as regions:
            regions.write(b"\xff\xfe\n")
        with pytest.raises(ValueError, match="regions.tsv"):
            vantir.build(tmp_path, tmp_path / "out")

    def test_unwritable_output_is_an_os_error(self, tmp_path):
        (tmp_path / "file").write_text("in the way")
        with pytest.raises(OSError) as caught:
            vantir.build(SAMPLE, tmp_path / "file" / "out")
        assert caught.value.errno is not None, "the system's reason is kept"

    @pytest.mark.parametrize("name", ["regions.tsv", "roads-more.tsv"])
    def test_source_that_is_a_directory_is_an_os_error(self, tmp_path, name):
        sources = tmp_path / "src"
        shutil.copytree(SAMPLE, sources)
        if (sources / name).exists():
            (sources / name).unlink()
        (sources / name).mkdir()
        with pytest.raises(IsADirectoryError):
            vantir.build(sources, tmp_path / "out")
        assert not (tmp_path / "out").exists()

    def test_region_inside_itself_is_a_value_error_naming_the_line(self, tmp_path):
        sources = tmp_path / "src"
        shutil.copytree(SAMPLE, sources)
        lines = (sources / "regions.tsv").read_text(encoding="utf-8").count("\n")
        with open(sources / "regions.tsv", "a", encoding="utf-8") as regions:
            regions.write("臺北市\t臺北市\n")
        with pytest.raises(ValueError, match=rf"regions\.tsv:{lines + 1}: .*same word"):
            vantir.build(sources, tmp_path / "out")

    def test_a_build_killed_while_switching_leaves_the_old_set(self, tmp_path, data_dir):
        """The state a kill between the renames leaves: the new lexicon in place,
        the old blobs kept beside the switch record. Filter loads the old set;
        the next build puts the folder right."""
        out = tmp_path / "out"
        shutil.copytree(data_dir, out)
        old = {name: (out / name).read_bytes() for name in BLOBS}
        record = ["vantir-switch 1"]
        for name in BLOBS:
            kept = f".{name}.old-999999999"
            os.link(out / name, out / kept)
            record.append(f"{name}\t{kept}")
        (out / ".vantir-switch").write_text("\n".join(record) + "\n")
        small = tmp_path / "small"
        vantir.build(SOURCE_DIR / "tests" / "data" / "harbour", small)
        (out / "lexicon.wpb").unlink()
        shutil.copy(small / "lexicon.wpb", out / "lexicon.wpb")
        with warnings.catch_warnings():
            warnings.simplefilter("ignore")
            assert vantir.Filter(out).filter(["臺北市 大安區 忠孝東路 四段 八 號"]) == \
                vantir.Filter(data_dir).filter(["臺北市 大安區 忠孝東路 四段 八 號"])
        vantir.build(SAMPLE, out)
        assert sorted(p.name for p in out.iterdir()) == sorted(BLOBS)
        assert {name: (out / name).read_bytes() for name in BLOBS} == old


class TestFilterInput:
    @pytest.fixture(scope="class")
    def f(self, data_dir):
        return vantir.Filter(data_dir)

    def test_wrong_types_are_type_errors(self, f):
        with pytest.raises(TypeError, match="not a single str"):
            f.filter("臺北市 大安區")
        with pytest.raises(TypeError, match=r"hypotheses\[1\]"):
            f.filter(["臺北市", 7])
        with pytest.raises(TypeError):
            f.filter(None)
        with pytest.raises(TypeError):
            f.explain(["臺北市"])

    def test_undecodable_text_is_a_value_error(self, f):
        with pytest.raises(ValueError, match=r"hypotheses\[0\]: truncated UTF-8"):
            f.filter([b"\xe8\x87"])
        with pytest.raises(ValueError, match="surrogate"):
            f.filter(["臺北市 \udc80"])
        with pytest.raises(ValueError, match="invalid UTF-8"):
            f.explain(b"\xff")

    def test_odd_text_never_crashes(self, f):
        chance = random.Random(7)
        alphabet = "臺北市大安區忠孝東路四段號巷弄 \t\x00\x01\n一二三\U0001F600ab"
        with warnings.catch_warnings():
            warnings.simplefilter("ignore")
            for _ in range(300):
                hypotheses = ["".join(chance.choice(alphabet) for _ in range(chance.randrange(40)))
                              for _ in range(chance.randrange(6))]
                assert isinstance(f.filter(hypotheses), list)
            assert isinstance(f.explain(alphabet), str)

    def test_long_and_many_hypotheses_never_crash(self, f):
        long = " ".join(["臺北市", "大安區", "忠孝東路", "四段", "八", "號"] * 20000)
        assert isinstance(f.filter([long]), list)
        assert isinstance(f.explain(long), str)
        many = f.filter(["臺北市 大安區 忠孝東路 四段 %s 號" % n for n in "一二三四五六七八九十" * 30])
        assert 0 < len(many) <= 128

    def test_a_filter_without_init_is_refused(self):
        class Skipping(vantir.Filter):
            def __init__(self):
                pass

        unmade = vantir.Filter.__new__(vantir.Filter)
        for call in (lambda: unmade.filter(["臺北市"]), lambda: unmade.explain("臺北市"),
                     lambda: unmade.accurate):
            with pytest.raises(TypeError, match="__init__"):
                call()
        with pytest.raises(TypeError, match="__init__"):
            Skipping()

    def test_a_byte_order_mark_and_a_line_break_are_no_part_of_the_words(self, f):
        plain = ["臺北市 大安區 忠孝東路 四段 七 號", "臺北市 大安區"]
        dressed = ["\ufeff" + plain[0] + "\r\n", plain[1] + "\n"]
        with warnings.catch_warnings():
            warnings.simplefilter("error")  # no unknown word
            assert f.filter(dressed) == f.filter(plain)
            assert f.filter([h.encode() for h in dressed]) == f.filter(plain)
            assert f.filter_many([dressed]) == [f.filter(plain)]

    def test_filter_many_names_the_utterance_of_an_error(self, f):
        with pytest.raises(TypeError, match=r"utterances\[1\] must be a list of str.*NoneType"):
            f.filter_many([["臺北市"], None])
        with pytest.raises(TypeError, match=r"utterances\[0\]\[1\]"):
            f.filter_many([["臺北市", 7]])
        with pytest.raises(TypeError, match=r"utterances\[1\]: "):
            f.filter_many([["臺北市"], None], details=True)
        with pytest.raises(ValueError, match=r"utterances\[0\]: "):
            f.filter_many([[b"\xe8\x87"]], details=True)

    def test_warnings_raised_as_errors_leave_the_filter_usable(self, f):
        with warnings.catch_warnings():
            warnings.simplefilter("error")
            with pytest.raises(vantir.UnknownWordWarning):
                f.filter(["zzz 臺北市 大安區"])
        assert f.filter(["臺北市 大安區"]) == ["臺北市大安區"]
