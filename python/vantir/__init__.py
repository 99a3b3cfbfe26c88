"""Ranked canonical address texts from a speech recogniser's N-best hypotheses.

    import vantir
    vantir.build("data/tw", "out")               # sources -> lexicon.wpb, model.lmb, address.addr
    f = vantir.Filter("out")                      # loads and verifies the three blobs
    f.filter(["臺北市 大安區 忠孝東路 四段", ...])  # one utterance, best first -> list[str]
    f.filter_text(["台北市大安區忠孝東路四段"])     # the same from unsegmented text
    f.filter_many([[...], [...]])                 # many utterances in one call -> list per utterance
    print(f.explain("臺北市 大安區 忠孝東路 四段"))   # what the filter did

The work is done by the C++ library in the extension module vantir._vantir.
"""

from vantir._vantir import Filter, UnknownWordWarning, __version__, build

__all__ = ["Filter", "UnknownWordWarning", "__version__", "build"]
