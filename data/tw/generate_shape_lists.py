#!/usr/bin/env python3
"""Generates evaluation lists of number shapes and of places said alone for the
national Taiwan data set: eval/shapes-nbest.txt (recogniser text, Kaldi form)
and eval/shapes-ref.txt, drawn from the real roads of roads.tsv and the
landmarks, stations and airports of words.tsv.

A text recogniser writes a house number in more than one shape, and a driver
often names a place rather than an address. Each utterance has 5 to 10
hypotheses; the best one shows the kind's trouble, most of the others too, and
about two in three of the others carry the slips of generate_lists.py (another
number, a county or district not heard, an ending cut short, a section split,
之 not heard, ...). The utterance id names the kind:

    digits-grouped    a house number of 1,000 to 9,999 with a thousands
                      separator (1,005號, 1，005號, １，００５號)
    full-width        numbers in full-width digits (１２３號, ４５巷)
    spoken-thousands  numbers in Chinese numerals as said (一千零五號,
                      兩千三百號, 三百二十一巷)
    digit-by-digit    numbers of three or four digits said digit by digit
                      (一零零五號, 三幺五號: 幺 for 一, 〇 for 零 on some lines)
    zhi-alley         an alley and a 之 number (19弄569之7號), in digits or in
                      numerals as said
    place-alone       a landmark, or a city's station or airport, said alone
                      (臺北車站, 中正紀念堂); the other hypotheses say it again,
                      say it with a slip (words before it, 台 for 臺, a word
                      after it, 台北101), and one or two say part of a street
                      address of its city: a district and a road without a
                      number, or a road and a number without the district

The hypotheses that do not take the kind's shape write numbers as
make_text_nbest.py does (digits; numerals as said on some digit-by-digit
lines). Beside the shape every line gets make_text_nbest.py's dress by line
number (台 for 臺 on two lines in three, a few simplified characters on every
seventh, a stray character in front on every eleventh); its full-width digits
on every fifth line are left out, since the digits' shape is what the kinds
vary. References are the whole address as in ref.txt (numbers as digits,
sections in Chinese numerals), or the place as the filter prints it.
Deterministic; run after generate_lists.py:

    python3 data/tw/generate_shape_lists.py
"""

import random
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
sys.path.insert(0, str(HERE.parent))
from address_words import number_words  # noqa: E402
from generate_lists import OPENINGS, SECTIONS, TRAILING, World, draw_address, slip  # noqa: E402
from make_text_nbest import FULL_WIDTH_DIGITS, SIMPLIFIED, STRAY, is_numeral, value_of  # noqa: E402

SEED = 20261209
PER_KIND = 30
MIN_HYPOTHESES = 5
MAX_HYPOTHESES = 10
KINDS = ["digits-grouped", "full-width", "spoken-thousands", "digit-by-digit", "zhi-alley",
         "place-alone"]
# Share of the hypotheses after the best that take the kind's shape, that
# carry one or two slips, and that say the county.
SHAPE_SHARE = 0.75
SLIP_SHARE = 0.7
COUNTY_HEARD = 0.7
OPENING_SHARE = 0.3
# Lines of digit-by-digit hypotheses that say 幺 for 一, and 〇 for 零.
YAO_SHARE = 0.4
CIRCLE_ZERO_SHARE = 0.3
# Full-width lists: share of house numbers of four digits.
FULL_WIDTH_THOUSANDS = 0.2
# zhi-alley lists: share with a lane before the alley, and whose best
# hypothesis writes numerals rather than digits.
ZHI_LANE_SHARE = 0.7
ZHI_NUMERALS_SHARE = 0.4
MAX_ALLEY = 30
MAX_ZHI = 12
MAX_TRIES = 400
SMALLEST_DIGIT_BY_DIGIT = 100
DIGIT_WORDS = "零一二三四五六七八九"
# Where each landmark is, and which county each city opener names; a city
# whose name is one district's (板橋) gives that district.
LANDMARKS = {"臺北一零一": ("臺北市", "信義區"), "故宮博物院": ("臺北市", "士林區"),
             "中正紀念堂": ("臺北市", "中正區"), "國父紀念館": ("臺北市", "信義區"),
             "龍山寺": ("臺北市", "萬華區"), "士林夜市": ("臺北市", "士林區"),
             "日月潭": ("南投縣", "魚池鄉")}
CITIES = {"臺北": ("臺北市", None), "臺中": ("臺中市", None), "臺南": ("臺南市", None),
          "高雄": ("高雄市", None), "桃園": ("桃園市", None), "新竹": ("新竹市", None),
          "板橋": ("新北市", "板橋區")}
