# Type stubs of the vantir package (the extension module vantir._vantir).
import os
from typing import Any, Iterable, Literal, Union, overload

__version__: str

_Path = Union[str, os.PathLike[str]]
_Text = Union[str, bytes]

class UnknownWordWarning(UserWarning):
    """A word of a hypothesis that the lexicon does not hold; it was left out."""

def build(src_dir: _Path, out_dir: _Path, sounds: bool = False) -> None:
    """Compile vocabulary.tsv, regions.tsv, the road tables (roads*.tsv) and
    model.arpa or corpus.txt, if any, of src_dir into lexicon.wpb, model.lmb and
    address.addr in out_dir, all or nothing; with sounds=True also sounds.snd
    from Debian's Unihan readings (a UserWarning when they are missing). Without model.arpa or corpus.txt
    every word is equally likely, as with `vantir build`.

    Raises OSError for missing or unreadable sources and unwritable output,
    ValueError (naming file and line) for malformed sources."""

class Result:
    """One ranked result with its details (Filter.filter(..., details=True))."""

    text: str
    confidence: float  # 0..1, calibrated: of the results given c, about c are right
    result_class: int  # 0..3, the rank class
    support: int  # hypotheses of the utterance that gave the text
    first_rank: int  # 0-based rank of the first of them
    fields: dict[str, str]  # keys among upper, lower, road, section, lane, alley, number, place
    postcode: str  # five digits of the range, else the district's three, else ""
    postal: str  # "number", "road", "not-found" or "unknown"
    def __init__(self, text: str, confidence: float, result_class: int, support: int,
                 first_rank: int, fields: dict[str, str] = ..., postcode: str = ...,
                 postal: str = ...) -> None: ...

class Filter:
    """Filter over a data directory built by vantir.build; usable from several
    threads at once (filter() releases the GIL)."""

    def __init__(self, data_dir: _Path, accurate: bool = False, sound_alike: bool = False,
                 postal: bool = False) -> None:
        """Load and verify lexicon.wpb, model.lmb and address.addr (and sounds.snd
        and postal.pst when present). sound_alike=True reads misheard characters of
        recogniser text as the word that sounds the same; FileNotFoundError without
        sounds.snd. postal=True lists and ranks districts by the postal ranges;
        FileNotFoundError without postal.pst.

        Raises OSError when a blob is missing or unreadable, ValueError when a
        blob is malformed or the three do not belong together."""
    @property
    def accurate(self) -> bool:
        """True when the filter runs in the accurate mode."""
    @property
    def sound_alike(self) -> bool:
        """True when text intake also reads characters by their sound."""
    @property
    def postal(self) -> bool:
        """True when districts are listed and ranked by the postal ranges."""
    @overload
    def filter(self, hypotheses: Iterable[_Text], details: Literal[False] = ...) -> list[str]: ...
    @overload
    def filter(self, hypotheses: Iterable[_Text], details: Literal[True]) -> list[Result]:
        """One utterance: hypotheses best first, words separated by blanks.
        Returns the ranked address texts, or with details=True a Result for
        each. Unknown words are left out with an UnknownWordWarning; ValueError
        for undecodable bytes."""
    @overload
    def filter_text(self, hypotheses: Iterable[_Text],
                    details: Literal[False] = ...) -> list[str]: ...
    @overload
    def filter_text(self, hypotheses: Iterable[_Text], details: Literal[True]) -> list[Result]:
        """One utterance as recogniser text, hypotheses best first, words not
        separated; split by the library's text intake. Returns the ranked texts,
        or with details=True a Result for each."""
    def filter_many(
        self, utterances: Iterable[Iterable[_Text]], text: bool = False, details: bool = False
    ) -> list[list[str]] | list[list[Result]]:
        """Many utterances in one call, the GIL released while the library
        works: one list of ranked texts per utterance, in order, each what
        filter() (text=True: filter_text()) returns for it. Raises what filter()
        raises for the first utterance refused, naming it; with details=True
        a list of Result per utterance."""
    def __reduce__(self) -> tuple[Any, ...]:
        """Pickles as the data folder (absolute) and options; unpickling opens
        and verifies the folder's blobs again."""
    def segment(self, text: _Text) -> list[str]:
        """The lexicon words that the text intake splits the text into."""
    def explain(self, hypothesis: _Text) -> str:
        """What the filter does with one hypothesis, in the Filter's mode, one
        labelled line a step."""
