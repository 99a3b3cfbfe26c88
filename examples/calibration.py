#!/usr/bin/env python3
"""Reliability diagram of the filter's confidence on an N-best file with
reference texts, drawn with matplotlib (Debian: python3-matplotlib) to a PNG.

    python3 examples/calibration.py --data build/default/data/tw \\
        data/tw/hard-nbest.txt data/tw/hard-ref.txt --out reliability.png

Every utterance is filtered in both modes with details=True. For the first
result of each, the diagram plots the share that is the reference against the
mean confidence, per tenth of the confidence scale; a calibrated filter lies
on the diagonal. Bars below show how many first results fall in each tenth.
An application that acts without asking back above some confidence reads off
the diagram how often it would be wrong there.
"""

import argparse
import re
import warnings

import matplotlib

matplotlib.use("Agg")  # files only, no display needed
import matplotlib.pyplot as plt  # noqa: E402

import vantir  # noqa: E402
from evaluate import read_nbest, read_references  # noqa: E402

BINS = 10
DIGITS = "一二三四五六七八九"


def section_value(numerals):
    """1..99 spoken as a section number (四, 十二, 二十三)."""
    tens, _, units = numerals.rpartition("十")
    if "十" not in numerals:
        return DIGITS.index(numerals) + 1
    return (DIGITS.index(tens) + 1 if tens else 1) * 10 + (DIGITS.index(units) + 1 if units else 0)


def folded(text):
    """The default mode may write a section in digits (4段): compare both spellings alike."""
    return re.sub(r"([一二三四五六七八九十]+)段", lambda m: f"{section_value(m.group(1))}段", text)


def first_results(f, utterances, references):
    """(confidence, right) of the first result of every utterance that has one."""
    pairs = []
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", vantir.UnknownWordWarning)
        for utterance, hypotheses in utterances.items():
            results = f.filter(hypotheses, details=True)
            if results:
                right = folded(results[0].text) == folded(references[utterance])
                pairs.append((results[0].confidence, right))
    return pairs


def reliability(pairs):
    """Per bin: mean confidence, share right and count; and the calibration error."""
    bins = [[0, 0.0, 0] for _ in range(BINS)]
    for confidence, right in pairs:
        b = min(BINS - 1, int(confidence * BINS))
        bins[b][0] += 1
        bins[b][1] += confidence
        bins[b][2] += right
    rows = [(c / n, r / n, n) for n, c, r in bins if n]
    error = sum(abs(c - r) for n, c, r in bins) / max(1, len(pairs))
    return rows, error


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--data", required=True, help="directory built by vantir build")
    parser.add_argument("nbest")
    parser.add_argument("ref")
    parser.add_argument("--out", default="reliability.png", help="PNG file to write")
    args = parser.parse_args()
    utterances = read_nbest(args.nbest)
    references = read_references(args.ref)

    figure, (top, bottom) = plt.subplots(2, 1, figsize=(6, 7), sharex=True,
                                         gridspec_kw={"height_ratios": [3, 1]})
    top.plot([0, 1], [0, 1], color="grey", linestyle=":", label="calibrated")
    for accurate, colour in ((False, "tab:blue"), (True, "tab:orange")):
        mode = "accurate" if accurate else "default"
        pairs = first_results(vantir.Filter(args.data, accurate=accurate), utterances, references)
        rows, error = reliability(pairs)
        top.plot([c for c, _, _ in rows], [r for _, r, _ in rows], marker="o", color=colour,
                 label=f"{mode} mode (calibration error {error:.3f})")
        offset = -0.02 if not accurate else 0.02
        bottom.bar([c + offset for c, _, _ in rows], [n for _, _, n in rows], width=0.035,
                   color=colour)
        print(f"{mode}: {len(pairs)} first results, expected calibration error {error:.3f}")
    top.set_ylabel("share of first results that are right")
    top.set_title("Reliability of the first result's confidence")
    top.legend(loc="upper left")
    top.set_xlim(0, 1)
    top.set_ylim(0, 1)
    bottom.set_xlabel("confidence")
    bottom.set_ylabel("first results")
    figure.tight_layout()
    figure.savefig(args.out, dpi=100)
    print(f"wrote {args.out}")


if __name__ == "__main__":
    main()
