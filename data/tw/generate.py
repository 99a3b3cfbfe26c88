#!/usr/bin/env python3
"""Generates the build sources of the national Taiwan data set from the postal
service's road table.

Reads ../roads-tw-postal.tsv (county, district and road text of every postal
code, Chunghwa Post), ../regions-tw.tsv (counties and districts) and words.tsv
(keys, sections, landmarks, filler words), and writes:

    regions.tsv     every county and district pair of ../regions-tw.tsv
    roads.tsv       every road the address grammar can hold, one line per
                    district it runs through, with its sections
    vocabulary.tsv  counties, districts, roads, the numerals of house numbers
                    up to 9,999 and the words of words.tsv, with their tags
    aliases.tsv     what text intake reads as the lexicon writes it: the old
                    county and township names of old-names.tsv as today's
                    (臺北縣板橋市 as 新北市板橋區, 板橋市 as 板橋區, 臺北縣 as
                    新北市) and the characters of look-alikes.tsv (巿 as 市)

No corpus: `vantir build` generates every pair the grammar tests from these
files and gives the model uniform statistics. The output is deterministic (the
postal table's order); run it again after editing the inputs:

    python3 data/tw/generate.py

What the postal table lists besides roads, and what is done with it:

    shared    嘉義市 and 新竹市: their districts share one postcode, so the
              table lists each road under one district. With
              --spread-shared-postcodes a road it lists in one district only
              is held in each district of the city (not in the committed
              tables: it costs the evaluation lists more than it gives;
              docs/DECISIONS.md).
    road      a text ending in 路, 街 or 道 (大道), or one with a numbered
              section (月眉1段): kept. The section ("1段", full-width digits
              too) becomes a section of the road; a village written before a
              road (北龍里中正路, 元中村復興路) is dropped, the road stays in its
              district; digits inside a road name (豐原大道1段五九五街) are
              written as the numerals a recogniser emits.
    lane      a lane or alley named like a road (愛富二街厚生巷, …弄): left
              out. The grammar's lanes are numbered (一百 二十三 巷); a named
              lane would need a word the grammar takes after any road.
    village   a village (介壽村, 成功新村, 港東新邨): left out.
    place     a market, building or housing estate (新市場, 明圓街一棟,
              福音山莊, 龍人社區): left out; the address is on its road.
    locality  a rural place name without a street (社寮, 福德坑, 大厝): left
              out. Many are short words of everyday speech and of other
              places' names (中興, 和平, 新店, 大溪) that a road-like tag would
              let open an address anywhere in the district.
"""

import re
import sys
from collections import Counter
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent))
from address_words import DIGITS, read_table, vocabulary_lines  # noqa: E402

POSTAL_TABLE = HERE.parent / "roads-tw-postal.tsv"
REGIONS_TABLE = HERE.parent / "regions-tw.tsv"
ATTRIBUTION = ("Road names: Chunghwa Post 3+2 postal code table (2022-06), "
               "Taiwan Open Government Data License, version 1.0.")

FULL_WIDTH_DIGITS = str.maketrans("０１２３４５６７８９", "0123456789")
SECTION_WORDS = ["", "一段", "二段", "三段", "四段", "五段", "六段", "七段", "八段", "九段", "十段"]
NUMBERED_SECTION = re.compile(r"^(.+?)(\d+)段$")
# A village name of two characters and 里 or 村 before a road (of three
# characters or more, or one named after a road: 二溪路草).
VILLAGE_BEFORE_ROAD = re.compile(r"^..[里村](.{2,}[路街道]|.+[路街].+)$")
ROAD_ENDINGS = ("路", "街", "道")
LANE_ENDINGS = ("巷", "弄")
VILLAGE_ENDINGS = ("村", "邨")
PLACE_ENDINGS = ("場", "棟", "莊", "城", "社區", "大樓", "國宅", "家園", "花園", "新城")
ZERO_IN_NAME = "零"
# Cities whose districts share one postcode: the postal table lists each road
# under one of their districts only, wherever it runs.
SHARED_POSTCODE_CITIES = ("嘉義市", "新竹市")


def read_regions():
    """The county and district pairs of ../regions-tw.tsv, in table order."""
    return [(row[0], row[1]) for row in read_table(REGIONS_TABLE)]


def spoken_digits(text):
    """ASCII digits inside a road name as a recogniser writes them (1 -> 一, 0 -> 零)."""
    return "".join(ZERO_IN_NAME if ch == "0" else DIGITS[int(ch)] if ch.isdigit() else ch
                   for ch in text)


