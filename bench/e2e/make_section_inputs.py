#!/usr/bin/python3
"""The inputs of the record section benchmark (W3), all holding the same
samples: one SEG-Y file written by segyio (IEEE floats, big-endian), one
SAC file per trace (written here from the published header layout), and
traceplot's fixed-column trace file.

    /usr/bin/python3 bench/e2e/make_section_inputs.py DIR TRACES SAMPLES [DAY_SAMPLES]

Trace i (from 0) sits at offset 10 (i + 1) m (SAC dist in km); samples are
a decaying sine from an onset that moves with the offset, below 1000 in
magnitude so that every value fits the trace file's 12-column fields.
The sample interval is 4 ms.

With DAY_SAMPLES, also day.sac: one trace of that many samples at 100 Hz
(8,640,000 is a day), an event in the middle of weak noise, for the rows
that draw a dense trace thinned and sample by sample.
"""
import os
import struct
import sys
import types

import numpy as np
import segyio

INTERVAL_US = 4000


def samples(traces, count):
    t = np.arange(count, dtype=np.float64)
    data = np.empty((traces, count), dtype=np.float32)
    for i in range(traces):
        onset = 50 + 3 * i
        shifted = np.clip(t - onset, 0, None)
        data[i] = 900.0 * np.sin(shifted * 0.15) * np.exp(-shifted * 0.004) * (t >= onset)
    return data


def write_segy(path, data):
    # An unstructured file (no inline/crossline sorting): segyio.create
    # takes any object with these attributes.
    layout = types.SimpleNamespace(iline=189, xline=193, ilines=None, xlines=None, offsets=[1], sorting=None,
                                   ext_headers=0, format=5, samples=list(range(data.shape[1])),
                                   tracecount=data.shape[0], endian="big")
    with segyio.create(path, layout) as f:
        f.bin.update({segyio.BinField.Interval: INTERVAL_US})
        for i in range(data.shape[0]):
            f.header[i] = {segyio.TraceField.offset: 10 * (i + 1),
                           segyio.TraceField.TRACE_SAMPLE_INTERVAL: INTERVAL_US,
                           segyio.TraceField.TRACE_SAMPLE_COUNT: data.shape[1]}
            f.trace[i] = data[i]


def sac_header(npts, dist_km, station, delta=INTERVAL_US * 1e-6):
    floats = [-12345.0] * 70
    floats[0] = delta  # delta
    floats[5] = 0.0  # b
    floats[6] = (npts - 1) * delta  # e
    floats[50] = dist_km  # dist
    ints = [-12345] * 40
    ints[76 - 70] = 6  # nvhdr
    ints[79 - 70] = npts  # npts
    ints[85 - 70] = 1  # iftype ITIME
    ints[105 - 70] = 1  # leven
    texts = [b"-12345  "] * 24
    texts[0] = station.encode().ljust(8)[:8]  # kstnm
    text = texts[0] + b"-12345          " + b"".join(texts[3:])  # kevnm takes two slots
    assert len(text) == 192
    return struct.pack("<70f", *floats) + struct.pack("<40i", *ints) + text


def write_sac(directory, data):
    os.makedirs(directory, exist_ok=True)
    for i in range(data.shape[0]):
        with open(os.path.join(directory, "t%04d.sac" % i), "wb") as f:
            f.write(sac_header(data.shape[1], 0.01 * (i + 1), "S%04d" % i))
            f.write(data[i].astype("<f4").tobytes())


def write_day(path, count):
    rng = np.random.default_rng(1)
    t = np.arange(count, dtype=np.float64)
    onset = count // 2
    shifted = np.clip(t - onset, 0, None)
    event = 50.0 * np.sin(shifted * 0.2) * np.exp(-shifted * 2e-4) * (t >= onset)
    data = (rng.normal(0.0, 1.0, count) + event).astype("<f4")
    with open(path, "wb") as f:
        f.write(sac_header(count, 100.0, "DAY", delta=0.01))
        f.write(data.tobytes())


def write_trace_file(path, data):
    with open(path, "w") as f:
        f.write("%12.5f%12.5f\n%5d\n" % (INTERVAL_US * 1e-6, 0.0, data.shape[0]))
        for i in range(data.shape[0]):
            f.write("%12.5f%12.5f\n%5d\n%15.7f\n" % (10.0 * (i + 1), 0.0, data.shape[1], 1.0))
            fields = np.char.mod("%12.7f", data[i])
            count = len(fields)
            for start in range(0, count, 6):
                f.write("".join(fields[start:start + 6]) + "\n")


def main():
    directory, traces, count = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    data = samples(traces, count)
    os.makedirs(directory, exist_ok=True)
    write_segy(os.path.join(directory, "section.sgy"), data)
    write_sac(os.path.join(directory, "sac"), data)
    write_trace_file(os.path.join(directory, "fort.10"), data)
    if len(sys.argv) > 4:
        write_day(os.path.join(directory, "day.sac"), int(sys.argv[4]))


if __name__ == "__main__":
    main()
