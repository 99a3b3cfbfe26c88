# Builds the extension vantir._vantir: the library's sources as a static library
# with the library's own flags (no exceptions, no RTTI, as CMake builds it), then
# the data tooling it reuses (tools/compile and tools/run; not the command line
# of tools/cli) and the bindings, which need both, linked against it.
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


def sources_in(folders):
    found = []
    for folder in folders:
        found += sorted((ROOT / folder).glob("*.cpp"))
    return [str(p.relative_to(ROOT)) for p in found]


INCLUDE_DIRS = [str(ROOT / "include"), str(ROOT)]
VERSION_MACRO = ("VANTIR_VERSION", '"%s"' % version())
# The flags CMake gives the library's objects (CMakeLists.txt, vantir_objects).
LIBRARY_FLAGS = ["-std=c++20", "-fno-exceptions", "-fno-rtti"]


# Compiles on every core (NPY_NUM_BUILD_JOBS=N to choose).
ParallelCompile("NPY_NUM_BUILD_JOBS").install()

setup(
    version=version(),
    packages=["vantir"],
    package_dir={"": "python"},
    package_data={"vantir": ["__init__.pyi", "py.typed"]},
    libraries=[
        (
            "vantir_library",
            {
                "sources": sources_in(LIBRARY_FOLDERS),
                "include_dirs": INCLUDE_DIRS,
                "macros": [VERSION_MACRO],
                "cflags": LIBRARY_FLAGS,
            },
        )
    ],
    ext_modules=[
        Pybind11Extension(
            "vantir._vantir",
            sources_in(TOOLING_FOLDERS + ("python/src",)),
            include_dirs=INCLUDE_DIRS,
            define_macros=[VERSION_MACRO],
            cxx_std=20,
        )
    ],
    cmdclass={"build_ext": build_ext},
    # Beside CMake's build trees, not among them.
    options={"build": {"build_base": "build/setuptools"}},
    zip_safe=False,
)
