#!/usr/bin/env python3
"""Generates evaluation lists from real addresses: the addresses of Taiwan's
public institutions and pharmacies in ../real-addresses-tw.tsv, as the
agencies wrote them and as a text recogniser writes them when they are said.

Each address with a house number that this script can read against the road
table (roads.tsv, regions.tsv, old-names.tsv) becomes one utterance of three
lists, under the same id:

    real-written-nbest.txt   the address exactly as written (one hypothesis)
    real-said-nbest.txt      as a recogniser writes it when said: numbers in
                             Chinese numerals (二 or 兩 before 百 and 千 at
                             random), N-M號 said N之M號, brackets and
                             punctuation not said (one hypothesis)
    real-slips-nbest.txt     five hypotheses of the said form, each but one
                             with recogniser slips (a numeral heard as a
                             homophone, another digit, county or district not
                             heard, ending cut short, a word before it); the
                             slip-free one at a random rank
    real-ref.txt             the reference of each utterance

The utterance id names the address's category (`vantir eval` reports per
category), the first that applies:

    no-road        a village or place and a house number, no road
                   (連江縣南竿鄉復興村217號); reference: county, district,
                   village, number
    named-lane     a road and a named lane (…街厚生巷3號); reference keeps
                   the lane's name
    old-name       an old county or township name (桃園縣中壢市, 臺北縣板橋市);
                   reference: today's county and district
    before-road    a village, neighbourhood (N鄰) or other place between the
                   district and the road; reference leaves them out
    number-shape   a house number written as a hyphen number (40-7號), several
                   numbers (9、11號), Chinese numerals (卅六, 八０, 二百) or
                   with 號之N; reference: the first number, N-M號 as N之M號,
                   N號之M and N號-M as N號
    road           anything else: county, district, road, section, lane,
                   alley, number

References are navigation destinations as in ref.txt: county, district, road,
section in Chinese numerals, lane, alley and number in digits, no floor. A
district the written text leaves out is taken from the source's postcode, or
from the road when it lies in one district of the county; addresses where
neither tells it, or whose road is not in the road table, are left out and
counted. Deterministic:

    python3 data/tw/generate_real_lists.py            # the committed sample
    python3 data/tw/generate_real_lists.py --all DIR  # every address, into DIR
"""

import argparse
import random
import re
import sys
from collections import Counter, defaultdict
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent))
from address_words import read_table  # noqa: E402

SEED = 20261208
SAMPLE_PER_CATEGORY = 150
HYPOTHESES = 5
CATEGORIES = ["no-road", "named-lane", "old-name", "before-road", "number-shape", "road"]
SECTION_WORDS = ["", "一", "二", "三", "四", "五", "六", "七", "八", "九", "十"]
DIGIT_WORDS = "零一二三四五六七八九"
NUMERAL_VALUE = {"零": 0, "〇": 0, "○": 0, "一": 1, "ㄧ": 1, "二": 2, "兩": 2, "三": 3, "四": 4,
                 "五": 5, "六": 6, "七": 7, "八": 8, "九": 9}
PLACE_VALUE = {"十": 10, "百": 100, "千": 1000, "廿": 20, "卅": 30, "卌": 40}
NUMBER_CHARS = "0123456789" + "".join(NUMERAL_VALUE) + "".join(PLACE_VALUE)
NUM = f"[{NUMBER_CHARS}]+"
FOLD = str.maketrans({"台": "臺", "巿": "市", "号": "號", "区": "區"})
HOMOPHONES = {"四": "是", "十": "是", "一": "衣"}
OPENINGS = ["我要去", "幫我導航到", "呃", "那個", "請到"]
ATTRIBUTION = ("# Institution addresses: Taiwan government open data (DGPA, Ministry of the "
               "Interior, NHIA, Chunghwa Post, Ministry of Education), Open Government Data "
               "License, version 1.0.")


