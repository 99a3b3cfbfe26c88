"""Ranked canonical address texts from a speech recogniser's N-best hypotheses.

    import vantir
    vantir.build("data/tw", "out")               # sources -> lexicon.wpb, model.lmb, address.addr
    f = vantir.Filter("out")                      # loads and verifies the three blobs
    f.filter(["臺北市 大安區 忠孝東路 四段", ...])  # one utterance, best first -> list[str]
    f.filter([...], details=True)                 # -> list[vantir.Result]
    f.filter_text(["台北市大安區忠孝東路四段"])     # the same from unsegmented text
    f.filter_many([[...], [...]])                 # many utterances in one call -> list per utterance
    print(f.explain("臺北市 大安區 忠孝東路 四段"))   # what the filter did

The work is done by the C++ library in the extension module vantir._vantir.
"""

import dataclasses

from vantir._vantir import Filter, UnknownWordWarning, __version__, build


@dataclasses.dataclass(frozen=True)
class Result:
    """One ranked result with its details, as Filter.filter(..., details=True)
    returns it.

    text          the canonical address text
    confidence    0..1, the chance that this is the address that was said
                  (calibrated: of the results given c, about c are right)
    result_class  the rank class (0 address with its lower region, 1 without,
                  2 completed with a listed lower region, 3 bare region or word)
    support       how many hypotheses of the utterance gave this text
    first_rank    0-based rank of the first hypothesis that gave it
    fields        the fields present, as substrings of text, keys among
                  "upper", "lower", "road", "section", "lane", "alley",
                  "number", "place" ("section": "四段", "number": "12之1號")
    postcode      the five-digit postcode of the range that holds the number,
                  else the district's three digits, "" when unknown or when
                  the data folder has no postal.pst
    postal        "number", "road", "not-found" or "unknown": what the postal
                  ranges say of the result's district, road, section and number
    """

    text: str
    confidence: float
    result_class: int
    support: int
    first_rank: int
    fields: dict = dataclasses.field(default_factory=dict)
    postcode: str = ""
    postal: str = "unknown"


__all__ = ["Filter", "Result", "UnknownWordWarning", "__version__", "build"]