FACILITIES = ["車站", "高鐵站", "機場"]
LANDMARK_SHARE = 0.4
# How a text recogniser writes the landmark named by a number.
LANDMARK_IN_DIGITS = {"臺北一零一": "臺北101"}
ATTRIBUTION = ("# Road names: Chunghwa Post 3+2 postal code table (2022-06), "
               "Taiwan Open Government Data License, version 1.0.")


def thousands_number(rng):
    """1,000 to 9,999, the lower thousands more often, as streets number."""
    return rng.randint(1000, rng.choice([1999, 2999, 9999]))


def spoken_number(rng):
    """A house number whose numerals show how thousands are said: a bare
    thousand and 零 (一千零五), round hundreds (兩千三百), any four digits, or
    three (三百二十一)."""
    shape = rng.choice(["bare-thousand", "round", "any", "hundreds"])
    if shape == "bare-thousand":
        return rng.randint(1, 9) * 1000 + rng.randint(1, 99)
    if shape == "round":
        return rng.randint(1, 9) * 1000 + rng.randint(0, 9) * 100
    return thousands_number(rng) if shape == "any" else rng.randint(100, 999)


def shaped_address(rng, kind, world):
    address = draw_address(rng, rng.choice(world.roads), kind)
    if kind == "digits-grouped":
        address.number = thousands_number(rng)
    elif kind == "full-width" and rng.random() < FULL_WIDTH_THOUSANDS:
        address.number = thousands_number(rng)
    elif kind == "spoken-thousands":
        address.number = spoken_number(rng)
    elif kind == "digit-by-digit":
        address.number = rng.choice([rng.randint(100, 999), thousands_number(rng)])
    elif kind == "zhi-alley":
        address.lane = address.lane or (rng.randint(1, 400) if rng.random() < ZHI_LANE_SHARE
                                        else 0)
        address.alley = rng.randint(1, MAX_ALLEY)
        address.zhi = rng.randint(1, MAX_ZHI)
    return address


def in_digits(value, _spoken):
    return str(value)


def as_said(_value, spoken):
    return spoken


def number_shape(rng, kind, shaped):
    """How one hypothesis writes a number, given its value and its numeral
    words: the kind's shape, or the plain digits other lines write."""
    if kind == "digits-grouped" and shaped:
        style = rng.choices(["comma", "wide-comma", "wide"], weights=[5, 3, 2])[0]

        def grouped(value, _spoken):
            text = f"{value:,}".replace(",", "," if style == "comma" else "，")
            return text.translate(FULL_WIDTH_DIGITS) if style == "wide" else text
        return grouped
    if kind == "full-width" and shaped:
        return lambda value, _spoken: str(value).translate(FULL_WIDTH_DIGITS)
    if kind == "spoken-thousands" and shaped:
        return as_said
    if kind == "digit-by-digit":
        if not shaped:
            return rng.choice([as_said, in_digits])
        units = DIGIT_WORDS.replace("一", "幺" if rng.random() < YAO_SHARE else "一")
        units = units.replace("零", "〇" if rng.random() < CIRCLE_ZERO_SHARE else "零")

        def digit_by_digit(value, spoken):
            if value < SMALLEST_DIGIT_BY_DIGIT:
                return spoken
            return "".join(units[int(d)] for d in str(value))
        return digit_by_digit
    return in_digits


def shape_run(run, shape):
    """A run of numeral words in the hypothesis's shape. A run that is no one
    number as said (十二 一 after 之 was lost) is written word by word, as a
    recogniser writes what it heard."""
    value = value_of("".join(run))
    if value and number_words(value) == run:
        return shape(value, "".join(run))
    return "".join(shape(value_of(word), word) for word in run)


def render(words, shape):
    parts, run = [], []
    for word in words + [""]:
        if word and is_numeral(word):
            run.append(word)
            continue
        if run:
            parts.append(shape_run(run, shape))
            run = []
        parts.append(word)
    return "".join(parts)


def dress(text, line):
    """make_text_nbest.py's dress by line number, without its full-width digits."""
    if line % 3 != 0:
        text = text.replace("臺", "台")
    if line % 7 == 0:
        text = text.translate(SIMPLIFIED)
    if line % 11 == 0:
        text = STRAY + text
    return text


def with_slips(rng, words, address, world):
    out = list(words)
    if rng.random() < SLIP_SHARE:
        for _ in range(rng.choice([1, 1, 2])):
            out = slip(rng, out, address, world) or out
    return out


