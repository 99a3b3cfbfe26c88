#!/usr/bin/env python3
"""What the filter gives first for each real address: the reference, a prefix
of it (an address cut short, still true), another address, or nothing; per
category (the utterance id up to its last '_'), in one mode.

Runs `vantir filter --text --max 1` over an N-best file of
data/tw/generate_real_lists.py and compares each first result with the
reference, numerals folded to digits as `vantir eval` folds them:

    python3 scripts/real_address_report.py --vantir build/default/tools/vantir \\
        --data build/default/data/tw --nbest data/tw/eval/real-written-nbest.txt \\
        --ref data/tw/eval/real-ref.txt [--accurate] [--show other]

"Another address" is a first result that is neither the reference nor a
prefix of it: the filter read something that was not said.
"""

import argparse
import subprocess
import sys
from collections import Counter, defaultdict

DIGITS = {"零": 0, "一": 1, "二": 2, "兩": 2, "三": 3, "四": 4, "五": 5, "六": 6, "七": 7,
          "八": 8, "九": 9, "幺": 1, "〇": 0}
PLACES = {"十": 10, "百": 100, "千": 1000}


def folded(text):
    """Numeral runs as digits, the lenient reading of the filter's composition."""
    out, total, digit, pending = [], 0, 0, False
    for ch in text + "\0":
        if ch in DIGITS:
            digit, pending = DIGITS[ch], True
        elif ch in PLACES:
            total += (digit or 1) * PLACES[ch] if digit else PLACES[ch]
            digit, pending = 0, True
        else:
            if pending:
                out.append(str(total + digit))
            total, digit, pending = 0, 0, False
            if ch != "\0":
                out.append(ch)
    return "".join(out)


def first_results(vantir, data, nbest, accurate):
    command = [vantir, "filter", "--data", data, "--text", "--max", "1", "-j", "2", nbest]
    if accurate:
        command.insert(2, "--accurate")
    output = subprocess.run(command, check=True, capture_output=True, text=True).stdout
    results, current = {}, None
    for line in output.splitlines():
        if not line.startswith(" "):
            current = line.strip()
            results[current] = ""
        elif current is not None and line.strip().startswith("1. "):
            results[current] = line.strip()[3:]
    return results


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--vantir", required=True)
    parser.add_argument("--data", required=True)
    parser.add_argument("--nbest", required=True)
    parser.add_argument("--ref", required=True)
    parser.add_argument("--accurate", action="store_true")
    parser.add_argument("--show", choices=["other", "prefix", "none"], action="append", default=[])
    args = parser.parse_args()
    refs = {}
    for line in open(args.ref, encoding="utf-8"):
        if line.strip() and not line.startswith("#"):
            uid, text = line.split(maxsplit=1)
            refs[uid] = text.strip()
    results = first_results(args.vantir, args.data, args.nbest, args.accurate)
    tally = defaultdict(Counter)
    for uid, result in results.items():
        ref = folded(refs[uid])
        got = folded(result)
        kind = ("right" if got == ref else "none" if not got else
                "prefix" if ref.startswith(got) else "other")
        category = uid.rsplit("_", 1)[0]
        for key in (category, "all"):
            tally[key][kind] += 1
        if kind in args.show:
            print(f"{kind}\t{uid}\t{refs[uid]}\t{result}")
    print(f"{'category':14}{'count':>7}{'right':>9}{'prefix':>9}{'other':>9}{'none':>9}")
    for category in sorted(tally, key=lambda c: (c == "all", c)):
        counts = tally[category]
        total = sum(counts.values())
        shares = "".join(f"{100.0 * counts[k] / total:8.1f}%" for k in
                         ("right", "prefix", "other", "none"))
        print(f"{category:14}{total:7d}{shares}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
