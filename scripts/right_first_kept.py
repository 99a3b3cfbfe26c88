#!/usr/bin/env python3
"""How often accurate mode keeps a right first hypothesis first.

An utterance counts when its first hypothesis, filtered alone in the default
mode, gives the reference text first; it is kept when accurate mode, given the
whole list, still puts the reference first. Texts are compared with sections
folded to digits (四段 and 4段 alike), as `vantir eval` folds numerals.

    python3 scripts/right_first_kept.py build/default/tools/vantir DATA NBEST REF
"""

import argparse
import re
import subprocess
import sys
import tempfile

SECTION_DIGITS = {c: str(i) for i, c in enumerate("零一二三四五六七八九十")}


def fold(text):
    return re.sub(r"([一二三四五六七八九十])段", lambda m: SECTION_DIGITS[m.group(1)] + "段", text)


def filtered(tool, data, path, extra):
    """Results per utterance id, in order, from `vantir filter`."""
    run = subprocess.run([tool, "filter", "--data", data, path] + extra,
                         capture_output=True, text=True, check=False)
    if run.returncode != 0:
        sys.exit(f"{tool} filter failed on {path}: {run.stderr.strip()}")
    results, current = {}, None
    for line in run.stdout.splitlines():
        if not line.startswith(" "):
            current = line.strip()
            results[current] = []
        elif ". " in line:
            results[current].append(line.split(". ", 1)[1])
    return results


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("tool")
    parser.add_argument("data")
    parser.add_argument("nbest", help="Kaldi-form N-best file (UTTID-RANK words)")
    parser.add_argument("ref")
    args = parser.parse_args()

    refs = {}
    with open(args.ref, encoding="utf-8") as ref:
        for line in ref:
            if line.startswith("#") or not line.strip():
                continue
            utterance, text = line.split(None, 1)
            refs[utterance] = text.strip()
    with open(args.nbest, encoding="utf-8") as nbest:
        firsts = [line for line in nbest if re.match(r"^\S+-1 ", line)]
    with tempfile.NamedTemporaryFile("w", suffix=".txt", encoding="utf-8") as first:
        first.writelines(firsts)
        first.flush()
        alone = filtered(args.tool, args.data, first.name, [])
    whole = filtered(args.tool, args.data, args.nbest, ["--accurate"])

    right = [u for u in refs if alone.get(u) and fold(alone[u][0]) == fold(refs[u])]
    lost = [u for u in right if not whole.get(u) or fold(whole[u][0]) != fold(refs[u])]
    kept = len(right) - len(lost)
    share = 100.0 * kept / len(right) if right else 100.0
    print(f"right first hypotheses: {len(right)}, kept first by accurate mode: {kept} "
          f"({share:.1f} %)")
    for utterance in lost:
        print(f"  lost {utterance}: {whole.get(utterance, [''])[:2]} for {refs[utterance]}")


if __name__ == "__main__":
    main()
