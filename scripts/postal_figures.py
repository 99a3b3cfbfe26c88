#!/usr/bin/env python3
"""Figures of the postal evaluation lists (data/tw/eval/postal-*.txt): per
kind, how often the first result is the reference address, how often its
postcode is the table's when it is, and how often its postal standing
("number", "road", "not-found") is the reference's, with and without --postal.

    python3 scripts/postal_figures.py VANTIR DATA_DIR [--accurate]

VANTIR is the built `vantir` tool, DATA_DIR a folder built from data/tw (with
postal.pst). Prints one table per setting; the text is what docs/ACCURATE.md
and the README quote.
"""

import json
import subprocess
import sys
from collections import defaultdict
from pathlib import Path

EVAL = Path(__file__).resolve().parents[1] / "data" / "tw" / "eval"


def read_keyed(path):
    out = {}
    for line in path.read_text(encoding="utf-8").splitlines():
        if line.startswith("#") or not line.strip():
            continue
        key, rest = line.split(None, 1) if "\t" not in line else line.split("\t", 1)
        out[key] = rest
    return out


def run(tool, data, options):
    command = [tool, "filter", "--text", "--json", "--data", data, *options,
               str(EVAL / "postal-nbest.txt")]
    output = subprocess.run(command, check=True, capture_output=True, text=True).stdout
    return {row["utterance"]: row for row in map(json.loads, output.splitlines())}


def figures(tool, data, options, refs, codes):
    rows = run(tool, data, options)
    tally = defaultdict(lambda: [0, 0, 0, 0])  # utterances, first right, code right, status right
    for utt, ref in refs.items():
        kind = utt.rsplit("_", 1)[0]
        code, status = codes[utt].split("\t")
        counts = tally[kind]
        counts[0] += 1
        details = rows.get(utt, {}).get("details", [])
        if not details:
            continue
        first = details[0]
        if first["text"] == ref:
            counts[1] += 1
            counts[2] += first.get("postcode") == code
        counts[3] += first.get("postal") == status
    return tally


def main():
    tool, data = sys.argv[1], sys.argv[2]
    mode = ["--accurate"] if "--accurate" in sys.argv[3:] else []
    refs = read_keyed(EVAL / "postal-ref.txt")
    codes = read_keyed(EVAL / "postal-codes.txt")
    for label, options in (("without --postal", mode), ("with --postal", mode + ["--postal"])):
        tally = figures(tool, data, options, refs, codes)
        print(f"{' '.join(mode) or 'default mode'}, {label}")
        print(f"{'kind':<16}{'n':>4}{'first right':>13}{'postcode':>10}{'status':>9}")
        total = [0, 0, 0, 0]
        for kind, (n, right, code, status) in tally.items():
            total = [a + b for a, b in zip(total, (n, right, code, status))]
            print(f"{kind:<16}{n:>4}{100 * right / n:>12.1f}%"
                  f"{(100 * code / right if right else 0):>9.1f}%{100 * status / n:>8.1f}%")
        n, right, code, status = total
        print(f"{'all':<16}{n:>4}{100 * right / n:>12.1f}%"
              f"{(100 * code / right if right else 0):>9.1f}%{100 * status / n:>8.1f}%\n")


if __name__ == "__main__":
    main()
