#!/usr/bin/python3
"""plume-section's processing against scipy and numpy, the independent
references: Butterworth designs (scipy.signal.butter, output='sos') run
through sosfiltfilt (zero phase) and sosfilt (--causal) on impulses, sines
and noise; detrend, taper (Tukey window), integration and differentiation.
Sines at the corner frequencies also check the gain and phase themselves:
1/sqrt(2) and the design's phase for one pass, 1/2 and no phase shift for
two.

    /usr/bin/python3 processing_check.py PROBE
"""
import subprocess
import sys

import numpy as np
from scipy import integrate, signal

PROBE = sys.argv[1]
failures = []


def probe(interval, options, x):
    text = "\n".join(repr(float(v)) for v in x) + "\n"
    out = subprocess.run([PROBE, repr(interval)] + options, input=text, capture_output=True, text=True)
    if out.returncode != 0:
        raise SystemExit(f"probe failed for {options}: {out.stderr}")
    return np.array([float(v) for v in out.stdout.split()])


def expect_close(name, ours, reference, rtol=1e-9):
    scale = max(np.max(np.abs(reference)), 1e-300)
    error = np.max(np.abs(ours - reference)) / scale if len(reference) else 0.0
    if ours.shape != reference.shape or not error <= rtol:
        failures.append(f"{name}: relative error {error:.3g}")


def expect_near(name, value, wanted, tolerance):
    if not abs(value - wanted) <= tolerance:
        failures.append(f"{name}: {value:.6g}, expected {wanted:.6g} within {tolerance:g}")


def design(kind, corners, order, interval):
    btype = {"lp": "lowpass", "hp": "highpass", "bp": "bandpass"}[kind]
    wn = corners if kind == "bp" else corners[0]
    return signal.butter(order, wn, btype=btype, output="sos", fs=1.0 / interval)


def zero_phase(sos, x):
    # scipy's default edge: odd extension of 3 (2 sections + 1) samples,
    # one less for a first-order section; shorter traces take n - 1.
    taps = 2 * len(sos) + 1 - min((sos[:, 2] == 0).sum(), (sos[:, 5] == 0).sum())
    return signal.sosfiltfilt(sos, x, padlen=min(3 * taps, len(x) - 1))


def sine_fit(y, f, interval):
    """Amplitude and phase of the sine at f in the middle third of y."""
    n = len(y)
    t = np.arange(n) * interval
    middle = slice(n // 3, 2 * n // 3)
    basis = np.column_stack([np.sin(2 * np.pi * f * t), np.cos(2 * np.pi * f * t)])[middle]
    (a, b), *_ = np.linalg.lstsq(basis, y[middle], rcond=None)
    return np.hypot(a, b), np.arctan2(b, a)


DESIGNS = [  # kind, corners (Hz), order, interval (s)
    ("lp", [2.0], 4, 0.01),
    ("lp", [10.0], 1, 0.01),
    ("hp", [0.5], 3, 0.02),
    ("hp", [1.0], 8, 0.002),
    ("bp", [1.0, 5.0], 4, 0.01),
    ("bp", [0.05, 0.2], 2, 0.05),
    ("bp", [3.0, 12.0], 5, 0.025),
]

rng = np.random.default_rng(18)
for kind, corners, order, interval in DESIGNS:
    sos = design(kind, corners, order, interval)
    options = ["--no-demean", "--filter", kind] + [repr(c) for c in corners] + ["--filter-order", str(order)]
    name = f"{kind} {corners} order {order}"
    impulse = np.zeros(2001)
    impulse[1000] = 1.0
    noise = rng.standard_normal(1500) + 3.0 + np.linspace(0, 5, 1500)
    short = rng.standard_normal(9)
    for label, x in (("impulse", impulse), ("noise", noise), ("short trace", short)):
        expect_close(f"{name}, zero phase, {label}", probe(interval, options, x), zero_phase(sos, x))
        expect_close(f"{name}, causal, {label}", probe(interval, options + ["--causal"], x), signal.sosfilt(sos, x))
    # Steady sines at the corners: the half-power point of the design.
    for f in corners:
        cycles = max(60.0, 30.0 * f / min(corners))
        n = int(cycles / (f * interval))
        t = np.arange(n) * interval
        x = np.sin(2 * np.pi * f * t)
        amplitude, phase = sine_fit(probe(interval, options, x), f, interval)
        expect_near(f"{name}: zero-phase gain at {f} Hz", amplitude, 0.5, 2e-3)
        expect_near(f"{name}: zero-phase phase at {f} Hz", phase, 0.0, 2e-3)
        amplitude, phase = sine_fit(probe(interval, options + ["--causal"], x), f, interval)
        _, response = signal.sosfreqz(sos, worN=[f], fs=1.0 / interval)
        expect_near(f"{name}: causal gain at {f} Hz", amplitude, 1 / np.sqrt(2), 2e-3)
        expect_near(f"{name}: causal phase at {f} Hz", np.angle(np.exp(1j * (phase - np.angle(response[0])))), 0.0, 2e-3)

# The other steps, alone and chained in the program's order.
interval = 0.01
x = rng.standard_normal(777) * 3 + 40 + np.linspace(0, 25, 777)
demeaned = x - x.mean()
expect_close("raw (--no-demean)", probe(interval, ["--no-demean"], x), x, 0)
expect_close("mean removal", probe(interval, [], x), demeaned, 1e-12)
expect_close("detrend", probe(interval, ["--detrend"], x), signal.detrend(x, type="linear"), 1e-9)
for fraction in (0.05, 0.25, 0.5):
    window = signal.windows.tukey(len(x), 2 * fraction)
    expect_close(f"taper {fraction}", probe(interval, ["--taper", repr(fraction)], x), demeaned * window, 1e-12)
expect_close("integrate", probe(interval, ["--integrate"], x),
             integrate.cumulative_trapezoid(demeaned, dx=interval, initial=0), 1e-12)
expect_close("differentiate", probe(interval, ["--differentiate"], x), np.gradient(demeaned, interval), 1e-12)
sos = design("bp", [1.0, 8.0], 4, interval)
chained = integrate.cumulative_trapezoid(
    zero_phase(sos, signal.detrend(x, type="linear") * signal.windows.tukey(len(x), 0.2)), dx=interval, initial=0)
expect_close("detrend, taper, filter, integrate",
             probe(interval, ["--detrend", "--taper", "0.1", "--filter", "bp", "1", "8", "--integrate"], x), chained)

if failures:
    print("\n".join(failures))
    sys.exit(1)
print("processing agrees with scipy")
