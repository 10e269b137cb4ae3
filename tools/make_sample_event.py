#!/usr/bin/env python3
"""Writes SAC files of one synthetic teleseismic event, for the demo and the
documentation's pictures of plume-section.

Twelve vertical-component stations from 25 to 95 degrees, 20 samples a
second for 30 minutes, each with microseismic noise, a DC offset and a slow
drift (raw counts, as a digitiser gives them), a P arrival, an S arrival
and a dispersed surface-wave train; the picks are in the headers (o at the
origin, a at P, t1 at S). The SAC header is written from its published
layout with the standard library alone (little-endian, header version 6).
"""
import argparse
import math
import os
import random
import struct

UNSET_FLOAT = -12345.0
UNSET_INT = -12345
UNSET_TEXT = b"-12345  "

STATIONS = [  # network, station, location, gcarc (degrees), azimuth (degrees)
    ("IU", "ANMO", "00", 25.0, 318.0), ("IU", "HRV", "10", 31.5, 12.0),
    ("II", "BFO", "00", 38.0, 40.0), ("IU", "KONO", "00", 44.5, 28.0),
    ("G", "SSB", "00", 47.0, 36.0), ("IU", "PAB", "00", 52.5, 44.0),
    ("II", "ALE", "00", 58.0, 2.0), ("IU", "KEV", "10", 63.5, 20.0),
    ("IU", "ARU", "00", 70.0, 34.0), ("II", "KURK", "00", 77.5, 48.0),
    ("IU", "ULN", "00", 86.0, 56.0), ("IU", "MAJO", "00", 95.0, 70.0),
]
RATE = 20.0  # samples a second
SECONDS = 1800
KM_PER_DEGREE = 111.19


def p_time(gcarc):
    """A smooth stand-in for the P travel time (s) beyond 20 degrees."""
    return 60.0 + 10.4 * gcarc - 0.035 * gcarc * gcarc


def s_time(gcarc):
    return 1.82 * p_time(gcarc)


def wavelet(t, onset, period, decay, amplitude):
    if t < onset:
        return 0.0
    u = t - onset
    return amplitude * math.exp(-u / decay) * math.sin(2 * math.pi * u / period)


def samples_of(gcarc, rng):
    tp, ts = p_time(gcarc), s_time(gcarc)
    tr = gcarc * KM_PER_DEGREE / 3.9  # Rayleigh waves at about 3.9 km/s
    offset = rng.uniform(-52000, -46000)
    drift = rng.uniform(-0.4, 0.4)
    phases = [rng.uniform(0, 2 * math.pi) for _ in range(3)]
    decay = (30.0 / gcarc) ** 0.7
    values = []
    for i in range(int(SECONDS * RATE)):
        t = i / RATE
        noise = (180 * math.sin(2 * math.pi * t / 6.3 + phases[0]) +
                 120 * math.sin(2 * math.pi * t / 4.1 + phases[1]) +
                 15 * math.sin(2 * math.pi * t / 17.0 + phases[2]) + rng.gauss(0, 40))
        signal = wavelet(t, tp, 1.2, 6.0, 2600 * decay) + wavelet(t, ts, 4.0, 20.0, 3400 * decay)
        if t > tr:  # periods falling from 40 to 15 s along the train
            u = t - tr
            period = max(15.0, 40.0 - u / 12.0)
            signal += 5200 * decay * math.exp(-u / 260.0) * math.sin(2 * math.pi * u / period) * min(1.0, u / 40.0)
        values.append(offset + drift * t + noise + signal)
    return values, tp, ts


def text(value, size=8):
    return value.encode("ascii").ljust(size, b" ")[:size]


def sac_bytes(network, station, location, gcarc, azimuth, values, tp, ts):
    floats = [UNSET_FLOAT] * 70
    floats[0] = 1.0 / RATE                           # delta
    floats[1], floats[2] = min(values), max(values)  # depmin, depmax
    floats[5] = 0.0                                  # b
    floats[6] = (len(values) - 1) / RATE             # e
    floats[7] = 0.0                                  # o
    floats[8] = tp                                   # a
    floats[11] = ts                                  # t1
    floats[50] = gcarc * KM_PER_DEGREE               # dist
    floats[51] = azimuth                             # az
    floats[52] = (azimuth + 180.0) % 360.0           # baz
    floats[53] = gcarc                               # gcarc
    ints = [UNSET_INT] * 40
    ints[0:6] = [2026, 343, 21, 14, 5, 0]            # nzyear, nzjday, nzhour, nzmin, nzsec, nzmsec
    ints[6] = 6                                      # nvhdr
    ints[9] = len(values)                            # npts
    ints[15] = 1                                     # iftype: time series
    ints[35] = 1                                     # leven
    strings = [text(station), text("SYNTHETIC EVENT", 16), text(location), text("O"), text("P")]
    strings += [UNSET_TEXT, text("S")] + [UNSET_TEXT] * 8   # kt0 ... kt9
    strings += [UNSET_TEXT] * 4                             # kf, kuser0 ... kuser2
    strings += [text("BHZ"), text(network), UNSET_TEXT, UNSET_TEXT]  # kcmpnm, knetwk, kdatrd, kinst
    header = struct.pack("<70f", *floats) + struct.pack("<40i", *ints) + b"".join(strings)
    assert len(header) == 632
    return header + struct.pack("<%df" % len(values), *values)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("directory", help="where the SAC files are written (created if missing)")
    args = parser.parse_args()
    os.makedirs(args.directory, exist_ok=True)
    rng = random.Random(20261209)
    for network, station, location, gcarc, azimuth in STATIONS:
        values, tp, ts = samples_of(gcarc, rng)
        path = os.path.join(args.directory, "%s.%s.%s.BHZ.sac" % (network, station, location))
        with open(path, "wb") as f:
            f.write(sac_bytes(network, station, location, gcarc, azimuth, values, tp, ts))


if __name__ == "__main__":
    main()