def narrow(text):
    """Full-width ASCII as ASCII, the ideographic space as a blank."""
    out = []
    for ch in text:
        code = ord(ch)
        out.append(chr(code - 0xFEE0) if 0xFF01 <= code <= 0xFF5E else
                   " " if code == 0x3000 else ch)
    return "".join(out)


def number_value(text):
    """The value of a number as written: digits, numerals said whole or digit
    by digit, or a mix of the two (八0); None when it reads as no number."""
    if not text:
        return None
    text = text.replace("廿", "二十").replace("卅", "三十").replace("卌", "四十")
    if not any(ch in "十百千" for ch in text):
        digits = "".join(ch if ch.isdigit() else str(NUMERAL_VALUE[ch]) for ch in text)
        return int(digits) if digits else None
    total, digit = 0, None
    for ch in text:
        if ch in "十百千":
            total += (1 if digit is None else digit) * PLACE_VALUE[ch]
            digit = None
        else:
            digit = int(ch) if ch.isdigit() else NUMERAL_VALUE[ch]
    return total + (digit or 0)


def spoken(n, rng):
    """n (1..9999) as said in Taiwan, written in numerals: 一百二十三, 兩千零五;
    二 or 兩 before 百 and 千 at random."""
    thousands, hundreds, tens, ones = n // 1000, n // 100 % 10, n // 10 % 10, n % 10
    out = ""

    def count(d):
        return ("兩" if rng.random() < 0.5 else "二") if d == 2 else DIGIT_WORDS[d]
    if thousands:
        out += count(thousands) + "千"
    if hundreds:
        out += count(hundreds) + "百"
    elif thousands and (tens or ones):
        out += "零"
    if tens:
        out += ("" if tens == 1 and not out else DIGIT_WORDS[tens]) + "十"
    elif out and ones and hundreds:
        out += "零"
    if ones:
        out += DIGIT_WORDS[ones]
    return out


class Roads:
    """The road table: roads of each district, and districts of each county."""

    def __init__(self):
        self.regions = [tuple(row[:2]) for row in read_table(HERE / "regions.tsv")]
        self.districts = defaultdict(list)
        self.counties_of = defaultdict(set)
        for county, district in self.regions:
            self.districts[county].append(district)
            self.counties_of[district].add(county)
        self.roads = defaultdict(set)
        self.sections = {}
        for county, district, road, sections in read_table(HERE / "roads.tsv"):
            self.roads[(county, district)].add(road)
            self.sections[(county, district, road)] = sections
        self.by_county = defaultdict(set)
        for (county, _), roads in self.roads.items():
            self.by_county[county] |= roads
        self.old = {}
        for old_county, old_town, county, district in read_table(HERE / "old-names.tsv"):
            self.old[old_county + old_town] = (county, district)
            if old_county != county:
                self.old.setdefault(old_county, (county, None))
        postcodes = read_table(HERE.parent / "regions-tw.tsv")
        self.postcode = {row[2]: (row[0], row[1]) for row in postcodes if len(row) > 2}


def road_spellings(road):
    """The road as the table writes it and with its numerals written as digits,
    read whole (大學28街) or digit by digit (五九五街 as 595街)."""
    spellings = {road}
    runs = re.findall(r"[零一二三四五六七八九十百千]+", road)
    if runs:
        whole, by_digit = road, road
        for run in runs:
            whole = whole.replace(run, str(number_value(run)), 1)
            if all(ch in NUMERAL_VALUE for ch in run):
                by_digit = by_digit.replace(run, "".join(str(NUMERAL_VALUE[c]) for c in run), 1)
        spellings |= {whole, by_digit}
    return spellings


def find_road(rest, candidates):
    """The earliest, then longest, road of `candidates` in `rest`: (start, end, road)."""
    best = None
    for road in candidates:
        at = rest.find(road)
        if at < 0:
            continue
        if best is None or at < best[0] or (at == best[0] and len(road) > best[1] - best[0]):
            best = (at, at + len(road), road)
    return best


