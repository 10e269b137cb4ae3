#!/usr/bin/python3
"""Writes a SEG-Y file with segyio's Python module (python3-segyio), an
independent writer for plume-section's tests and benchmark.

    /usr/bin/python3 tools/make_segy_fixture.py LAYOUT.json OUT.sgy

LAYOUT.json: {"format": 1|2|3|5|8, "endian": "big"|"little", "revision": 0|1|2,
            "interval_us": N, "delay_ms": N,
            "traces": [{"offset": N, "scalar": N, "samples": [...]}, ...]}
Optional: "time_scalar": N (trace bytes 215-216), "recorded": [year, day,
hour, minute, second, time basis] (bytes 157-168), "seismic_unix": true
(the reel headers cut off, the file checked with segyio.su); or, for large
files, "synthetic": {"traces": N, "samples": N} instead of
"traces" (a decaying sine per trace, offsets 10 m apart).

segyio 1.8.3 writes 2- and 1-byte integer samples with the size of a 4-byte
sample (the last ones of each trace are lost); for formats 3 and 8 the
headers come from segyio and the sample bytes are written here with numpy,
at the positions segyio gave the headers.
"""
import json
import sys
import types

import numpy as np
import segyio
import segyio.su

SAMPLE_TYPES = {1: np.float32, 2: np.int32, 3: np.int16, 5: np.float32, 8: np.int8}
SAMPLE_BYTES = {1: 4, 2: 4, 3: 2, 5: 4, 8: 1}


def synthetic_traces(count, samples):
    t = np.arange(samples, dtype=np.float64)
    for i in range(count):
        onset = 50 + 3 * i
        shifted = np.clip(t - onset, 0, None)
        wave = np.sin(shifted * 0.15) * np.exp(-shifted * 0.004) * (t >= onset)
        yield {"offset": 10 * (i + 1), "scalar": 1, "samples": (1000.0 * wave).astype(np.float32)}


def main():
    layout_path, out = sys.argv[1], sys.argv[2]
    with open(layout_path) as f:
        layout = json.load(f)
    fmt = int(layout.get("format", 5))
    endian = layout.get("endian", "big")
    if "synthetic" in layout:
        count, samples = layout["synthetic"]["traces"], layout["synthetic"]["samples"]
        traces = synthetic_traces(count, samples)
    else:
        traces = layout["traces"]
        count, samples = len(traces), len(traces[0]["samples"])

    # An unstructured file (no inline/crossline sorting): segyio.create
    # takes any object with these attributes.
    s = types.SimpleNamespace(iline=189, xline=193, ilines=None, xlines=None, offsets=[1], sorting=None,
                              ext_headers=0, format=fmt, samples=list(range(samples)), tracecount=count,
                              endian=endian)
    dtype = SAMPLE_TYPES[fmt]
    narrow = SAMPLE_BYTES[fmt] < 4
    kept = []
    with segyio.create(out, s) as f:
        f.bin.update({segyio.BinField.Interval: int(layout.get("interval_us", 4000)),
                      segyio.BinField.SEGYRevision: int(layout.get("revision", 1)) << 8})
        for i, trace in enumerate(traces):
            header = {segyio.TraceField.offset: int(trace["offset"]),
                      segyio.TraceField.ElevationScalar: int(trace.get("scalar", 1)),
                      segyio.TraceField.DelayRecordingTime: int(layout.get("delay_ms", 0)),
                      segyio.TraceField.TRACE_SAMPLE_INTERVAL: int(layout.get("interval_us", 4000)),
                      segyio.TraceField.TRACE_SAMPLE_COUNT: samples}
            if "time_scalar" in layout:
                header[segyio.TraceField.ScalarTraceHeader] = int(layout["time_scalar"])  # bytes 215-216
            if "recorded" in layout:
                fields = (segyio.TraceField.YearDataRecorded, segyio.TraceField.DayOfYear,
                          segyio.TraceField.HourOfDay, segyio.TraceField.MinuteOfHour,
                          segyio.TraceField.SecondOfMinute, segyio.TraceField.TimeBaseCode)
                header.update(dict(zip(fields, (int(v) for v in layout["recorded"]))))
            f.header[i] = header
            values = np.asarray(trace["samples"], dtype=dtype)
            if narrow:
                kept.append(values)
            else:
                f.trace[i] = values
    if narrow:
        width = SAMPLE_BYTES[fmt]
        order = ">" if endian == "big" else "<"
        with open(out, "r+b") as f:
            for i, values in enumerate(kept):
                f.seek(3600 + i * (240 + samples * width) + 240)
                f.write(values.astype(order + np.dtype(dtype).str[1:]).tobytes())
            f.truncate(3600 + count * (240 + samples * width))
    if layout.get("seismic_unix"):
        cut_reel_headers(out, endian, count, samples)


def cut_reel_headers(out, endian, count, samples):
    """Seismic Unix: the traces alone, read back through segyio.su."""
    with open(out, "rb") as f:
        data = f.read()[3600:]
    with open(out, "wb") as f:
        f.write(data)
    with segyio.su.open(out, ignore_geometry=True, endian=endian) as su:
        if su.tracecount != count or len(su.samples) != samples:
            raise SystemExit("segyio.su reads the cut file differently")


if __name__ == "__main__":
    main()
