# Builds the extension vantir._vantir from the library's sources, the data
# tooling it reuses (tools/compile and tools/run; not the command line of
# tools/cli) and the bindings.
import pathlib
import re

from pybind11.setup_helpers import ParallelCompile, Pybind11Extension, build_ext
from setuptools import setup

ROOT = pathlib.Path(__file__).parent.resolve()
# The library's folders, as the top-level CMakeLists.txt adds them.
LIBRARY_FOLDERS = (
    "textutil",
    "mempool",
    "lexicon",
    "bigram",
    "address",
    "segment",
    "filter",
    "host",
)
# The tooling's parts that the module reuses; the command line (tools/cli)
# needs CLI11 and is not part of the module.
TOOLING_FOLDERS = ("tools/compile", "tools/run")


def version():
    text = (ROOT / "CMakeLists.txt").read_text(encoding="utf-8")
    return re.search(r"project\(Vantir VERSION ([0-9.]+)", text).group(1)


def sources():
    found = []
    for folder in LIBRARY_FOLDERS:
        found += sorted((ROOT / folder).glob("*.cpp"))
    for folder in TOOLING_FOLDERS:
        found += sorted((ROOT / folder).glob("*.cpp"))
    found += sorted((ROOT / "python" / "src").glob("*.cpp"))
    return [str(p.relative_to(ROOT)) for p in found]


# Compiles on every core (NPY_NUM_BUILD_JOBS=N to choose).
ParallelCompile("NPY_NUM_BUILD_JOBS").install()

setup(
    version=version(),
    packages=["vantir"],
    package_dir={"": "python"},
    package_data={"vantir": ["__init__.pyi", "py.typed"]},
    ext_modules=[
        Pybind11Extension(
            "vantir._vantir",
            sources(),
            include_dirs=[str(ROOT / "include"), str(ROOT)],
            define_macros=[("VANTIR_VERSION", '"%s"' % version())],
            cxx_std=20,
        )
    ],
    cmdclass={"build_ext": build_ext},
    # Beside CMake's build trees, not among them.
    options={"build": {"build_base": "build/setuptools"}},
    zip_safe=False,
)