class Reading:
    """One written address read into the fields of its reference."""

    def __init__(self):
        self.county = self.district = self.road = self.village = self.lane_name = ""
        self.section = self.lane = self.alley = 0
        self.number = None
        self.sub = None
        self.traits = set()

    def reference(self):
        text = self.county + self.district + self.village + self.road
        if self.section:
            text += SECTION_WORDS[self.section] + "段" if self.section <= 10 else ""
        if self.lane_name:
            text += self.lane_name
        if self.lane:
            text += f"{self.lane}巷"
        if self.alley:
            text += f"{self.alley}弄"
        text += f"{self.number}" + (f"之{self.sub}" if self.sub else "") + "號"
        return text

    def category(self):
        for name in CATEGORIES[:-1]:
            if name in self.traits:
                return name
        return "road"


def read_regions(text, row_county, postcode, roads):
    """County and district at the start of the folded text: (county, district,
    rest, old) or None."""
    county = district = None
    old = False
    rest = text
    for name, (new_county, new_district) in sorted(roads.old.items(), key=lambda kv: -len(kv[0])):
        if rest.startswith(name):
            county, district, rest, old = new_county, new_district, rest[len(name):], True
            break
    if county is None:
        for name in roads.districts:
            if rest.startswith(name):
                county, rest = name, rest[len(name):]
                break
    if district is None:
        pool = roads.districts[county] if county else list(roads.counties_of)
        for name in sorted(pool, key=len, reverse=True):
            if rest.startswith(name):
                district, rest = name, rest[len(name):]
                break
        if district is None and county is not None:
            # An old township after today's county (桃園市中壢市).
            for old_name, (new_county, new_district) in roads.old.items():
                town = old_name[3:]
                if new_county == county and new_district and town and rest.startswith(town) \
                        and town not in roads.counties_of:
                    district, rest, old = new_district, rest[len(town):], True
                    break
    if county is None and district is not None:
        counties = roads.counties_of[district]
        if len(counties) == 1:
            county = next(iter(counties))
        elif row_county in counties:
            county = row_county
    if county is None and row_county:
        county = row_county
    if district is None and postcode[:3] in roads.postcode:
        code_county, code_district = roads.postcode[postcode[:3]]
        if code_county == county:
            district = code_district
    if county is None:
        return None
    return county, district, rest, old


def read_number(rest, reading):
    """Section, lane, alley and house number after the road; False when no
    house number is found."""
    match = re.match(rf"({NUM})段", rest)
    if match:
        reading.section = number_value(match.group(1))
        rest = rest[match.end():]
    match = re.match(rf"({NUM})巷", rest)
    if match:
        reading.lane = number_value(match.group(1))
        rest = rest[match.end():]
    else:
        match = re.match(rf"([^\d{NUMBER_CHARS[10:]}號巷弄]{{1,4}}巷)", rest)
        if match:
            reading.lane_name = match.group(1)
            reading.traits.add("named-lane")
            rest = rest[match.end():]
    match = re.match(rf"({NUM})弄", rest)
    if match:
        reading.alley = number_value(match.group(1))
        rest = rest[match.end():]
    match = re.match(rf"({NUM})(?:之({NUM}))?號", rest)
    shaped = False
    if not match:
        match = re.match(rf"({NUM})[-‐‑–—―－]({NUM})號", rest)
        shaped = bool(match)
    if not match:
        match = re.match(rf"({NUM})[、,，及]{NUM}(?:[、,，及]{NUM})*(?:之{NUM})?號", rest)
        if match:
            shaped = True
            reading.number = number_value(match.group(1))
            reading.traits.add("number-shape")
            return reading.number is not None and reading.number > 0
    if not match:
        return False
    reading.number = number_value(match.group(1))
    reading.sub = number_value(match.group(2)) if match.lastindex and match.group(2) else None
    after = rest[match.end():]
    if shaped or re.match(rf"(之|[-－]){NUM}", after) or \
            re.search(rf"[^\d]", match.group(1)) or (match.group(2) and
                                                     re.search(r"[^\d]", match.group(2))):
        reading.traits.add("number-shape")
    return reading.number is not None and reading.number > 0 and \
        (reading.sub is None or reading.sub > 0)