def address_utterance(rng, kind, world, line):
    """The reference and hypothesis texts of one address of a number kind."""
    address = shaped_address(rng, kind, world)
    heard = address.words(county=rng.random() < COUNTY_HEARD)
    total = rng.randint(MIN_HYPOTHESES, MAX_HYPOTHESES)
    # zhi-alley lists write digits or numerals; the others lean to the best's.
    numerals_first = kind == "zhi-alley" and rng.random() < ZHI_NUMERALS_SHARE
    texts = []
    for _ in range(MAX_TRIES):
        if len(texts) == total:
            break
        best = not texts
        words = list(heard) if best else with_slips(rng, heard, address, world)
        if best and rng.random() < OPENING_SHARE:
            words = rng.choice(OPENINGS) + words
        shaped = best or rng.random() < SHAPE_SHARE
        if kind == "zhi-alley":
            shape = as_said if shaped == numerals_first else in_digits
        else:
            shape = number_shape(rng, kind, shaped)
        text = dress(render(words, shape), line + len(texts) + 1)
        if text not in texts:
            texts.append(text)
    return address.text(), texts


def draw_place(rng):
    """A place said alone: its words, its county and the district it is in, if known."""
    if rng.random() < LANDMARK_SHARE:
        name = rng.choice(sorted(LANDMARKS))
        return [name], LANDMARKS[name]
    city = rng.choice(sorted(CITIES))
    return [city, rng.choice(FACILITIES)], CITIES[city]


def partial_addresses(rng, world, county, district, count):
    """Parts of one street address of the place's county (of its district when
    the place has one) that no hypothesis says whole: the district and the
    road without a number, and the road with its number without the district."""
    rows = [r for r in world.roads if r[0] == county and (district is None or r[1] == district)]
    address = draw_address(rng, rng.choice(rows), "place-alone")
    county_heard = rng.random() < COUNTY_HEARD
    road_only = address.words(county=county_heard)
    road_only = road_only[:road_only.index(address.road) + 1]
    if address.section and rng.random() < 0.5:
        road_only.append(SECTIONS[address.section])
    numbered = address.words(county=county_heard and rng.random() < 0.5, district=False)
    parts = [road_only, numbered]
    rng.shuffle(parts)
    return parts[:count]


def place_slip(rng, place):
    """The place with one slip: words before it, 台 written for 臺, a word
    after it, or the landmark named by a number written in digits."""
    kinds = ["before", "before", "tai", "after"] + (["digits"] if place[0] in
                                                     LANDMARK_IN_DIGITS else [])
    kind = rng.choice(kinds)
    if kind == "before":
        return rng.choice(OPENINGS) + place, False
    if kind == "after":
        return place + rng.choice(TRAILING), False
    if kind == "digits":
        return [LANDMARK_IN_DIGITS[place[0]]] + place[1:], False
    return place, True


def place_utterance(rng, world, line):
    """The reference and hypothesis texts of a place said alone."""
    place, (county, district) = draw_place(rng)
    total = rng.randint(MIN_HYPOTHESES, MAX_HYPOTHESES)
    # After the best: one slip for sure and the partial addresses, spread over
    # the ranks, between which the place is said again (as said or with a slip
    # of its own).
    required = [place_slip(rng, place)] + [(words, False) for words in
                                           partial_addresses(rng, world, county, district,
                                                             rng.choice([1, 2]))]
    rng.shuffle(required)
    texts = []
    for _ in range(MAX_TRIES):
        if len(texts) == total:
            break
        if not texts:
            words, tai = place, False
        elif required and rng.random() < len(required) / (total - len(texts)):
            words, tai = required.pop()
        else:
            words, tai = place_slip(rng, place) if rng.random() < 0.5 else (place, False)
        text = dress(render(words, in_digits), line + len(texts) + 1)
        text = text.replace("臺", "台") if tai else text
        if text not in texts:
            texts.append(text)
    return "".join(place), texts


def main():
    rng = random.Random(SEED)
    world = World()
    nbest = ["# Generated by generate_shape_lists.py from roads.tsv and words.tsv: recogniser "
             "text with numbers in the shapes text recognisers write, and places said alone.",
             ATTRIBUTION]
    refs = ["# Generated by generate_shape_lists.py: reference texts of shapes-nbest.txt.",
            ATTRIBUTION]
    line = 0
    for kind in KINDS:
        for n in range(1, PER_KIND + 1):
            if kind == "place-alone":
                ref, texts = place_utterance(rng, world, line)
            else:
                ref, texts = address_utterance(rng, kind, world, line)
            uid = f"{kind}_{n:03d}"
            for rank, text in enumerate(texts, 1):
                nbest.append(f"{uid}-{rank} {text}")
            line += len(texts)
            refs.append(f"{uid} {ref}")
    (HERE / "eval").mkdir(exist_ok=True)
    (HERE / "eval" / "shapes-nbest.txt").write_text("\n".join(nbest) + "\n", encoding="utf-8")
    (HERE / "eval" / "shapes-ref.txt").write_text("\n".join(refs) + "\n", encoding="utf-8")


if __name__ == "__main__":
    main()
