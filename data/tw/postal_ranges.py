"""The range rules of ranges.tsv in Python, for the generators of evaluation
lists: the same reading of each house-number text and the same answers as
`vantir build` and the library give (docs/DATA.md, "Postal ranges").

    read_ranges(path)      {(county, district): {(road, section): [Range]}}
    answer(table, county, district, road, section, lane, alley, number, part)
                           ("number" | "road" | "not-found" | "unknown", code)
"""

import re
from collections import defaultdict, namedtuple

FULL_WIDTH = str.maketrans("０１２３４５６７８９（）", "0123456789()")
OPEN = 65535
EVERY_PART = 255
MOST_PART = 254
NUMERALS = "零一二三四五六七八九"

Range = namedtuple("Range", "lane alley parity low high floors code")
# parity: 0 every, 1 odd, 2 even; low and high: (number, part)

_BOUND = r"(\d+)(?:之(\d+))?[號巷弄]?"


def _part(text):
    return int(text) if text else 0


def parse_range(text):
    """A Range without its code (code None), or None for no known shape."""
    text = text.translate(FULL_WIDTH)
    lane = alley = 0
    m = re.match(r"(\d+)巷(?!至|以|含|及|$)", text)
    if m:
        lane, text = int(m.group(1)), text[m.end():]
    m = re.match(r"(\d+)弄(?!至|以|含|及|$)", text)
    if m:
        alley, text = int(m.group(1)), text[m.end():]
    floors = False
    m = re.search(r"(\(.*\)|（.*）)$", text)
    if m:
        text = text[:m.start()]
    m = re.search(r"(地下\d+樓|\d+(至\d+)?樓(以上|以下)?|.棟)$", text)
    if m and m.start() > 0:
        floors, text = True, text[:m.start()]
    parity = 0
    if text[:1] in ("單", "雙", "連"):
        parity, text = "連單雙".index(text[0]), text[1:]
    lo, hi = (0, 0), (OPEN, EVERY_PART)
    if text == "全":
        pass
    elif m := re.fullmatch(_BOUND + "以上", text):
        lo = (int(m[1]), _part(m[2]))
    elif m := re.fullmatch(_BOUND + "含附號以下", text):
        hi = (int(m[1]), EVERY_PART)
    elif m := re.fullmatch(_BOUND + "以下", text):
        hi = (int(m[1]), _part(m[2]))
    elif m := re.fullmatch(_BOUND + "至" + _BOUND + "(含附號全)?", text):
        lo, hi = (int(m[1]), _part(m[2])), (int(m[3]), EVERY_PART if m[5] else _part(m[4]))
    elif m := re.fullmatch(r"(\d+)之(\d+)至之(\d+)號", text):
        lo, hi = (int(m[1]), int(m[2])), (int(m[1]), int(m[3]))
    elif m := re.fullmatch(r"(\d+)之(\d+)號及以上附號", text):
        lo, hi = (int(m[1]), int(m[2])), (int(m[1]), EVERY_PART)
    elif m := re.fullmatch(r"(\d+)號含附號", text):
        lo, hi = (int(m[1]), 0), (int(m[1]), EVERY_PART)
    elif m := re.fullmatch(r"(\d+)附號全", text):
        lo, hi = (int(m[1]), 1), (int(m[1]), EVERY_PART)
    elif m := re.fullmatch(_BOUND, text):
        lo = hi = (int(m[1]), _part(m[2]))
    else:
        return None
    if lo[1] > MOST_PART:
        return None
    if hi[1] > MOST_PART:
        hi = (hi[0], EVERY_PART)
    return Range(lane, alley, parity, lo, hi, floors, None)


def road_of(text):
    """(road as the vocabulary spells it, section number) of a road text."""
    text = text.translate(FULL_WIDTH)
    section = 0
    m = re.fullmatch(r"(.+?)(\d+)段", text)
    if m:
        text, section = m.group(1), int(m.group(2))
    return "".join(NUMERALS[int(c)] if c.isdigit() else c for c in text), section


def read_ranges(path, roads=None):
    """Range lines by district and (road, section); with `roads` (a set of
    road words) a village before a road is dropped as the build does, and
    roads outside the set are left out."""
    table = defaultdict(lambda: defaultdict(list))
    with open(path, encoding="utf-8") as lines:
        for line in lines:
            if line.startswith("#") or not line.strip():
                continue
            code, county, district, road, numbers = line.rstrip("\n").split("\t")
            name, section = road_of(road)
            if roads is not None and name not in roads:
                if len(name) > 4 and name[2] in "里村" and name[3:] in roads:
                    name = name[3:]
                else:
                    continue
            found = parse_range(numbers)
            if found is None:
                raise ValueError(f"{path}: cannot read {numbers!r}")
            table[(county, district)][(name, section)].append(found._replace(code=code))
    return table


def _holds(r, number, part):
    if r.parity == 1 and number % 2 == 0 or r.parity == 2 and number % 2 == 1:
        return False
    if (number, part) < r.low or number > r.high[0]:
        return False
    return number < r.high[0] or r.high[1] == EVERY_PART or part <= r.high[1]


def _span(r):
    return (r.high[0] - r.low[0]) * 256 + r.high[1] - r.low[1]


def answer_in(lines, lane=0, alley=0, number=0, part=0, district_code=""):
    """(status, code) of a place on one road of one district (its lines)."""
    if not lines:
        return "not-found", district_code
    steps = []
    if lane and alley:
        steps += [((lane, alley), (number, part)), ((lane, 0), (alley, 0))]
    elif alley:
        steps.append(((0, alley), (number, part)))
    elif lane:
        steps.append(((lane, 0), (number, part)))
    side = lane or alley
    steps.append(((0, 0), (side, 0) if side else (number, part)))
    for (c_lane, c_alley), (n, p) in steps:
        inside = [r for r in lines if (r.lane, r.alley) == (c_lane, c_alley)]
        if not inside:
            continue
        if n <= 0:
            if (c_lane, c_alley) == (0, 0):
                return "road", district_code
            codes = {r.code for r in inside}
            return "number", codes.pop() if len(codes) == 1 else district_code
        held = [r for r in inside if _holds(r, n, p)]
        if not held:
            return "not-found", district_code
        best = min(held, key=lambda r: (r.floors, _span(r)))
        return "number", best.code
    if number <= 0 and not side:
        return "road", district_code
    return "not-found", district_code


def district_codes(table):
    """The three digits most of a district's lines begin with."""
    codes = {}
    for key, roads in table.items():
        heads = defaultdict(int)
        for lines in roads.values():
            for r in lines:
                heads[r.code[:3]] += 1
        codes[key] = min(heads, key=lambda h: (-heads[h], h))
    return codes


def answer(table, codes, county, district, road, section, lane=0, alley=0, number=0, part=0):
    if (county, district) not in table:
        return "unknown", ""
    lines = table[(county, district)].get((road, section), [])
    return answer_in(lines, lane, alley, number, part, codes[(county, district)])