def read_address(written, row_county, postcode, roads):
    """The reading of one written address, or (None, why)."""
    text = re.sub(r"[（(].*?[）)]", "", narrow(written)).replace(" ", "").translate(FOLD)
    regions = read_regions(text, row_county, postcode, roads)
    if regions is None:
        return None, "no-county"
    county, district, rest, old = regions
    reading = Reading()
    reading.county = county
    if old:
        reading.traits.add("old-name")
    candidates = roads.roads[(county, district)] if district else roads.by_county[county]
    keyed = {spelling: r for r in candidates for spelling in road_spellings(r)}
    found = find_road(rest, keyed)
    if found is None and district:
        # A road the table lists in another district of the county only (the
        # districts of 嘉義市 and 新竹市 share one postcode): the written one holds.
        keyed = {spelling: r for r in roads.by_county[county] for spelling in road_spellings(r)}
        found = find_road(rest, keyed)
    if found is None:
        match = re.match(rf"([^\d{NUMBER_CHARS[10:]}]{{1,4}}[村里])(?:{NUM}鄰)?(.*)", rest)
        if not match or not district:
            return None, "no-road-found"
        reading.district = district
        reading.village = match.group(1)
        reading.traits.add("no-road")
        tail = match.group(2)
        lane = re.match(rf"([^\d{NUMBER_CHARS[10:]}號巷弄]{{1,4}}巷)", tail)
        if lane:
            reading.lane_name = lane.group(1)
            tail = tail[lane.end():]
        if not read_number(tail, reading):
            return None, "no-number"
        return reading, None
    at, end, key = found
    road = keyed[key]
    if district is None:
        holders = [d for d in roads.districts[county] if road in roads.roads[(county, d)]]
        if len(holders) != 1:
            return None, "district-unknown"
        district = holders[0]
    reading.district = district
    reading.road = road
    if at > 0:
        reading.traits.add("before-road")
    if not read_number(rest[end:], reading):
        return None, "no-number"
    if reading.section > 10:
        return None, "section"
    if reading.number > 9999 or (reading.lane and reading.lane > 9999) or \
            (reading.alley and reading.alley > 9999):
        return None, "number-too-long"
    return reading, None


def said(written, rng):
    """The written address as a text recogniser writes it when it is said."""
    text = re.sub(r"[（(].*?[）)]", "", narrow(written)).replace(" ", "")
    text = re.sub(r"(\d+)[-‐‑–—―－](\d+)號", r"\1之\2號", text)
    text = re.sub(r"[^\w、，,]", "", text)

    def words(match):
        digits = match.group()
        if digits.startswith("0"):
            return "".join(DIGIT_WORDS[int(d)] for d in digits)
        value = int(digits)
        return spoken(value, rng) if 0 < value <= 9999 else \
            "".join(DIGIT_WORDS[int(d)] for d in digits)
    return re.sub(r"\d+", words, text)


