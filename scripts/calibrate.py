#!/usr/bin/env python3
"""Fits the confidence model of the library and checks it on held-out lists.

For each mode, every result of every utterance of the given lists is one
example: its features (what Vantir_GetResultInfo weighs: support share, score
share and margin, first rank, place in the list, class, completeness, cut
short, number of hypotheses) and whether it is the reference's address
(numerals folded, as `vantir eval` compares). The utterances are split in two
by a hash of their id; a logistic model per mode is fitted on the first half
(Newton's method with a small ridge) and checked on the second: the reliability
table, the expected calibration error of first and of all results, and the
share and precision of first results at or above 0.9.

    python3 scripts/calibration_lists.py --out build/calibration
    python3 scripts/calibrate.py --tool build/default/tools/vantir \\
        --data build/default/data/tw \\
        --lists build/calibration/calibration-nbest.txt build/calibration/calibration-ref.txt \\
        --update filter/result_confidence.cpp

--update writes the fitted weights into the library's source (between its
fitted-weights markers); rebuild, then `vantir eval --calibration` shows the
same figures on any list. --check-only reports the weights the tool already has.
"""

import argparse
import math
import pathlib
import re
import subprocess
import sys
import tempfile
import zlib

MODES = ("default", "accurate")
FEATURES = ("bias", "support share", "score share", "margin", "first rank", "listed first",
            "completed", "bare", "complete", "cut short", "one hypothesis", "region guessed")
BINS = 10
ACT_ON = 0.9
RIDGE = 0.1           # penalty on the squared weights: keeps them moderate and finite
NEWTON_STEPS = 50
CONVERGED = 1e-9


def run_tool(tool, data, nbest, ref, mode, rows_file):
    command = [tool, "eval", "--data", data, "--nbest", nbest, "--ref", ref,
               "--calibration-data", rows_file]
    if mode == "accurate":
        command.append("--accurate")
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL)


def read_rows(path, source):
    rows = []
    with open(path, encoding="utf-8") as lines:
        header = next(lines).rstrip("\n").split("\t")
        features = [i for i, name in enumerate(header) if re.fullmatch(r"f\d+", name)]
        for line in lines:
            cells = line.rstrip("\n").split("\t")
            rows.append({
                "mode": cells[0], "utterance": source + ":" + cells[1],
                "position": int(cells[2]), "right": int(cells[3]),
                "confidence": float(cells[4]), "x": [float(cells[i]) for i in features]})
    return rows


def held_out(utterance):
    """Half of the utterances, chosen by their id alone so that any list splits alike."""
    return zlib.crc32(utterance.encode("utf-8")) % 2 == 1


def sigmoid(z):
    if z < -60:
        return 0.0
    if z > 60:
        return 1.0
    return 1.0 / (1.0 + math.exp(-z))


def solve(matrix, vector):
    """Gaussian elimination with partial pivoting on a small dense system."""
    n = len(vector)
    a = [row[:] + [vector[i]] for i, row in enumerate(matrix)]
    for col in range(n):
        pivot = max(range(col, n), key=lambda r: abs(a[r][col]))
        a[col], a[pivot] = a[pivot], a[col]
        for r in range(col + 1, n):
            factor = a[r][col] / a[col][col]
            for c in range(col, n + 1):
                a[r][c] -= factor * a[col][c]
    out = [0.0] * n
    for r in range(n - 1, -1, -1):
        out[r] = (a[r][n] - sum(a[r][c] * out[c] for c in range(r + 1, n))) / a[r][r]
    return out


def fit(rows, ridge):
    """Logistic regression by Newton's method; returns the weights."""
    k = len(rows[0]["x"])
    w = [0.0] * k
    for _ in range(NEWTON_STEPS):
        gradient = [-ridge * w[j] for j in range(k)]
        hessian = [[ridge if i == j else 0.0 for j in range(k)] for i in range(k)]
        for row in rows:
            x = row["x"]
            p = sigmoid(sum(wi * xi for wi, xi in zip(w, x)))
            err = row["right"] - p
            s = p * (1.0 - p)
            for i in range(k):
                if x[i] == 0.0:
                    continue
                gradient[i] += err * x[i]
                sx = s * x[i]
                hi = hessian[i]
                for j in range(k):
                    hi[j] += sx * x[j]
        step = solve(hessian, gradient)
        w = [wi + si for wi, si in zip(w, step)]
        if max(abs(si) for si in step) < CONVERGED:
            break
    return w


def confidence(w, x):
    return sigmoid(sum(wi * xi for wi, xi in zip(w, x)))


