"""Spoken address words shared by the data generators (data/tw/generate.py,
data/tw-sample/generate.py, tests/data/harbour/generate.py): numbers as a
recogniser emits them, the tab-separated source tables, and the tagged
vocabulary lines of regions, roads and numerals."""

DIGITS = ["", "一", "二", "三", "四", "五", "六", "七", "八", "九"]
HUNDREDS = ["", "一百", "兩百", "三百", "四百", "五百", "六百", "七百", "八百", "九百"]
THOUSANDS = ["", "一千", "兩千", "三千", "四千", "五千", "六千", "七千", "八千", "九千"]
LARGEST_NUMBER = 9999


def below_hundred(n, after_hundreds):
    """Spoken words of 1..99; after a hundreds word 1..9 take 零 and 10..19 take 一."""
    if n < 10:
        return ("零" if after_hundreds else "") + DIGITS[n]
    tens, units = divmod(n, 10)
    if tens == 1:
        return ("一十" if after_hundreds else "十") + DIGITS[units]
    return DIGITS[tens] + "十" + DIGITS[units]


def after_bare_thousand(n):
    """Spoken words of 1..99 after a thousands word without hundreds: the
    skipped hundreds read 零 (一千零五, 一千零一十五, 兩千零八十)."""
    return below_hundred(n, True) if n < 10 else "零" + below_hundred(n, True)


def number_words(n):
    """1..9999 as the recogniser emits them: one word for the thousands and
    hundreds (兩百, 一千, 一千兩百), then one for the rest (一千 零五)."""
    thousands, below = divmod(n, 1000)
    hundreds, rest = divmod(below, 100)
    words = [THOUSANDS[thousands] + HUNDREDS[hundreds]] if n >= 100 else []
    if rest:
        bare_thousand = thousands > 0 and hundreds == 0
        words.append(after_bare_thousand(rest) if bare_thousand else
                     below_hundred(rest, n >= 100))
    return words


def numeral_vocabulary(most_hundreds=9, thousands=False):
    """The numeral words: those of 1..99 (second prefixes, shortest first) and
    the hundreds words up to most_hundreds (first prefixes). With thousands,
    also every thousands word with or without hundreds (first prefixes) and the
    words of 10..99 after a bare thousand (second prefixes), so that
    number_words spells every number up to LARGEST_NUMBER."""
    second = {below_hundred(n, False) for n in range(1, 100)}
    second |= {below_hundred(n, True) for n in range(1, 20)}
    first = HUNDREDS[1:most_hundreds + 1]
    if thousands:
        second |= {after_bare_thousand(n) for n in range(10, 100)}
        first = first + [t + h for t in THOUSANDS[1:] for h in HUNDREDS]
    return sorted(second, key=lambda w: (len(w), w)), first


def read_table(path):
    """The rows of a tab-separated source, without blank and comment lines."""
    rows = []
    for line in path.read_text(encoding="utf-8").splitlines():
        if line.strip() and not line.lstrip().startswith("#"):
            rows.append(line.split("\t"))
    return rows


def vocabulary_lines(regions, roads, extra, most_hundreds=9, thousands=False):
    """Tagged vocabulary lines: counties, districts, roads, numerals, then the
    extra (word, tags) rows; each word once, at its first place."""
    second, first = numeral_vocabulary(most_hundreds, thousands)
    entries = [(county, "upper-head") for county, _ in regions]
    entries += [(district, "upper-follower lower-head") for _, district in regions]
    entries += [(road[2], "completion-trigger") for road in roads]
    entries += [(word, "second-prefix") for word in second]
    entries += [(word, "first-prefix") for word in first]
    entries += [(row[0], row[1] if len(row) > 1 else "") for row in extra]
    lines, seen = [], set()
    for word, tags in entries:
        if word not in seen:
            seen.add(word)
            lines.append(f"{word}\t{tags}".rstrip())
    return lines
