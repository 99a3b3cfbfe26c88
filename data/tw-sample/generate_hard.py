#!/usr/bin/env python3
"""Generates the harder evaluation set of the Taiwan sample data: hard-nbest.txt
and hard-ref.txt.

Each utterance is one spoken address and 5 to 10 hypotheses, as a recogniser
lists them: close variants of what was heard, each with the slips a recogniser
makes (a county or district not heard, a neighbouring district, a numeral heard
as a homophone or as another numeral, an ending cut short, a section word split
off, words before the address, a floor after it). The utterance id names the
kind of trouble its best hypothesis has:

    shared-district  the county is not heard before a district name that
                     several counties have (東區, 北區, 中正區, ...)
    dropped-district the county is heard but the district is not, or is one
                     the road does not pass through
    truncated        the best hypothesis stops early
    mixed-splits     hypotheses split the section word differently (四段, 四 段)
    homophone        a numeral of the best hypothesis is heard as a homophone
    words-before     words are spoken before the address
    none-right       no hypothesis is right as a whole

The ids are KIND_NNN. Run after generate.py (it reads the same sources):

    python3 data/tw-sample/generate_hard.py
"""

import random

import generate as base

SEED = 20261207
PER_KIND = 30
MIN_HYPOTHESES = 5
MAX_HYPOTHESES = 10
KINDS = ["shared-district", "dropped-district", "truncated", "mixed-splits", "homophone",
         "words-before", "none-right"]
# Filler a recogniser hears after an address.
TRAILING = [["好"], ["的"], ["嗯"]]


class World:
    def __init__(self):
        self.regions = base.read_regions()
        self.roads = base.read_table("roads.tsv") + base.read_table("roads-more.tsv")
        counts = {}
        for _, district in self.regions:
            counts[district] = counts.get(district, 0) + 1
        self.shared = {d for d, n in counts.items() if n > 1}
        second, first = base.numeral_vocabulary()
        self.second_numerals = second

    def districts_of(self, county):
        return [d for c, d in self.regions if c == county]

    def has_road(self, county, district, road):
        return any(r[0] == county and r[1] == district and r[2] == road for r in self.roads)


def spoken(address, county=True, district=True, split_section=False):
    words = address.words(county=county, district=district, floor=False)
    if split_section and address.section:
        at = words.index(base.SECTIONS[address.section])
        words[at:at + 1] = [base.DIGITS[address.section], "段"]
    return words


def mishear_homophone(rng, words):
    """A numeral heard as a word that sounds alike (四 and 十 as 是, 一 as 衣).
    A compound numeral whose last character is such a numeral is heard as two
    words: 三十四 as 三十 是."""
    spots = []
    for i, w in enumerate(words):
        if i < 2 or w in base.SECTIONS:
            continue
        if w in base.NUMERAL_HOMOPHONES:
            spots.append((i, [base.NUMERAL_HOMOPHONES[w]]))
        elif len(w) > 1 and w[-1] in base.NUMERAL_HOMOPHONES and is_numeral(w[:-1]):
            spots.append((i, [w[:-1], base.NUMERAL_HOMOPHONES[w[-1]]]))
    if not spots:
        return None
    i, heard = rng.choice(spots)
    return words[:i] + heard + words[i + 1:]


NUMERAL_WORDS = ({base.below_hundred(n, a) for n in range(1, 100) for a in (False, True)} |
                 set(base.HUNDREDS[1:]))


def is_numeral(word):
    return word in NUMERAL_WORDS


def substitute_numeral(rng, words, world):
    """Another numeral word in place of one: 四十七 heard as 十七 or 四十一."""
    spots = [i for i, w in enumerate(words) if w in world.second_numerals and i > 1]
    if not spots:
        return None
    i = rng.choice(spots)
    out = list(words)
    near = [w for w in world.second_numerals if w != out[i] and (w[-1] == out[i][-1] or
                                                                 w[0] == out[i][0])]
    out[i] = rng.choice(near) if near else out[i]
    return out


def truncate(rng, words, address):
    # Where a recogniser loses the rest: after the district, the road or a
    # segment key, or just before the last word.
    ends = [i + 1 for i, w in enumerate(words[:-1])
            if w in (address.district, address.road, "巷", "弄") or w in base.SECTIONS]
    ends.append(len(words) - 1)
    return words[:rng.choice(ends)]


def other_district(rng, world, address):
    """A district of the same county that the road does not pass through."""
    others = [d for d in world.districts_of(address.county)
              if d != address.district and not world.has_road(address.county, d, address.road)]
    return rng.choice(others) if others else None


