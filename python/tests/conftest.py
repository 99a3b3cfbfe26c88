# Shared fixtures of the Python tests: the sample sources built once into a
# temporary directory, and the sample N-best lists and references.
import importlib.util
import os
import pathlib
import shutil

import pytest

import vantir

SOURCE_DIR = pathlib.Path(os.environ.get("VANTIR_SOURCE_DIR",
                                         pathlib.Path(__file__).resolve().parents[2]))
SAMPLE = SOURCE_DIR / "data" / "tw-sample"


def load_evaluate():
    """examples/evaluate.py as a module: the tests read the samples with it."""
    found = importlib.util.spec_from_file_location("evaluate", SOURCE_DIR / "examples" /
                                                  "evaluate.py")
    module = importlib.util.module_from_spec(found)
    found.loader.exec_module(module)
    return module


@pytest.fixture(scope="session")
def evaluate_script():
    return load_evaluate()


@pytest.fixture(scope="session")
def data_dir(tmp_path_factory):
    out = tmp_path_factory.mktemp("tw")
    vantir.build(SAMPLE, out)
    return out


@pytest.fixture(scope="session")
def nbest(evaluate_script):
    return evaluate_script.read_nbest(SAMPLE / "nbest.txt")


@pytest.fixture(scope="session")
def demo(evaluate_script):
    return evaluate_script.read_nbest(SAMPLE / "demo.nbest")


@pytest.fixture(scope="session")
def references(evaluate_script):
    return evaluate_script.read_references(SAMPLE / "ref.txt")


@pytest.fixture
def data_copy(data_dir, tmp_path):
    """A private copy of the built blobs that a test may damage."""
    copy = tmp_path / "data"
    shutil.copytree(data_dir, copy)
    return copy