def reliability(pairs):
    """(count, mean confidence, share right) per bin, and the expected error."""
    bins = [[0, 0.0, 0] for _ in range(BINS)]
    for c, right in pairs:
        b = min(BINS - 1, max(0, int(c * BINS)))
        bins[b][0] += 1
        bins[b][1] += c
        bins[b][2] += right
    total = sum(b[0] for b in bins)
    error = sum(abs(b[1] - b[2]) for b in bins) / total if total else 0.0
    return bins, error


def report(mode, rows, scored, out):
    """Figures of one mode's held-out rows; `scored` gives each row's confidence."""
    first = [(scored(r), r["right"]) for r in rows if r["position"] == 0]
    every = [(scored(r), r["right"]) for r in rows]
    utterances = len({r["utterance"] for r in rows})
    bins_first, ece_first = reliability(first)
    bins_all, ece_all = reliability(every)
    acted = [right for c, right in first if c >= ACT_ON]
    top_right = sum(right for _, right in first)
    out.write(f"\n{mode} mode, held-out half: {utterances} utterances with results, "
              f"{len(every)} results, first results right {100.0 * top_right / len(first):.1f}%\n")
    out.write("| confidence | first results | mean confidence | right | all results | "
              "mean confidence | right |\n|---|---:|---:|---:|---:|---:|---:|\n")
    for b in range(BINS):
        cells = []
        for bins in (bins_first, bins_all):
            n, c, right = bins[b]
            cells += [str(n), f"{c / n:.3f}" if n else "-", f"{right / n:.3f}" if n else "-"]
        out.write(f"| {b / BINS:.1f}–{(b + 1) / BINS:.1f} | " + " | ".join(cells) + " |\n")
    out.write(f"expected calibration error: first results {ece_first:.3f}, "
              f"all results {ece_all:.3f}\n")
    precision = 100.0 * sum(acted) / len(acted) if acted else 0.0
    out.write(f"first results with confidence >= {ACT_ON}: {len(acted)} of {len(first)} "
              f"utterances ({100.0 * len(acted) / len(first):.1f}%), right {precision:.1f}%\n")
    return {"ece_first": ece_first, "ece_all": ece_all, "acted": len(acted),
            "utterances": len(first), "precision": precision}


def weights_block(weights):
    lines = ["// fitted-weights-begin"]
    for mode, name in (("default", "kDefaultModeWeights"), ("accurate", "kAccurateModeWeights")):
        lines.append(f"constexpr double {name}[kConfidenceFeatureCount] = {{")
        values = [f"{value:.6f}," for value in weights[mode]]
        width = max(len(v) for v in values)  # trailing comments aligned, as clang-format has them
        for value, feature in zip(values, FEATURES):
            lines.append(f"    {value.ljust(width)}  // {feature}")
        lines.append("};")
    lines.append("// fitted-weights-end")
    return "\n".join(lines)


def update_source(path, weights):
    text = path.read_text(encoding="utf-8")
    block = re.compile(r"// fitted-weights-begin\n.*?// fitted-weights-end", re.S)
    if not block.search(text):
        sys.exit(f"{path}: no fitted-weights markers")
    path.write_text(block.sub(lambda _: weights_block(weights), text), encoding="utf-8")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--tool", required=True, help="the vantir command-line tool")
    parser.add_argument("--data", required=True, help="built data directory")
    parser.add_argument("--lists", nargs=2, action="append", required=True,
                        metavar=("NBEST", "REF"), help="an N-best list and its references")
    parser.add_argument("--update", type=pathlib.Path,
                        help="write the fitted weights into this source file")
    parser.add_argument("--ridge", type=float, default=RIDGE,
                        help="penalty on the squared weights (default %(default)s)")
    parser.add_argument("--check-only", action="store_true",
                        help="report the held-out figures of the tool's own confidences")
    args = parser.parse_args()

    rows = []
    with tempfile.TemporaryDirectory() as scratch:
        for n, (nbest, ref) in enumerate(args.lists):
            for mode in MODES:
                path = str(pathlib.Path(scratch) / f"{n}-{mode}.tsv")
                run_tool(args.tool, args.data, nbest, ref, mode, path)
                rows += read_rows(path, pathlib.Path(nbest).name)
    figures = {}
    weights = {}
    for mode in MODES:
        mode_rows = [r for r in rows if r["mode"] == mode]
        train = [r for r in mode_rows if not held_out(r["utterance"])]
        check = [r for r in mode_rows if held_out(r["utterance"])]
        if args.check_only:
            figures[mode] = report(mode, check, lambda r: r["confidence"], sys.stdout)
            continue
        weights[mode] = fit(train, args.ridge)
        figures[mode] = report(mode, check, lambda r, w=weights[mode]: confidence(w, r["x"]),
                               sys.stdout)
    if args.check_only:
        return
    print()
    print(weights_block(weights))
    if args.update:
        update_source(args.update, weights)
        print(f"\nwrote the weights into {args.update}; rebuild the library")


if __name__ == "__main__":
    main()
