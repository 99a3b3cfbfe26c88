#!/usr/bin/env python3
"""Generates evaluation lists of the postal ranges for the national Taiwan
data set: eval/postal-nbest.txt (recogniser text, Kaldi form),
eval/postal-ref.txt (the address the ranges give) and eval/postal-codes.txt
(its postcode and the postal standing a result of it has), drawn from the real
range lines of ranges.tsv.

Each utterance is one address said the way its kind names, in every
hypothesis (5 to 8 of them, with the slips of generate_lists.py: a numeral
misheard, a floor, the section split, words after ...), written as text the
way make_text_nbest.py writes it. The utterance id names the kind:

    split-road      no district said, on a road (with its section) that the
                    table splits by house number between districts of the
                    county; the number lies in one of them
    wrong-district  a district said that holds the road and section but not
                    the number, which another district of the county holds
    wrong-section   a district said that holds other sections of the road
                    only; another district of the county holds the section
                    and the number
    lane-code       an address in a lane with range lines of its own, in the
                    district said
    no-range        a number that no district of the county holds on that
                    road; the district said holds the road (as said, not-found)
    no-number       a district and its road with section, no number (road)

References are what the ranges give: the district that holds the number, or
the address as said when none does. Deterministic; run after generate.py:

    python3 data/tw/generate_postal_lists.py
"""

import random
import sys
from collections import defaultdict
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
sys.path.insert(0, str(HERE.parent))
from address_words import number_words  # noqa: E402
from generate_lists import SECTIONS, Address, World, variants  # noqa: E402
from make_text_nbest import as_text  # noqa: E402
from postal_ranges import answer, answer_in, district_codes, read_ranges  # noqa: E402

SEED = 20261208
PER_KIND = 30
MIN_HYPOTHESES = 5
MAX_HYPOTHESES = 8
MAX_NUMBER = 1999
NUMBER_TRIES = 40
KINDS = ["split-road", "wrong-district", "wrong-section", "lane-code", "no-range", "no-number"]
ATTRIBUTION = ("# Postal codes and house-number ranges: Chunghwa Post 3+2 postal code table "
               "(2022-06), Taiwan Open Government Data License, version 1.0.")


class Table:
    """The range lines of the roads the data set can hold, and what the draws ask."""

    def __init__(self, world):
        roads = {road for _, _, road, _ in world.roads}
        self.lines = read_ranges(HERE / "ranges.tsv", roads)
        self.codes = district_codes(self.lines)
        # (county, road, section) -> districts whose lines name it
        self.holders = defaultdict(list)
        for (county, district), by_road in sorted(self.lines.items()):
            for (road, section) in by_road:
                if section < len(SECTIONS):
                    self.holders[(county, road, section)].append(district)
        self.keys = sorted(self.holders)

    def ask(self, county, district, road, section, lane=0, alley=0, number=0):
        return answer(self.lines, self.codes, county, district, road, section, lane, alley,
                      number)

    def holding(self, county, road, section, number, lane=0):
        """Districts of the county whose lines hold the number, with its code."""
        out = []
        for district in self.holders[(county, road, section)]:
            status, code = self.ask(county, district, road, section, lane, 0, number)
            if status == "number":
                out.append((district, code))
        return out

    def road_numbers(self, rng, county, district, road, section):
        """Numbers to try: around the ends of the district's stretches of the road."""
        lines = [r for r in self.lines[(county, district)][(road, section)]
                 if r.lane == 0 and r.alley == 0]
        out = []
        for _ in range(NUMBER_TRIES):
            if not lines:
                break
            r = rng.choice(lines)
            low = max(r.low[0], 1)
            high = min(r.high[0], low + 120, MAX_NUMBER)
            if high >= low:
                out.append(rng.randint(low, high))
        return out


def words_of(county, district, road, section, lane=0, number=0, with_county=True):
    out = ([county] if with_county else []) + ([district] if district else []) + [road]
    if section:
        out.append(SECTIONS[section])
    if lane:
        out += number_words(lane) + ["巷"]
    if number:
        out += number_words(number) + ["號"]
    return out


def text_of(county, district, road, section, lane=0, number=0):
    return (county + district + road + SECTIONS[section] + (f"{lane}巷" if lane else "") +
            (f"{number}號" if number else ""))


