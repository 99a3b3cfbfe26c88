#!/usr/bin/env python3
"""Generates the evaluation lists of the national Taiwan data set: nbest.txt
and ref.txt, drawn from the real roads of roads.tsv.

Each utterance is one spoken address and 5 to 10 hypotheses, as a recogniser
lists them: close variants of what was heard, each with the slips a recogniser
makes (a county or district not heard, a neighbouring district, a road that
sounds like another road of the county, a numeral heard as a homophone or as
another numeral, 之 not heard, an ending cut short, a section word split off,
words before the address, a floor or filler after it). The utterance id names
what the best hypothesis has:

    words-before     words spoken before the address
    dropped-county   the county is not heard before a district only it has
    shared-district  the county is not heard before a district name that
                     several counties have (東區, 中正區, 大安區, ...)
    wrong-district   the district is not heard, or is one the road does not
                     run through
    homophone        a numeral is heard as a homophone (四, 十 as 是; 一 as 衣)
    truncated        the hypothesis stops early
    floor            a floor is spoken after the house number
    mixed-splits     the section word is split (四 段)
    confusable-road  the road is another real road of the county that sounds
                     alike (興中路 for 行忠路, 復興路 for 福興路)
    four-digit       the house number is 1,000 or more (一千 零五 號)
    zhi-number       the house number is a 之 number (十二 之 一 號)
    none-right       no hypothesis is right as a whole
    fillers          fillers (那個, 呃, 嗯, 的) or a field said twice between
                     the fields of the address, never inside a number; in
                     half of the lists the right words carry them too

In the last three kinds of address and in the confusable roads the best
hypothesis is sometimes right and otherwise has ordinary slips; the lists are
drawn the way a recogniser errs, not the way the filter repairs. The ids are
KIND_NNN, which `vantir eval` reports per kind. References are navigation
destinations: up to the house number, numbers as digits. Deterministic; run
after generate.py:

    python3 data/tw/generate_lists.py
"""

import random
import sys
from collections import defaultdict
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent))
from address_words import DIGITS, number_words, numeral_vocabulary, read_table  # noqa: E402

SEED = 20261215
PER_KIND = 40
MIN_HYPOTHESES = 5
MAX_HYPOTHESES = 10
MAX_HOUSE_NUMBER = 600
MAX_LANE = 400
MAX_ALLEY = 30
MAX_FLOOR = 20
MAX_ZHI = 12
LANE_SHARE = 0.35
ALLEY_SHARE = 0.3
KINDS = ["words-before", "dropped-county", "shared-district", "wrong-district", "homophone",
         "truncated", "floor", "mixed-splits", "confusable-road", "four-digit", "zhi-number",
         "none-right", "fillers"]
SECTIONS = ["", "一段", "二段", "三段", "四段", "五段", "六段", "七段", "八段", "九段", "十段"]
OPENINGS = [["我", "要", "去"], ["幫我", "導航", "到"], ["呃"], ["那個"], ["請", "到"], ["嗯"],
            ["我", "要", "到"]]
TRAILING = [["好"], ["的"], ["嗯"]]
# Words a speaker puts between the fields of an address.
FILLERS = ["那個", "呃", "嗯", "的"]
REPEAT_SHARE = 0.25
# Numerals a recogniser confuses with words that are no numerals.
NUMERAL_HOMOPHONES = {"四": "是", "十": "是", "一": "衣"}
# Characters of road names that sound alike in Taiwan Mandarin (one syllable
# each, tones aside). Two roads of one county whose names map to the same
# groups character by character are confusable.
SOUND_GROUPS = [
    "中忠鐘終眾仲", "正政整證鄭", "興星行幸杏形", "新心欣信鑫辛馨", "華化樺", "成誠城承呈程澄",
    "和合河荷禾賀", "平屏坪萍評", "義藝益億毅逸宜儀易翼怡依醫", "仁人任", "德得", "光廣",
    "復福富府輔阜", "國果過郭", "林臨麟霖", "建健劍鑑堅", "康抗", "孝校曉", "清青慶卿",
    "景敬境靜京經精井", "祥翔向香鄉湘", "源元園圓原苑", "英鷹瑩營迎", "永勇湧",
    "盛聖勝昇升生聲", "東冬棟", "西溪錫熙希", "南楠", "龍隆", "豐峰鋒風楓鳳", "泰太", "雅亞",
    "育玉裕宇雨漁魚", "利立力麗理里", "吉及基", "文溫聞", "明鳴名銘", "民敏閩", "榮容蓉",
    "昌常", "大達", "美梅", "治志智致至", "金今津進錦", "萬灣", "秀修", "公功工宮", "寶保",
    "港崗", "佳家嘉", "武吳", "士市世"]


