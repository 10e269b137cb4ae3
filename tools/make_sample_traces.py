#!/usr/bin/env python3
"""Writes a trace file for traceplot: damped sine arrivals on a line of
receivers, as a small seismic shot record looks.

    python3 tools/make_sample_traces.py [--traces N] [--samples N] [OUT]

OUT defaults to standard output. The defaults (12 traces of 400 samples)
make examples/traces/fort.10, which examples/traces/params.txt draws:

    python3 tools/make_sample_traces.py examples/traces/fort.10

Layout (fixed columns, one record per line): sample interval in columns
1-12 with 5 implied decimals; the trace count in 1-5; per trace its position
(1-12, 5 implied decimals), its sample count (1-5), its amplitude (1-15,
7 implied decimals) and its samples, six to a record in 12 columns each
with 7 implied decimals. Most values are written as digits without a
decimal point, as the implied decimals allow; every seventh sample is
written with its point, which overrides them.
"""

import argparse
import math
import random
import sys

SAMPLE_INTERVAL = 0.004  # seconds
RECEIVER_SPACING = 100.0  # metres between traces
VELOCITY = 2500.0  # metres per second of the arrival's moveout


def implied(value, decimals, width):
    """value as digits without a point, the last `decimals` being the fraction."""
    return str(round(value * 10**decimals)).rjust(width)


def pointed(value, width):
    return f"{value:.7f}".rjust(width)


def trace_samples(position, samples, rng):
    onset = 0.08 + position / VELOCITY
    frequency = 9.0 + position / 400.0
    decay = 0.35
    values = []
    for j in range(samples):
        t = j * SAMPLE_INTERVAL
        noise = 0.03 * (rng.random() - 0.5)
        if t < onset:
            values.append(noise)
            continue
        age = t - onset
        wave = math.exp(-age / decay) * math.sin(2 * math.pi * frequency * age)
        echo = 0.0
        if age > 0.45:
            echo = 0.4 * math.exp(-(age - 0.45) / 0.1) * math.sin(2 * math.pi * 2 * frequency * (age - 0.45))
        values.append(max(-1.0, min(1.0, wave + echo + noise)))
    return values


def write(out, traces, samples):
    rng = random.Random(1989)
    out.write(implied(SAMPLE_INTERVAL, 5, 12) + implied(0.0, 5, 12) + "\n")
    out.write(str(traces).rjust(5) + "\n")
    for i in range(traces):
        position = i * RECEIVER_SPACING
        out.write(implied(position, 5, 12) + implied(0.0, 5, 12) + "\n")
        out.write(str(samples).rjust(5) + "\n")
        out.write(implied(1.0 / (1.0 + position / 1500.0), 7, 15) + "\n")
        values = trace_samples(position, samples, rng)
        for start in range(0, max(samples, 1), 6):
            fields = []
            for j in range(start, min(start + 6, samples)):
                fields.append(pointed(values[j], 12) if j % 7 == 6 else implied(values[j], 7, 12))
            out.write("".join(fields) + "\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("output", nargs="?", help="file to write (default: standard output)")
    parser.add_argument("--traces", type=int, default=12)
    parser.add_argument("--samples", type=int, default=400)
    args = parser.parse_args()
    if not 0 <= args.traces <= 99999 or not 0 <= args.samples <= 99999:
        parser.error("counts must fit the 5-column count fields (0 to 99999)")
    if args.output:
        with open(args.output, "w", newline="\n") as out:
            write(out, args.traces, args.samples)
    else:
        write(sys.stdout, args.traces, args.samples)


if __name__ == "__main__":
    main()
