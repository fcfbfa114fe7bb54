#!/usr/bin/env python3
"""Generates render/tonal_look_shapes.cpp: the sixteen stored target histograms of the tonal
look, 256 bytes each, whose highest entry is 255.

Each look is known by three figures: its mean level, its median level and the level of its
255 entry. A row is a split bell (a half Gaussian on each side of its mode) plus the 255 entry;
the bell's mode and skew are solved so that the row has the median and mean of the look, and
the bytes are then nudged one at a time until the rounded mean is exact.

Figures of a row (also used by the test that checks the compiled table):
  mean   = sum(i * row[i]) / sum(row[i]), rounded half up
  median = the first level i with 2 * (row[0] + ... + row[i]) >= sum(row)
  peak   = the only level whose entry is 255

Usage: make_tonal_targets.py [--check] [output file]
  --check  exits with 1 when the output file differs from what would be generated.
"""
import math
import os
import sys

# name, mean, median, level of the 255 entry, total width of the bell (sigma left + right)
LOOKS = [
    ("Corvath: Dark", 73, 59, 12, 110),
    ("Corvath: Dark Hard", 66, 44, 16, 130),
    ("Corvath: Dark Harder", 57, 28, 15, 80),
    ("Corvath: Mid", 117, 117, 123, 100),
    ("Corvath: Mid Hard", 111, 113, 255, 90),
    ("Corvath: Mid Harder", 107, 84, 0, 160),
    ("Corvath: Bright", 139, 139, 126, 100),
    ("Corvath: Bright Hard", 149, 180, 185, 130),
    ("Corvath: Bright Soft", 144, 158, 16, 80),
    ("Corvath: Highkey", 176, 186, 229, 90),
    ("Brisland: Mid", 120, 104, 192, 110),
    ("Oskeley: Mid Hard", 109, 112, 13, 90),
    ("Oskeley: Bright Hard", 154, 196, 230, 70),
    ("Velloran: Dark", 81, 73, 12, 110),
    ("Velloran: Bright Hard", 141, 156, 7, 130),
    ("Drummick: Mid Soft", 142, 165, 0, 80),
]
LEVELS = 256
BELL_HEIGHT = 200.0  # the bell stays below the 255 entry
TAIL_SIGMA = 45.0


def mean_of(row):
    return sum(i * v for i, v in enumerate(row)) / sum(row)


def median_of(row):
    total = sum(row)
    running = 0
    for i, v in enumerate(row):
        running += v
        if 2 * running >= total:
            return i
    return LEVELS - 1


def rounded(x):
    return int(math.floor(x + 0.5))


def smooth_median(row):
    """The median with linear interpolation inside the level, for the solver."""
    total = sum(row)
    running = 0.0
    for i, v in enumerate(row):
        if v > 0 and 2 * (running + v) >= total:
            return i - 0.5 + (total / 2 - running) / v
        running += v
    return LEVELS - 1.0


def bell_row(mode, tail_weight, tail_centre, peak, width):
    row = []
    for i in range(LEVELS):
        bell = math.exp(-0.5 * ((i - mode) / (width / 2)) ** 2)
        tail = math.exp(-0.5 * ((i - tail_centre) / TAIL_SIGMA) ** 2)
        row.append(BELL_HEIGHT * (bell + tail_weight * tail) / (1.0 + tail_weight))
    row[peak] = 255.0
    return row


def solve_bell(mean, median, peak, width):
    """Mode of the bell and weight of the tail that give the look's median and mean."""
    # The tail lies on the side towards which the mean leans from the median.
    tail_centre = 235.0 if mean >= median else 20.0

    def row_for(weight):
        lo, hi = -20.0, 275.0
        for _ in range(50):  # the median rises with the mode
            mode = (lo + hi) / 2
            if smooth_median(bell_row(mode, weight, tail_centre, peak, width)) < median:
                lo = mode
            else:
                hi = mode
        return bell_row((lo + hi) / 2, weight, tail_centre, peak, width)

    lo, hi = 0.0, 4.0
    for _ in range(40):  # with the median held, a heavier tail pulls the mean towards it
        weight = (lo + hi) / 2
        if (mean_of(row_for(weight)) - mean) * (tail_centre - median) < 0:
            lo = weight
        else:
            hi = weight
    return row_for((lo + hi) / 2)


def quantise(row, peak):
    out = [min(254, max(0, rounded(v))) for v in row]
    out[peak] = 255
    return out


def fit_mean(row, mean, median, peak):
    """Moves single bytes by one until the mean lies within a quarter level of the target."""
    for _ in range(5000):
        total = sum(row)
        weighted = sum(i * v for i, v in enumerate(row))
        if abs(weighted / total - mean) < 0.25 and median_of(row) == median:
            return row
        # The byte whose change by one brings the mean closest, keeping the median.
        candidates = []
        for i in range(LEVELS):
            for step in (-1, 1):
                if i != peak and 0 <= row[i] + step <= 254:
                    error = abs((weighted + step * i) / (total + step) - mean)
                    candidates.append((error, i, step))
        for _, i, step in sorted(candidates):
            row[i] += step
            if median_of(row) == median:
                break
            row[i] -= step
    raise SystemExit("could not fit the mean %d" % mean)


def make_row(mean, median, peak, width):
    """The look's row; when the bell of the named width cannot reach both figures, the
    nearest width that can is taken."""
    widths = sorted(range(50, 221, 10), key=lambda w: (abs(w - width), w))
    for w in widths:
        row = solve_bell(mean, median, peak, w)
        if smooth_median(row) == median or abs(smooth_median(row) - median) < 0.01:
            if abs(mean_of(row) - mean) < 0.5:
                return fit_mean(quantise(row, peak), mean, median, peak)
    raise SystemExit("no bell fits the mean %d and median %d" % (mean, median))


def make_rows():
    rows = []
    for name, mean, median, peak, width in LOOKS:
        row = make_row(mean, median, peak, width)
        assert rounded(mean_of(row)) == mean, name
        assert median_of(row) == median, name
        assert row.count(255) == 1 and row.index(255) == peak, name
        rows.append((name, row))
    return rows


def render(rows):
    lines = [
        "// The sixteen stored target histograms of the tonal look; generated by",
        "// tools/make_tonal_targets.py from each look's mean, median and peak level.",
        "",
        '#include "render/tonal_look.h"',
        "",
        "// clang-format off",
        "const uint8_t kTonalLookShapes[kTonalLookShapeCount][kTonalLookShapeLevels] = {",
    ]
    for name, row in rows:
        lines.append("    // %s" % name)
        lines.append("    {")
        for start in range(0, LEVELS, 16):
            lines.append("        " + ", ".join("%3d" % v for v in row[start:start + 16]) + ",")
        lines.append("    },")
    lines.append("};")
    lines.append("// clang-format on")
    return "\n".join(lines) + "\n"


def main(argv):
    check = "--check" in argv
    paths = [a for a in argv if not a.startswith("--")]
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    path = paths[0] if paths else os.path.join(root, "render", "tonal_look_shapes.cpp")
    text = render(make_rows())
    if check:
        with open(path) as f:
            if f.read() != text:
                print("%s differs from the generated shapes" % path)
                return 1
        return 0
    with open(path, "w") as f:
        f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