SOUND_GROUP_OF = {ch: k for k, chars in enumerate(SOUND_GROUPS) for ch in chars}


def sound_key(name):
    return tuple(SOUND_GROUP_OF.get(ch, ch) for ch in name)


class World:
    """Regions and roads of the data set, and what the draws look up in them."""

    def __init__(self):
        self.regions = [(row[0], row[1]) for row in read_table(HERE / "regions.tsv")]
        self.roads = read_table(HERE / "roads.tsv")
        counts = defaultdict(int)
        for _, district in self.regions:
            counts[district] += 1
        self.shared = {d for d, n in counts.items() if n > 1}
        self.roads_at = defaultdict(set)
        self.names_in_county = defaultdict(set)
        for county, district, road, _ in self.roads:
            self.roads_at[(county, district)].add(road)
            self.names_in_county[county].add(road)
        alike = defaultdict(lambda: defaultdict(list))
        for county, names in self.names_in_county.items():
            for name in sorted(names):
                alike[county][sound_key(name)].append(name)
        self.alike = {(county, name): [n for n in group if n != name]
                      for county, keys in alike.items() for group in keys.values()
                      for name in group if len(group) > 1}
        self.second_numerals, self.first_numerals = numeral_vocabulary(thousands=True)

    def districts_of(self, county):
        return [d for c, d in self.regions if c == county]

    def districts_without(self, address):
        """The districts of the address's county that its road does not run through."""
        return [d for d in self.districts_of(address.county)
                if d != address.district and not self.has_road(address.county, d, address.road)]

    def has_road(self, county, district, road):
        return road in self.roads_at[(county, district)]

    def sounds_like(self, county, road):
        return self.alike.get((county, road), [])


class Address:
    """One address: its spoken words and its canonical text."""

    def __init__(self, row, section, lane, alley, number, zhi, floor):
        self.county, self.district, self.road = row[0], row[1], row[2]
        self.section, self.lane, self.alley = section, lane, alley
        self.number, self.zhi, self.floor = number, zhi, floor

    def words(self, county=True, district=True, floor=False, split_section=False):
        out = ([self.county] if county else []) + ([self.district] if district else [])
        out.append(self.road)
        if self.section:
            out += [DIGITS[self.section], "段"] if split_section else [SECTIONS[self.section]]
        if self.lane:
            out += number_words(self.lane) + ["巷"]
        if self.alley:
            out += number_words(self.alley) + ["弄"]
        out += number_words(self.number)
        if self.zhi:
            out += ["之"] + number_words(self.zhi)
        out.append("號")
        if floor and self.floor:
            out += number_words(self.floor) + ["樓"]
        return out

    def text(self):
        text = self.county + self.district + self.road + SECTIONS[self.section]
        text += f"{self.lane}巷" if self.lane else ""
        text += f"{self.alley}弄" if self.alley else ""
        return text + f"{self.number}" + (f"之{self.zhi}" if self.zhi else "") + "號"


def draw_address(rng, row, kind):
    sections = [] if row[3] == "-" else [SECTIONS.index(s) for s in row[3].split(",")]
    section = rng.choice(sections) if sections else 0
    lane = rng.randint(1, MAX_LANE) if rng.random() < LANE_SHARE else 0
    alley = rng.randint(1, MAX_ALLEY) if lane and rng.random() < ALLEY_SHARE else 0
    if kind == "four-digit":
        number = rng.randint(1000, rng.choice([1999, 2999, 9999]))
    else:
        number = rng.randint(1, MAX_HOUSE_NUMBER)
    zhi = rng.randint(1, MAX_ZHI) if kind == "zhi-number" else 0
    floor = rng.randint(1, MAX_FLOOR) if rng.random() < 0.3 else 0
    return Address(row, section, lane, alley, number, zhi, floor)


