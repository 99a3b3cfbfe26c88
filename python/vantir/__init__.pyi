# Type stubs of the vantir package (the extension module vantir._vantir).
import os
from typing import Any, Iterable, Union

__version__: str

_Path = Union[str, os.PathLike[str]]
_Text = Union[str, bytes]

class UnknownWordWarning(UserWarning):
    """A word of a hypothesis that the lexicon does not hold; it was left out."""

def build(src_dir: _Path, out_dir: _Path) -> None:
    """Compile vocabulary.tsv, regions.tsv, the road tables (roads*.tsv) and
    model.arpa or corpus.txt, if any, of src_dir into lexicon.wpb, model.lmb and
    address.addr in out_dir, all or nothing. Without model.arpa or corpus.txt
    every word is equally likely, as with `vantir build`.

    Raises OSError for missing or unreadable sources and unwritable output,
    ValueError (naming file and line) for malformed sources."""

class Filter:
    """Filter over a data directory built by vantir.build; usable from several
    threads at once (filter() releases the GIL)."""

    def __init__(self, data_dir: _Path, accurate: bool = False) -> None:
        """Load and verify lexicon.wpb, model.lmb and address.addr.

        Raises OSError when a blob is missing or unreadable, ValueError when a
        blob is malformed or the three do not belong together."""
    @property
    def accurate(self) -> bool:
        """True when the filter runs in the accurate mode."""
    def filter(self, hypotheses: Iterable[_Text]) -> list[str]:
        """One utterance: hypotheses best first, words separated by blanks.
        Returns the ranked address texts. Unknown words are left out with an
        UnknownWordWarning; ValueError for undecodable bytes."""
    def filter_text(self, hypotheses: Iterable[_Text]) -> list[str]:
        """One utterance as recogniser text, hypotheses best first, words not
        separated; split by the library's text intake. Returns the ranked texts."""
    def filter_many(
        self, utterances: Iterable[Iterable[_Text]], text: bool = False, details: bool = False
    ) -> list[list[str]]:
        """Many utterances in one call, the GIL released while the library
        works: one list of ranked texts per utterance, in order, each what
        filter() (text=True: filter_text()) returns for it. Raises what filter()
        raises for the first utterance refused, naming it; details=True is not
        available yet (NotImplementedError)."""
    def __reduce__(self) -> tuple[Any, ...]:
        """Pickles as the data folder (absolute) and options; unpickling opens
        and verifies the folder's blobs again."""
    def segment(self, text: _Text) -> list[str]:
        """The lexicon words that the text intake splits the text into."""
    def explain(self, hypothesis: _Text) -> str:
        """What the filter does with one hypothesis, one labelled line a step."""