def classify(text):
    """(kind, road, section) of one road text of the postal table; road and
    section are meaningful for kind "road" only (section 0: none)."""
    text = text.translate(FULL_WIDTH_DIGITS)
    numbered = NUMBERED_SECTION.match(text)
    base, section = (numbered.group(1), int(numbered.group(2))) if numbered else (text, 0)
    village_road = VILLAGE_BEFORE_ROAD.match(base)
    if village_road:
        base = village_road.group(1)
    if base.endswith(ROAD_ENDINGS) or section:
        return "road", spoken_digits(base), section
    if base.endswith(LANE_ENDINGS):
        return "lane", None, 0
    if base.endswith(VILLAGE_ENDINGS):
        return "village", None, 0
    if base.endswith(PLACE_ENDINGS):
        return "place", None, 0
    return "locality", None, 0


def road_rows(regions, spread=False):
    """Road rows (county, district, road, section words) in the postal table's
    order of first appearance, and the count of left-out texts by kind."""
    known = set(regions)
    rows, left_out = {}, Counter()
    for county, district, text in read_table(POSTAL_TABLE):
        kind, road, section = classify(text)
        if kind != "road":
            left_out[kind] += 1
            continue
        if (county, district) not in known:
            raise SystemExit(f"{POSTAL_TABLE.name}: {county} {district} is not in "
                             f"{REGIONS_TABLE.name}")
        if section >= len(SECTION_WORDS):
            raise SystemExit(f"{POSTAL_TABLE.name}: section {section} of {text} has no word")
        sections = rows.setdefault((county, district, road), set())
        if section:
            sections.add(section)
    if spread:
        spread_shared_postcodes(rows, regions)
    table = [(c, d, r, ",".join(SECTION_WORDS[s] for s in sorted(sections)) or "-")
             for (c, d, r), sections in rows.items()]
    return table, left_out


def spread_shared_postcodes(rows, regions):
    """Holds a road of a city whose districts share a postcode in each of its
    districts, when the table lists it in one only; a road it lists in two or
    more is split between them by the table and stays as listed."""
    for city in SHARED_POSTCODE_CITIES:
        districts = [d for c, d in regions if c == city]
        listed = {}
        for (c, d, r), sections in rows.items():
            if c == city:
                listed.setdefault(r, []).append((d, sections))
        for road, places in listed.items():
            if len(places) != 1:
                continue
            for district in districts:
                rows.setdefault((city, district, road), set(places[0][1]))


def alias_rows(regions, words):
    """(written, lexicon's) rows: each old county and township as today's, the
    township alone where its old name is no word of today, the county alone;
    then the look-alike characters."""
    current = {name for pair in regions for name in pair} | words
    rows, seen = [], set()

    def add(written, form):
        if written not in seen and written not in current:
            seen.add(written)
            rows.append((written, form))
    old = read_table(HERE / "old-names.tsv")
    for old_county, old_town, county, district in old:
        add(old_county + old_town, county + district)
    for old_county, old_town, county, district in old:
        add(old_town, district)
        add(old_county, county)
    for written, form in read_table(HERE / "look-alikes.tsv"):
        add(written, form)
    return rows


def write(name, header, lines):
    text = "".join(f"# {line}\n" for line in header) + "".join(line + "\n" for line in lines)
    (HERE / name).write_text(text, encoding="utf-8")


def main():
    regions = read_regions()
    roads, left_out = road_rows(regions, "--spread-shared-postcodes" in sys.argv[1:])
    extra = read_table(HERE / "words.tsv")
    write("regions.tsv", ["Generated by generate.py from ../regions-tw.tsv: county, district."],
          [f"{c}\t{d}" for c, d in regions])
    write("roads.tsv",
          ["Generated by generate.py from ../roads-tw-postal.tsv: every road the address",
           "grammar can hold, one line per district it runs through.",
           ATTRIBUTION,
           "county\tdistrict\troad\tsections"],
          ["\t".join(row) for row in roads])
    write("vocabulary.tsv",
          ["Generated by generate.py from ../regions-tw.tsv, ../roads-tw-postal.tsv and words.tsv.",
           ATTRIBUTION,
           "word\ttags (role names; see data/README.md)"],
          vocabulary_lines(regions, roads, extra, thousands=True))
    words = {line.split("\t")[0] for line in vocabulary_lines(regions, roads, extra, thousands=True)}
    write("aliases.tsv",
          ["Generated by generate.py from old-names.tsv and look-alikes.tsv: text as",
           "written and as the lexicon writes it."],
          [f"{w}\t{f}" for w, f in alias_rows(regions, words)])
    names = {row[2] for row in roads}
    print(f"{len(regions)} region pairs, {len(roads)} road rows, {len(names)} road names; "
          "left out: " + ", ".join(f"{n} {kind}" for kind, n in sorted(left_out.items())))


if __name__ == "__main__":
    main()