def is_numeral(word, world):
    return word in world.second_numerals or word in world.first_numerals


def mishear_homophone(rng, words, world):
    """A numeral heard as a word that sounds alike; a compound numeral whose
    last character is such a numeral is heard as two words (三十四 as 三十 是)."""
    spots = []
    for i, w in enumerate(words):
        if i < 2 or w in SECTIONS:
            continue
        if w in NUMERAL_HOMOPHONES:
            spots.append((i, [NUMERAL_HOMOPHONES[w]]))
        elif len(w) > 1 and w[-1] in NUMERAL_HOMOPHONES and is_numeral(w[:-1], world):
            spots.append((i, [w[:-1], NUMERAL_HOMOPHONES[w[-1]]]))
    if not spots:
        return None
    i, heard = rng.choice(spots)
    return words[:i] + heard + words[i + 1:]


def sounds_near(heard, word):
    """A numeral heard for another: one character different (四十七, 四十一),
    or the first syllable lost (十七 for 四十七)."""
    if len(heard) == len(word):
        return sum(a != b for a, b in zip(heard, word)) == 1
    return heard == word[1:]


def substitute_numeral(rng, words, world):
    """Another numeral word in place of one, close to it in sound: 四十七
    heard as 四十一 or 十七, 一千兩百 as 一千八百."""
    spots = [i for i, w in enumerate(words) if i > 1 and is_numeral(w, world)]
    if not spots:
        return None
    i = rng.choice(spots)
    pool = world.first_numerals if words[i] in world.first_numerals else world.second_numerals
    near = [w for w in pool if sounds_near(w, words[i])]
    return words[:i] + [rng.choice(near)] + words[i + 1:] if near else None


def truncate(rng, words, address):
    """Where a recogniser loses the rest: after the district, the road or a
    key, or just before the last word."""
    ends = [i + 1 for i, w in enumerate(words[:-1])
            if w in (address.district, address.road, "巷", "弄", "之") or w in SECTIONS]
    ends.append(len(words) - 1)
    return words[:rng.choice(ends)]


def other_district(rng, world, address):
    """A district of the same county that the road does not run through."""
    others = world.districts_without(address)
    return rng.choice(others) if others else None


def slip(rng, words, address, world):
    """One recogniser slip on a hypothesis; None when it does not apply."""
    kind = rng.choices(["homophone", "numeral", "truncate", "district", "no-county",
                        "no-district", "split", "floor", "trailing", "road", "zhi"],
                       weights=[3, 4, 3, 2, 2, 1, 2, 1, 1, 1, 2])[0]
    if kind == "homophone":
        return mishear_homophone(rng, words, world)
    if kind == "numeral":
        return substitute_numeral(rng, words, world)
    if kind == "truncate":
        return truncate(rng, words, address)
    if kind == "district" and address.district in words:
        other = other_district(rng, world, address)
        return [other if w == address.district else w for w in words] if other else None
    if kind == "no-county" and words and words[0] == address.county:
        return words[1:]
    if kind == "no-district" and address.district in words:
        return [w for w in words if w != address.district]
    if kind == "split" and address.section and SECTIONS[address.section] in words:
        at = words.index(SECTIONS[address.section])
        return words[:at] + [DIGITS[address.section], "段"] + words[at + 1:]
    if kind == "floor" and words and words[-1] == "號":
        return words + number_words(rng.randint(1, MAX_FLOOR)) + ["樓"]
    if kind == "trailing":
        return words + rng.choice(TRAILING)
    if kind == "road" and address.road in words:
        alike = world.sounds_like(address.county, address.road)
        if alike:
            heard = rng.choice(alike)
            return [heard if w == address.road else w for w in words]
    if kind == "zhi" and "之" in words:
        return [w for w in words if w != "之"]
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


def fits(kind, address, world):
    if kind == "dropped-county":
        return address.district not in world.shared
    if kind == "shared-district":
        return address.district in world.shared
    if kind == "mixed-splits":
        return address.section > 0
    if kind == "confusable-road":
        return bool(world.sounds_like(address.county, address.road))
    if kind == "wrong-district":
        return bool(world.districts_without(address))
    return True


def pick_address(rng, world, kind):
    while True:
        address = draw_address(rng, rng.choice(world.roads), kind)
        if not fits(kind, address, world):
            continue
        if kind == "homophone" and not mishear_homophone(rng, address.words(), world):
            continue
        return address