def slipped(text, reading, rng):
    """The said text with one or two recogniser slips."""
    for _ in range(rng.choice([1, 1, 2])):
        kind = rng.choice(["homophone", "digit", "county", "district", "cut", "opening", "tai"])
        if kind == "homophone":
            spots = [i for i, ch in enumerate(text) if ch in HOMOPHONES]
            if spots:
                i = rng.choice(spots)
                text = text[:i] + HOMOPHONES[text[i]] + text[i + 1:]
        elif kind == "digit":
            spots = [i for i, ch in enumerate(text) if ch in "一二三四五六七八九"]
            if spots:
                i = rng.choice(spots)
                text = text[:i] + rng.choice("一二三四五六七八九".replace(text[i], "")) + text[i + 1:]
        elif kind == "county":
            for name in (reading.county, reading.county.replace("臺", "台")):
                if text.startswith(name):
                    text = text[len(name):]
        elif kind == "district" and reading.district and reading.district in text:
            text = text.replace(reading.district, "", 1)
        elif kind == "cut":
            cut = max(text.rfind(key) for key in "路街道段巷弄")
            if cut > 0:
                text = text[:cut + 1]
        elif kind == "opening":
            text = rng.choice(OPENINGS) + text
        elif kind == "tai":
            text = text.replace("臺", "台") if "臺" in text else text.replace("台", "臺")
    return text


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--all", metavar="DIR", help="write every address's lists into DIR")
    args = parser.parse_args()
    roads = Roads()
    rng = random.Random(SEED)
    rows = read_table(HERE.parent / "real-addresses-tw.tsv")
    readings, left_out = [], Counter()
    for row in rows:
        row += [""] * (5 - len(row))
        reading, why = read_address(row[2], row[1], row[4], roads)
        if reading is None:
            left_out[why] += 1
            continue
        readings.append((row, reading))
    by_category = defaultdict(list)
    for row, reading in readings:
        by_category[reading.category()].append((row, reading))
    chosen = []
    for category in CATEGORIES:
        items = by_category[category]
        if not args.all and len(items) > SAMPLE_PER_CATEGORY:
            items = random.Random(SEED + len(category)).sample(items, SAMPLE_PER_CATEGORY)
            items.sort(key=lambda item: item[0][0])
        chosen += [(category, k + 1, row, reading) for k, (row, reading) in enumerate(items)]
    out = Path(args.all) if args.all else HERE / "eval"
    out.mkdir(parents=True, exist_ok=True)
    header = ("# Generated by generate_real_lists.py from ../real-addresses-tw.tsv, roads.tsv and "
              "old-names.tsv")
    written, spoken_lines, slip_lines, refs = [header + ": addresses as written."], \
        [header + ": addresses said, as a text recogniser writes them."], \
        [header + ": five hypotheses of each said address, with recogniser slips."], \
        [header + ": reference texts."]
    for lines in (written, spoken_lines, slip_lines, refs):
        lines.append(ATTRIBUTION)
    for category, k, row, reading in chosen:
        uid = f"{category}_{k:05d}"
        refs.append(f"{uid} {reading.reference()}")
        written.append(f"{uid}-1 {row[2].replace(' ', '').replace(chr(0x3000), '')}")
        text = said(row[2], rng)
        spoken_lines.append(f"{uid}-1 {text}")
        right = rng.randrange(HYPOTHESES)
        hypotheses, tries = [], 0
        while len(hypotheses) < HYPOTHESES and tries < 50:
            tries += 1
            candidate = text if len(hypotheses) == right else slipped(text, reading, rng)
            if candidate and (candidate not in hypotheses or len(hypotheses) == right):
                hypotheses.append(candidate)
        for rank, hypothesis in enumerate(hypotheses, 1):
            slip_lines.append(f"{uid}-{rank} {hypothesis}")
    names = ["real-written-nbest.txt", "real-said-nbest.txt", "real-slips-nbest.txt",
             "real-ref.txt"]
    for name, lines in zip(names, (written, spoken_lines, slip_lines, refs)):
        (out / name).write_text("\n".join(lines) + "\n", encoding="utf-8")
    counts = Counter(category for category, *_ in chosen)
    print(f"{len(readings)} of {len(rows)} addresses read; left out: "
          + ", ".join(f"{why} {n}" for why, n in left_out.most_common()), file=sys.stderr)
    print("per category: " + ", ".join(f"{c} {len(by_category[c])} ({counts[c]} written)"
                                        for c in CATEGORIES), file=sys.stderr)


if __name__ == "__main__":
    main()