def slip(rng, words, address, world):
    """One recogniser slip on a hypothesis; None when it does not apply."""
    kind = rng.choices(["homophone", "numeral", "truncate", "district", "no-county",
                        "no-district", "split", "floor", "trailing"],
                       weights=[3, 4, 3, 2, 2, 1, 2, 1, 1])[0]
    if kind == "homophone":
        return mishear_homophone(rng, words)
    if kind == "numeral":
        return substitute_numeral(rng, words, world)
    if kind == "truncate":
        return truncate(rng, words, address)
    if kind == "district" and address.district in words:
        other = other_district(rng, world, address)
        if other:
            return [other if w == address.district else w for w in words]
        return None
    if kind == "no-county" and words and words[0] == address.county:
        return words[1:]
    if kind == "no-district" and address.district in words:
        return [w for w in words if w != address.district]
    if kind == "split" and address.section:
        section = base.SECTIONS[address.section]
        if section in words:
            at = words.index(section)
            return words[:at] + [base.DIGITS[address.section], "段"] + words[at + 1:]
        return None
    if kind == "floor" and words and words[-1] == "號":
        return words + base.number_words(rng.randint(1, base.MAX_FLOOR)) + ["樓"]
    if kind == "trailing":
        return words + rng.choice(TRAILING)
    return None


def variants(rng, heard, address, world, count, avoid):
    """Close variants of the heard words, one or two slips each, all distinct."""
    out = []
    tries = 0
    while len(out) < count and tries < 400:
        tries += 1
        words = list(heard)
        for _ in range(rng.choice([1, 1, 2])):
            changed = slip(rng, words, address, world)
            if changed:
                words = changed
        if words and words not in out and words not in avoid:
            out.append(words)
    return out


def pick_address(rng, world, kind):
    while True:
        row = rng.choice(world.roads)
        address = base.random_address(rng, row)
        if kind == "shared-district" and address.district not in world.shared:
            continue
        if kind == "mixed-splits" and not address.section:
            continue
        if kind == "homophone" and not mishear_homophone(rng, spoken(address)):
            continue
        return address


def best_hypothesis(rng, kind, address, world):
    """The best hypothesis: the kind's trouble, sometimes with one more slip."""
    correct = spoken(address)
    if kind == "shared-district":
        return spoken(address, county=False)
    if kind == "dropped-district":
        other = other_district(rng, world, address)
        if other and rng.random() < 0.5:
            return [other if w == address.district else w for w in correct]
        return spoken(address, district=False)
    if kind == "truncated":
        return truncate(rng, correct, address)
    if kind == "mixed-splits":
        words = spoken(address, split_section=True)
        if rng.random() < 0.5:
            words = mishear_homophone(rng, words) or truncate(rng, words, address)
        return words
    if kind == "homophone":
        return mishear_homophone(rng, correct)
    if kind == "words-before":
        words = rng.choice(base.GARBAGE_OPENINGS) + correct
        if rng.random() < 0.6:
            words = rng.choice(base.GARBAGE_OPENINGS) + (slip(rng, correct, address, world) or
                                                        truncate(rng, correct, address))
        return words
    # none-right: the best hypothesis misses the county or splits the section
    # and has one more slip besides.
    words = spoken(address, county=rng.random() < 0.5, split_section=True)
    return slip(rng, words, address, world) or truncate(rng, words, address)


def utterance(rng, kind, world):
    address = pick_address(rng, world, kind)
    correct = spoken(address)
    best = best_hypothesis(rng, kind, address, world)
    total = rng.randint(MIN_HYPOTHESES, MAX_HYPOTHESES)
    hypotheses = [best]
    if kind == "none-right":
        # What was heard is wrong somewhere in every hypothesis, but the pieces
        # of the address are all there across them.
        heard = spoken(address, county=False) if rng.random() < 0.5 else correct
        avoid = [correct, spoken(address, split_section=True)] + [best]
        hypotheses += variants(rng, heard, address, world, total - 1, avoid)
        rng.shuffle(hypotheses[1:])
    else:
        # The right words come second to fifth; the rest are variants of what
        # the best hypothesis heard or of the right words.
        heard_list = variants(rng, best, address, world, (total - 2) // 2, [correct, best])
        right_list = variants(rng, correct, address, world, total - 2 - len(heard_list),
                              [correct, best] + heard_list)
        others = heard_list + right_list
        rng.shuffle(others)
        if kind == "mixed-splits" and rng.random() < 0.5:
            correct = spoken(address, split_section=True) if correct != best else correct
        place = min(rng.randint(1, 4), len(others))
        others.insert(place - 1, correct)
        hypotheses += [h for h in others if h != best]
    return address, hypotheses[:MAX_HYPOTHESES]


def main():
    rng = random.Random(SEED)
    world = World()
    nbest, refs = [], []
    for kind in KINDS:
        for n in range(1, PER_KIND + 1):
            address, hypotheses = utterance(rng, kind, world)
            utt = f"{kind}_{n:03d}"
            for rank, words in enumerate(hypotheses, start=1):
                nbest.append(f"{utt}-{rank} " + " ".join(words))
            refs.append(f"{utt} {address.text()}")
    header = ("# Generated by generate_hard.py: the harder recogniser-like N-best lists\n"
              "# (Kaldi text form); the utterance id names the trouble of its best hypothesis.\n")
    (base.HERE / "hard-nbest.txt").write_text(header + "\n".join(nbest) + "\n", encoding="utf-8")
    header = "# Generated by generate_hard.py: reference texts of hard-nbest.txt.\n"
    (base.HERE / "hard-ref.txt").write_text(header + "\n".join(refs) + "\n", encoding="utf-8")


if __name__ == "__main__":
    main()