def draw(rng, kind, table, world):
    """(heard words, reference text, postcode, status, address) of one utterance."""
    while True:
        county, road, section = rng.choice(table.keys)
        districts = table.holders[(county, road, section)]
        district = rng.choice(districts)
        if kind in ("split-road", "wrong-district") and len(districts) < 2:
            continue
        if kind == "no-number":
            status, code = table.ask(county, district, road, section)
            if status != "road":
                continue
            heard = words_of(county, district, road, section)
            return (heard, text_of(county, district, road, section), code, status,
                    Address((county, district, road), section, 0, 0, 0, 0, 0))
        if kind == "lane-code":
            lanes = [r for r in table.lines[(county, district)][(road, section)]
                     if r.lane and not r.alley and r.lane <= MAX_NUMBER]
            if not lanes:
                continue
            r = rng.choice(lanes)
            number = rng.randint(max(r.low[0], 1), min(r.high[0], max(r.low[0], 1) + 60))
            status, code = table.ask(county, district, road, section, r.lane, 0, number)
            if status != "number":
                continue
            heard = words_of(county, district, road, section, r.lane, number)
            return (heard, text_of(county, district, road, section, r.lane, number), code,
                    status, Address((county, district, road), section, r.lane, 0, number, 0, 0))
        for number in table.road_numbers(rng, county, district, road, section):
            held = table.holding(county, road, section, number)
            address = Address((county, district, road), section, 0, 0, number, 0, 0)
            if kind == "split-road" and len(held) == 1:
                right, code = held[0]
                others = [d for d in districts if d != right]
                if not others:
                    continue
                heard = words_of(county, None, road, section, 0, number)
                return (heard, text_of(county, right, road, section, 0, number), code, "number",
                        address)
            if kind == "wrong-district" and len(held) == 1 and held[0][0] != district:
                right, code = held[0]
                heard = words_of(county, district, road, section, 0, number)
                return (heard, text_of(county, right, road, section, 0, number), code, "number",
                        address)
            if kind == "no-range" and not held:
                status, code = table.ask(county, district, road, section, 0, 0, number)
                heard = words_of(county, district, road, section, 0, number)
                return (heard, text_of(county, district, road, section, 0, number), code,
                        status, address)
        if kind == "wrong-section":
            # A district of the county that has the road, but not this section.
            said = [d for d in world.districts_of(county)
                    if world.has_road(county, d, road) and d not in districts]
            if not said:
                continue
            for number in table.road_numbers(rng, county, district, road, section):
                held = table.holding(county, road, section, number)
                if len(held) != 1:
                    continue
                right, code = held[0]
                wrong = rng.choice(said)
                heard = words_of(county, wrong, road, section, 0, number)
                return (heard, text_of(county, right, road, section, 0, number), code, "number",
                        Address((county, wrong, road), section, 0, 0, number, 0, 0))


def main():
    rng = random.Random(SEED)
    world = World()
    table = Table(world)
    nbest, refs, codes = [], [], []
    line = 0
    for kind in KINDS:
        for n in range(1, PER_KIND + 1):
            heard, reference, code, status, address = draw(rng, kind, table, world)
            total = rng.randint(MIN_HYPOTHESES, MAX_HYPOTHESES)
            others = variants(rng, heard, address, world, total - 1, [heard]) if address else []
            utt = f"{kind}_{n:03d}"
            for rank, words in enumerate([heard] + others, start=1):
                line += 1
                nbest.append(f"{utt}-{rank} " + as_text(words, line))
            refs.append(f"{utt} {reference}")
            codes.append(f"{utt}\t{code}\t{status}")
    head = "# Generated by generate_postal_lists.py from ranges.tsv and roads.tsv"
    (HERE / "eval" / "postal-nbest.txt").write_text(
        f"{head}: recogniser text of addresses the postal ranges decide.\n{ATTRIBUTION}\n" +
        "\n".join(nbest) + "\n", encoding="utf-8")
    (HERE / "eval" / "postal-ref.txt").write_text(
        f"{head}: the address the ranges give.\n{ATTRIBUTION}\n" + "\n".join(refs) + "\n",
        encoding="utf-8")
    (HERE / "eval" / "postal-codes.txt").write_text(
        f"{head}: utterance, postcode and postal standing of the reference.\n{ATTRIBUTION}\n" +
        "\n".join(codes) + "\n", encoding="utf-8")


if __name__ == "__main__":
    main()