def with_fillers(rng, words, address):
    """The words with one or two fillers, or a field said again, after
    fields: the county, the district, the road or the section."""
    fields = {address.county, address.district, address.road, SECTIONS[address.section]}
    ends = [i + 1 for i, w in enumerate(words) if w in fields and w]
    if not ends:
        return words
    out = list(words)
    for end in sorted(rng.sample(ends, min(len(ends), rng.randint(1, 2))), reverse=True):
        said = out[end - 1]
        out.insert(end, said if rng.random() < REPEAT_SHARE else rng.choice(FILLERS))
    return out


def best_hypothesis(rng, kind, address, world):
    """The best hypothesis: the kind's trouble, sometimes with one more slip."""
    correct = address.words()
    if kind == "words-before":
        words = rng.choice(OPENINGS) + correct
        if rng.random() < 0.6:
            words = rng.choice(OPENINGS) + (slip(rng, correct, address, world) or correct)
        return words
    if kind in ("dropped-county", "shared-district"):
        return address.words(county=False)
    if kind == "wrong-district":
        if rng.random() < 0.5:
            other = other_district(rng, world, address)
            return [other if w == address.district else w for w in correct]
        return address.words(district=False)
    if kind == "homophone":
        return mishear_homophone(rng, correct, world)
    if kind == "truncated":
        return truncate(rng, correct, address)
    if kind == "floor":
        words = address.words(floor=True)
        return words if address.floor else words + number_words(rng.randint(1, MAX_FLOOR)) + ["樓"]
    if kind == "mixed-splits":
        words = address.words(split_section=True)
        if rng.random() < 0.5:
            words = mishear_homophone(rng, words, world) or truncate(rng, words, address)
        return words
    if kind == "confusable-road":
        heard = rng.choice(world.sounds_like(address.county, address.road))
        return [heard if w == address.road else w for w in correct]
    if kind == "fillers":
        words = correct if rng.random() < 0.6 else slip(rng, correct, address, world) or correct
        return with_fillers(rng, words, address)
    if kind in ("four-digit", "zhi-number"):
        return correct if rng.random() < 0.4 else slip(rng, correct, address, world) or correct
    # none-right: the county is missing or the section split, with one more slip.
    words = address.words(county=rng.random() < 0.5, split_section=True)
    return slip(rng, words, address, world) or truncate(rng, words, address)


def utterance(rng, kind, world):
    address = pick_address(rng, world, kind)
    correct = address.words()
    best = best_hypothesis(rng, kind, address, world)
    total = rng.randint(MIN_HYPOTHESES, MAX_HYPOTHESES)
    hypotheses = [best]
    if kind == "none-right":
        # Every hypothesis is wrong somewhere, but the pieces of the address
        # are all there across them.
        heard = address.words(county=False) if rng.random() < 0.5 else correct
        avoid = [correct, address.words(split_section=True), best]
        hypotheses += variants(rng, heard, address, world, total - 1, avoid)
        rng.shuffle(hypotheses[1:])
    else:
        # The right words come second to fifth (or first, when the best
        # hypothesis is right); the rest vary what the best one heard or the
        # right words.
        heard_list = variants(rng, best, address, world, (total - 2) // 2, [correct, best])
        right_list = variants(rng, correct, address, world, total - 2 - len(heard_list),
                              [correct, best] + heard_list)
        others = heard_list + right_list
        rng.shuffle(others)
        if best != correct:
            right = correct
            if kind == "fillers" and rng.random() < 0.5:
                right = with_fillers(rng, correct, address)
            others.insert(min(rng.randint(1, 4), len(others)) - 1, right)
        hypotheses += others
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
    header = ("# Generated by generate_lists.py from roads.tsv: recogniser-like N-best lists\n"
              "# (Kaldi text form); the utterance id names what its best hypothesis has.\n")
    (HERE / "nbest.txt").write_text(header + "\n".join(nbest) + "\n", encoding="utf-8")
    header = "# Generated by generate_lists.py: reference texts of nbest.txt.\n"
    (HERE / "ref.txt").write_text(header + "\n".join(refs) + "\n", encoding="utf-8")


if __name__ == "__main__":
    main()
