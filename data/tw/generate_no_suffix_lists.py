#!/usr/bin/env python3
"""Generates evaluation lists of roads said without their suffix for the
national Taiwan data set: eval/no-suffix-nbest.txt (recogniser text, Kaldi
form) and eval/no-suffix-ref.txt, drawn from the real roads of roads.tsv.

End-to-end recognisers often write a road without its 路, 街 or 大道
(民生東一段 for 民生東路一段). Each utterance is one address and 5 to 10
hypotheses with the slips of generate_lists.py (another number, a county or
district not heard, a section split, words before, a road that sounds like
another, ...), written as text the way make_text_nbest.py writes it (digits,
台 for 臺, full-width digits on some lines). The road is said without its
suffix in the best hypothesis and in most of the others; in about a third of
the utterances in all of them. The utterance id names the kind:

    stem-unique   the stem names one road of the district (no sections)
    stem-section  the same for a road with sections, a section said after it
    stem-county   the district is not heard; the stem names one road of the
                  county, and that road runs through one district
    stem-shared   two roads of the district share the stem (和平路 and 和平街
                  of 中和區); one or two of hypotheses 2 to 5 say the road with
                  its suffix, so a careful reader can tell which one was meant

References are the whole address, as in ref.txt. Roads whose stem holds a
numeral (中山一路) or is shorter than two characters are not drawn: a stem is
never read across a number. Deterministic; run after generate_lists.py:

    python3 data/tw/generate_no_suffix_lists.py
"""

import random
import sys
from collections import defaultdict
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
sys.path.insert(0, str(HERE.parent))
from generate_lists import World, draw_address, slip  # noqa: E402
from make_text_nbest import as_text  # noqa: E402

SEED = 20261208
PER_KIND = 30
MIN_HYPOTHESES = 5
MAX_HYPOTHESES = 10
KINDS = ["stem-unique", "stem-section", "stem-county", "stem-shared"]
# Suffixes in the order a stem is cut from the name: 大道 before 道.
ROAD_SUFFIXES = ("大道", "路", "街", "道")
MIN_STEM = 2
MAX_STEM = 8
NUMERALS = set("零〇一二兩三四五六七八九十百千")
# Share of the utterances whose every hypothesis drops the suffix; in the
# others each hypothesis after the best keeps it with this chance.
ALL_STEM_SHARE = 0.35
SUFFIX_KEPT = 0.2
SLIP_SHARE = 0.7
OPENINGS = [["我", "要", "去"], ["幫我", "導航", "到"], ["請", "到"], ["呃"]]
ATTRIBUTION = ("# Road names: Chunghwa Post 3+2 postal code table (2022-06), "
               "Taiwan Open Government Data License, version 1.0.")


def stem_of(road):
    for suffix in ROAD_SUFFIXES:
        if road.endswith(suffix) and len(road) > len(suffix):
            return road[: -len(suffix)]
    return None


def readable_stem(road):
    stem = stem_of(road)
    return (stem if stem and MIN_STEM <= len(stem) <= MAX_STEM
            and not NUMERALS.intersection(stem) else None)


class Stems:
    """Which roads of a district (and of a county) each stem names."""

    def __init__(self, world):
        self.in_district = defaultdict(set)
        self.in_county = defaultdict(set)
        self.districts_of_road = defaultdict(set)
        for county, district, road, _ in world.roads:
            stem = stem_of(road)
            if stem:
                self.in_district[(county, district, stem)].add(road)
                self.in_county[(county, stem)].add(road)
            self.districts_of_road[(county, road)].add(district)

    def fits(self, kind, row):
        county, district, road, sections = row
        stem = readable_stem(road)
        if stem is None:
            return False
        named = self.in_district[(county, district, stem)]
        if kind == "stem-shared":
            return len(named) > 1
        if len(named) != 1:
            return False
        if kind == "stem-unique":
            return sections == "-"
        if kind == "stem-section":
            return sections != "-"
        return (len(self.in_county[(county, stem)]) == 1
                and len(self.districts_of_road[(county, road)]) == 1)


def without_suffix(words, road):
    return [readable_stem(road) if w == road else w for w in words]


def with_slips(rng, words, address, world):
    """The words with one or two recogniser slips, or as they are."""
    out = list(words)
    if rng.random() < SLIP_SHARE:
        for _ in range(rng.choice([1, 1, 2])):
            out = slip(rng, out, address, world) or out
    return out


def utterance(rng, kind, world, stems):
    while True:
        row = rng.choice(world.roads)
        if stems.fits(kind, row):
            break
    address = draw_address(rng, row, kind)
    heard = address.words(county=kind == "stem-county" or rng.random() < 0.7,
                          district=kind != "stem-county")
    total = rng.randint(MIN_HYPOTHESES, MAX_HYPOTHESES)
    all_stem = kind != "stem-shared" and rng.random() < ALL_STEM_SHARE
    # Hypotheses 2 to 5 that say the road whole in a stem-shared list.
    whole = set(rng.sample(range(1, min(total, 5)), rng.choice([1, 2]))) \
        if kind == "stem-shared" else set()
    hypotheses = []
    tries = 0
    while len(hypotheses) < total and tries < 400:
        tries += 1
        rank = len(hypotheses)
        words = list(heard) if rank == 0 else with_slips(rng, heard, address, world)
        if rank == 0 and rng.random() < 0.3:
            words = rng.choice(OPENINGS) + words
        if kind == "stem-county" and rank > 0 and rng.random() < 0.2:
            words = [w for w in words if w != address.county]
        keep_suffix = rank in whole or (
            kind != "stem-shared" and rank > 0 and not all_stem and rng.random() < SUFFIX_KEPT)
        if not keep_suffix:
            words = without_suffix(words, address.road)
        if words not in hypotheses:
            hypotheses.append(words)
    return address, hypotheses


def main():
    rng = random.Random(SEED)
    world = World()
    stems = Stems(world)
    nbest = ["# Generated by generate_no_suffix_lists.py from roads.tsv: recogniser text "
             "with roads said without their suffix.", ATTRIBUTION]
    refs = ["# Generated by generate_no_suffix_lists.py: reference texts of "
            "no-suffix-nbest.txt.", ATTRIBUTION]
    line = 0
    for kind in KINDS:
        for n in range(1, PER_KIND + 1):
            address, hypotheses = utterance(rng, kind, world, stems)
            uid = f"{kind}_{n:03d}"
            for rank, words in enumerate(hypotheses, 1):
                line += 1
                nbest.append(f"{uid}-{rank} {as_text(words, line)}")
            refs.append(f"{uid} {address.text()}")
    (HERE / "eval").mkdir(exist_ok=True)
    (HERE / "eval" / "no-suffix-nbest.txt").write_text("\n".join(nbest) + "\n", encoding="utf-8")
    (HERE / "eval" / "no-suffix-ref.txt").write_text("\n".join(refs) + "\n", encoding="utf-8")


if __name__ == "__main__":
    main()
