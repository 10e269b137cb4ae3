#!/usr/bin/env python3
"""End-to-end benchmarks of Plume, side by side with their baselines.

    python3 bench/run_e2e.py BUILD_DIR [--json out.json]

BUILD_DIR is a build configured with -DPLUME_BUILD_BENCH=ON (Release); this
script builds nothing. It generates its workloads in a temporary directory on
local disk (removed afterwards), runs every program in interleaved
repetitions, checks that all programs of a workload write byte-identical
documents, and prints the medians, the ratios and the targets.

W1  10,000,000 pen motions (one move, then 1000 draws, repeated) into one
    document: plume::plot (bench_w1_plume) against snprintf + fwrite
    (bench_w1_snprintf), gfortran formatted WRITE (bench_w1_fortran) and the
    floor, one write of the finished bytes (bench_floor).
W2  traceplot on 1,000 traces of 10,000 samples against gfortran formatted
    READ + WRITE (bench_w2_fortran); traceplot's peak resident memory and its
    time growth from 1,000,000 to 10,000,000 samples.
W3  plume-section on 1,000 traces of 10,000 samples in one SEG-Y file (IEEE
    floats, no fill) beside traceplot on the same samples in its trace file,
    and beside GMT drawing the same section from the same SEG-Y file
    (gmt segy, pssegy in classic mode) and from the same samples as 1,000
    SAC files (gmt pssac, with plume-section on those files beside it). The
    inputs are written by
    bench/e2e/make_section_inputs.py with /usr/bin/python3 and segyio; W3 is
    skipped when plume-section, segyio or GMT is missing. The documents of W3
    are different drawings and are not compared with one another.
    Beside them: plume-section on the same SEG-Y file thinned to 300 dpi (the
    resolution of pssegy's bitmap), and on one day of 100 Hz samples in one
    SAC file (8,640,000 samples) as it thins them by default and with every
    sample drawn (--resolution 0), and on the SEG-Y file bandpass filtered
    (--filter bp 2 20, zero phase, order 4), at most 1.5 times the time
    without.

W1 and W2 are also written as PDF, SVG and PNG through the library
(bench_w1_plume and bench_w2_formats: traceplot with its unit connected to
the path), side by side with the route a GMT user takes to the same format
on the same data: `gmt psxy` (classic `gmt plot`) writing PostScript, then
`gmt psconvert` to PDF or PNG (GMT has no SVG route here: Ghostscript no
longer has an SVG device, so the SVG rows stand against GMT's PDF). GMT reads
the pen motions of the EPS documents as a multi-segment table (made before
the timed runs). These documents differ by nature: each is checked to be
the format it claims, not compared byte for byte. Peak resident memory is
reported for each; the target is under 1 GiB on W2 in every format.

The runs of plume's W1 program alternate with the floor's, and those of
traceplot on W2 with those on a tenth of it: the two times of each ratio are
taken side by side.

Times are wall-clock times of the whole process, taken by the launcher
bench_measure (which also reports the peak resident memory), except the
floor's, which is the time of its open + write + close as it reports it (its
untimed read of the document into memory would otherwise count). The output
is removed and the file system synced between runs, and the page cache is
primed before each (see WARM_MIB), outside the timing.

Exit status: 0 when every program ran and every document matched; 1 when a
program failed or a document differs; 2 when programs are missing or the
arguments are wrong; with --strict, 3 when a target is not met.
"""

import argparse
import hashlib
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

W1_MOTIONS = 10_000_000
W2_TRACES = 1_000
W2_SAMPLES = 10_000
W2_GROWTH_TRACES = 100  # 1,000,000 samples against W2's 10,000,000

SMOKE_W1_MOTIONS = 30_030
SMOKE_W2_TRACES = 12
SMOKE_W2_SAMPLES = 2_500
SMOKE_W2_GROWTH_TRACES = 3
W3_TRACES = 1_000
W3_SAMPLES = 10_000
SMOKE_W3_TRACES = 10
SMOKE_W3_SAMPLES = 2_000
W3_DAY_SAMPLES = 8_640_000  # one day at 100 Hz
SMOKE_W3_DAY_SAMPLES = 360_000
# traceplot's run parameters for W3: 0.4 cm per unit of the 0.004 s
# interval (40 s in 16 cm), 0.0025 cm per metre of offset (1,000 traces
# 10 m apart in 25 cm), 0.0002 cm per sample unit.
W3_PARAMETERS = "27.0\n0.0002\n0.4\n0.0025\n"
W3_PYTHON = "/usr/bin/python3"  # the Debian python with python3-segyio

# traceplot's run parameters (standard input): baseline 27 cm, 0.05 cm per
# sample unit, 1.6 cm per unit of the 0.001 sample interval, 0.025 cm per
# unit of trace position: every point stays inside the portrait page.
W2_PARAMETERS = "27.0\n0.05\n1.6\n0.025\n"

RUN_TIMEOUT_S = 900
# Before every run the launcher writes and deletes a scratch file of this size
# next to the program's output: the page cache pages the program then takes
# are warm on a virtual machine that returns free memory to its host
# (bench/e2e/warm.hpp). It covers the largest run: a 260 MB document written
# and a 122 MB trace file read.
WARM_MIB = 400
SMOKE_WARM_MIB = 16
# The runs of a fraction of a second (plume's and traceplot's, the floor)
# are the most sensitive to noise on a shared machine: five samples per
# repetition for each of them.
SHORT_RUNS_PER_REPETITION = 5

# The launcher that runs and measures every program (set from the build dir).
LAUNCHER = None


class Failure(Exception):
    """A program failed or a document differs: the run is not valid."""


class Missing(Exception):
    """A program that the run cannot do without is not built."""


def fail_loudly(message):
    print("\n*** E2E FAILURE: " + message, file=sys.stderr)


# --- running one program ----------------------------------------------------


class Run:
    def __init__(self, seconds, cpu_seconds, max_rss_kib):
        self.seconds = seconds
        self.cpu_seconds = cpu_seconds
        self.max_rss_kib = max_rss_kib


def run_program(argv, cwd, stdin_path, log_prefix, self_timed=False, warm_mib=0, warm_dir=None):
    """Runs argv to completion under the launcher bench_measure; returns its
    Run. Raises Failure on a non-zero exit status or a timeout (the stdout and
    stderr are kept as log files in the work directory)."""
    out_path, err_path, result_path = log_prefix + ".out", log_prefix + ".err", log_prefix + ".rusage"
    command = [LAUNCHER, result_path, str(RUN_TIMEOUT_S), str(warm_mib), warm_dir or cwd] + argv
    with open(stdin_path or os.devnull, "rb") as stdin, open(out_path, "wb") as out, open(
        err_path, "wb"
    ) as err:
        try:
            status = subprocess.run(command, cwd=cwd, stdin=stdin, stdout=out, stderr=err, check=False).returncode
        except OSError as e:
            raise Failure("cannot run %s: %s" % (LAUNCHER, e)) from e
    if status != 0:
        with open(err_path, errors="replace") as f:
            detail = f.read().strip()[-2000:]
        what = "timed out after %d s" % RUN_TIMEOUT_S if status == 124 else "exited with status %d" % status
        raise Failure("%s %s%s" % (" ".join(argv), what, (":\n" + detail) if detail else ""))
    with open(result_path) as f:
        seconds, cpu_seconds, max_rss_kib = f.read().split()
    seconds = float(seconds)
    if self_timed:
        with open(out_path) as f:
            seconds = float(f.read().split()[0])
    return Run(seconds, float(cpu_seconds), int(max_rss_kib))


def sha256_of(path):
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 22), b""):
            digest.update(block)
    return digest.hexdigest()


def first_difference(path_a, path_b):
    """(line number, line of a, line of b) where two documents first differ."""
    with open(path_a, "rb") as a, open(path_b, "rb") as b:
        number = 0
        for line_a in a:
            number += 1
            line_b = b.readline()
            if line_a != line_b:
                return number, line_a, line_b
        rest = b.readline()
        if rest:
            return number + 1, b"(end of document)", rest
    return None


# --- the programs of one run ------------------------------------------------


class Program:
    """One program of a workload. The first program of a workload writes the
    reference document; every other program's document must equal it."""

    def __init__(self, key, workload, label, argv, cwd, output, runs, stdin=None, self_timed=False,
                 per_repetition=1, alternates_with=None, magic=None):
        self.key = key
        # Documents in another format are checked by their first bytes only.
        self.magic = magic
        # The program whose time this one's is divided by (or divides): their
        # runs alternate, so that a slow spell of the machine falls on both.
        self.alternates_with = alternates_with
        self.workload = workload
        self.label = label
        self.argv = argv
        self.cwd = cwd
        self.output = output
        self.runs = runs
        self.per_repetition = per_repetition  # back-to-back runs within one repetition
        self.stdin = stdin
        self.self_timed = self_timed
        self.results = []
        self.sha256 = None

    def median(self):
        return statistics.median(r.seconds for r in self.results) if self.results else None

    def peak_rss_kib(self):
        return max((r.max_rss_kib for r in self.results), default=None)


class Documents:
    """The reference document of each workload and the programs checked
    against it."""

    def __init__(self, workdir):
        self.workdir = workdir
        self.reference = {}  # workload -> (path, sha256, program key)
        self.matched = {}  # workload -> [program keys]
        self.mismatches = []

    def check(self, program):
        digest = sha256_of(program.output)
        program.sha256 = digest
        if program.magic is not None:
            with open(program.output, "rb") as f:
                head = f.read(16)
            if program.magic not in head:
                self.mismatches.append("%s: the document of %s is not %r (starts %r)" % (
                    program.workload, program.key, program.magic, head))
            return
        if program.workload not in self.reference:
            kept = os.path.join(self.workdir, "reference-%s.eps" % program.key)
            os.replace(program.output, kept)
            self.reference[program.workload] = (kept, digest, program.key)
            self.matched[program.workload] = [program.key]
            return
        path, expected, owner = self.reference[program.workload]
        if digest == expected:
            self.matched[program.workload].append(program.key)
            return
        message = "%s: the document of %s differs from that of %s (sha256 %s, expected %s)" % (
            program.workload, program.key, owner, digest[:16], expected[:16])
        where = first_difference(path, program.output)
        if where:
            message += "\n    first difference at line %d:\n    %-20s %r\n    %-20s %r" % (
                where[0], owner, where[1], program.key, where[2])
        self.mismatches.append(message)

    def reference_path(self, workload):
        return self.reference[workload][0]


def machine():
    model = None
    try:
        text = subprocess.run(["lscpu"], capture_output=True, text=True, check=False).stdout
        for line in text.splitlines():
            if line.startswith("Model name:"):
                model = line.split(":", 1)[1].strip()
    except OSError:
        pass
    if model is None:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    model = line.split(":", 1)[1].strip()
                    break
    return {"nproc": os.cpu_count(), "model": model or "unknown"}


def file_system_of(path):
    """The type of the file system holding path (from /proc/mounts)."""
    best, kind = "", "unknown"
    real = os.path.realpath(path)
    try:
        with open("/proc/mounts") as f:
            for line in f:
                fields = line.split()
                mount = fields[1]
                inside = real == mount or real.startswith(mount.rstrip("/") + "/")
                if inside and len(mount) >= len(best):
                    best, kind = mount, fields[2]
    except OSError:
        pass
    return kind


def locate(build, name, required=True):
    for path in (os.path.join(build, "bench", "e2e", name), os.path.join(build, name),
                 os.path.join(build, "section", name)):
        if os.access(path, os.X_OK):
            return path
    if required:
        raise Missing(name)
    return None


def plan(args, work):
    """The programs of the run, in the order of one repetition."""
    smoke = args.smoke
    motions = SMOKE_W1_MOTIONS if smoke else W1_MOTIONS
    runs = 1 if smoke else args.runs
    slow_runs = 1 if smoke else args.slow_runs
    build = args.build_dir
    w1_out = os.path.join(work, "w1", "document.eps")
    w2_dir = os.path.join(work, "w2")
    growth_dir = os.path.join(work, "w2-growth")
    params = os.path.join(work, "parameters.txt")

    programs, notes = [], []
    short = 1 if smoke else SHORT_RUNS_PER_REPETITION
    programs.append(Program("w1_plume", "W1", "plume::plot", [locate(build, "bench_w1_plume"), w1_out, str(motions)],
                            work, w1_out, runs, per_repetition=short))
    programs.append(Program("w1_snprintf", "W1", "snprintf + fwrite",
                            [locate(build, "bench_w1_snprintf"), w1_out, str(motions)], work, w1_out, runs))
    fortran_w1 = locate(build, "bench_w1_fortran", required=False)
    if fortran_w1:
        programs.append(Program("w1_fortran", "W1", "gfortran formatted WRITE", [fortran_w1, w1_out, str(motions)],
                                work, w1_out, slow_runs))
    else:
        notes.append("bench_w1_fortran not built (needs gfortran): W1 gfortran baseline skipped")
    # The floor's source document is W1's reference, known after the first run.
    programs.append(Program("w1_floor", "W1", "floor: one write",
                            [locate(build, "bench_floor"), None, w1_out, "0" if args.no_warm else "1"],
                            work, w1_out, runs, self_timed=True,
                            per_repetition=short, alternates_with="w1_plume"))

    traceplot = locate(build, "traceplot", required=False)
    fortran_w2 = locate(build, "bench_w2_fortran", required=False)
    fort8 = os.path.join(w2_dir, "fort.8")
    if traceplot:
        programs.append(Program("w2_traceplot", "W2", "traceplot", [traceplot], w2_dir, fort8, runs, stdin=params,
                                per_repetition=short))
    else:
        notes.append("traceplot not built: W2 timing, memory and growth skipped")
    if fortran_w2:
        programs.append(Program("w2_fortran", "W2", "gfortran formatted READ + WRITE", [fortran_w2], w2_dir, fort8,
                                slow_runs, stdin=params))
    else:
        notes.append("bench_w2_fortran not built (needs gfortran): W2 gfortran baseline skipped")
    if traceplot:
        programs.append(Program("w2_growth_traceplot", "W2/10", "traceplot, a tenth of the samples", [traceplot],
                                growth_dir, os.path.join(growth_dir, "fort.8"), runs, stdin=params,
                                per_repetition=short, alternates_with="w2_traceplot"))

    if not args.no_formats:
        formats_plan(args, work, programs, notes, build, runs, slow_runs, w1_out, w2_dir, params, traceplot)

    w3_dir = os.path.join(work, "w3")
    section = locate(build, "plume-section", required=False)
    gmt = shutil.which("gmt")
    has_segyio = subprocess.run([W3_PYTHON, "-c", "import segyio"], capture_output=True).returncode == 0 \
        if os.access(W3_PYTHON, os.X_OK) else False
    w3_traces = SMOKE_W3_TRACES if smoke else W3_TRACES
    w3_samples = SMOKE_W3_SAMPLES if smoke else W3_SAMPLES
    sac_files = [os.path.join(w3_dir, "sac", "t%04d.sac" % i) for i in range(w3_traces)]
    if not section or not has_segyio:
        notes.append("plume-section or python3-segyio missing: W3 skipped")
    else:
        segy = os.path.join(w3_dir, "section.sgy")
        programs.append(Program("w3_section", "W3", "plume-section, SEG-Y",
                                [section, segy, "-o", os.path.join(w3_dir, "section.eps")], w3_dir,
                                os.path.join(w3_dir, "section.eps"), runs, per_repetition=short))
        if traceplot:
            programs.append(Program("w3_traceplot", "W3/traceplot", "traceplot, same samples", [traceplot],
                                    w3_dir, os.path.join(w3_dir, "fort.8"), runs,
                                    stdin=os.path.join(work, "w3-parameters.txt"), per_repetition=short,
                                    alternates_with="w3_section"))
        programs.append(Program("w3_section_300", "W3/300", "plume-section, SEG-Y, 300 dpi",
                                [section, segy, "--resolution", "300", "-o", os.path.join(w3_dir, "section-300.eps")],
                                w3_dir, os.path.join(w3_dir, "section-300.eps"), runs, per_repetition=short))
        programs.append(Program("w3_section_filter", "W3/filter", "plume-section, SEG-Y, bandpass 2-20 Hz",
                                [section, segy, "--filter", "bp", "2", "20", "-o",
                                 os.path.join(w3_dir, "section-filter.eps")],
                                w3_dir, os.path.join(w3_dir, "section-filter.eps"), runs, per_repetition=short))
        day = os.path.join(w3_dir, "day.sac")
        programs.append(Program("w3_day", "W3/day", "plume-section, a day at 100 Hz",
                                [section, day, "-o", os.path.join(w3_dir, "day.eps")], w3_dir,
                                os.path.join(w3_dir, "day.eps"), runs, per_repetition=short))
        programs.append(Program("w3_day_every", "W3/day0", "the same, every sample",
                                [section, day, "--resolution", "0", "-o", os.path.join(w3_dir, "day-every.eps")],
                                w3_dir, os.path.join(w3_dir, "day-every.eps"), slow_runs))
        programs.append(Program("w3_section_sac", "W3/sac", "plume-section, SAC files",
                                [section] + sac_files + ["-o", os.path.join(w3_dir, "section-sac.eps")], w3_dir,
                                os.path.join(w3_dir, "section-sac.eps"), runs))
        if gmt:
            # GMT's classic modules write PostScript to standard output; the
            # shell's redirection belongs to the timed run.
            seconds = w3_samples * 0.004
            km = w3_traces * 0.01 + 0.01
            gmt_segy = os.path.join(w3_dir, "gmt-segy.ps")
            programs.append(Program(
                "w3_gmt_segy", "W3/gmt segy", "gmt pssegy, same SEG-Y",
                ["/bin/sh", "-c", 'gmt pssegy "$1" -JX22c/15c -R0/%g/0/%g -So -Qx0.001 -D0.02 -W -N -P > "$2"'
                 % (km, seconds), "sh", segy, gmt_segy], w3_dir, gmt_segy, slow_runs))
            gmt_sac = os.path.join(w3_dir, "gmt-sac.ps")
            programs.append(Program(
                "w3_gmt_sac", "W3/gmt pssac", "gmt pssac, same SAC files",
                ["/bin/sh", "-c", 'out="$1"; shift; gmt pssac "$@" -JX15c/22c -R0/%g/0/%g -Ek -M0.02 -P > "$out"'
                 % (seconds, km), "sh", gmt_sac] + sac_files, w3_dir, gmt_sac, slow_runs))
        else:
            notes.append("gmt not installed: W3's GMT baselines skipped")

    workloads = {
        "w1_motions": motions,
        "w2_traces": SMOKE_W2_TRACES if smoke else W2_TRACES,
        "w2_samples": SMOKE_W2_SAMPLES if smoke else W2_SAMPLES,
        "w2_growth_traces": SMOKE_W2_GROWTH_TRACES if smoke else W2_GROWTH_TRACES,
        "w3_traces": w3_traces,
        "w3_samples": w3_samples,
        "w3_day_samples": SMOKE_W3_DAY_SAMPLES if smoke else W3_DAY_SAMPLES,
    }
    w3_wanted = any(p.key.startswith("w3_") for p in programs)
    return programs, notes, workloads, {"w1": os.path.dirname(w1_out), "w2": w2_dir, "growth": growth_dir,
                                       "params": params, "w3": w3_dir if w3_wanted else None,
                                       "w3_params": os.path.join(work, "w3-parameters.txt")}


FORMATS = (("pdf", b"%PDF-"), ("svg", b"<?xml"), ("png", b"PNG"))
# GMT's routes: psconvert's -T letter for each format it reaches.
GMT_ROUTES = (("pdf", "f", b"%PDF-"), ("png", "g", b"PNG"))
# GMT draws the motions in points on a sheet like the library's, with the
# library's default 0.3-point pen; PNG at the library's default 150 dpi.
GMT_PLOT = "gmt psxy '%s' -R0/600/0/850 -Jx1p -W0.3p -P --PS_MEDIA=Custom_620x870 -X0 -Y0 > '%s' 2>/dev/null"
GMT_CONVERT = "gmt psconvert '%s' -T%s -A -E150 -F'%s'"


def formats_plan(args, work, programs, notes, build, runs, slow_runs, w1_out, w2_dir, params, traceplot):
    """W1 and W2 as PDF, SVG and PNG through the library, and GMT's routes."""
    w1_plume = locate(build, "bench_w1_plume")
    motions = str(SMOKE_W1_MOTIONS if args.smoke else W1_MOTIONS)
    for ext, magic in FORMATS:
        out = os.path.join(os.path.dirname(w1_out), "document." + ext)
        programs.append(Program("w1_" + ext, "W1 " + ext.upper(), "plume::plot, " + ext.upper(),
                                [w1_plume, out, motions], work, out, slow_runs, magic=magic))
    w2_formats = locate(build, "bench_w2_formats", required=False)
    if w2_formats:
        for ext, magic in FORMATS:
            out = os.path.join(w2_dir, "document." + ext)
            programs.append(Program("w2_" + ext, "W2 " + ext.upper(), "traceplot, " + ext.upper(),
                                    [w2_formats, out], w2_dir, out, slow_runs, stdin=params, magic=magic))
    else:
        notes.append("bench_w2_formats not built: W2 in PDF, SVG and PNG skipped")
    if shutil.which("gmt") is None:
        notes.append("gmt not installed: GMT's routes to PDF and PNG skipped")
        return
    for workload, directory in (("W1", os.path.dirname(w1_out)), ("W2", w2_dir)):
        if workload == "W2" and not traceplot:
            continue
        table = os.path.join(directory, "gmt-table.txt")
        ps = os.path.join(directory, "gmt.ps")
        for ext, letter, magic in GMT_ROUTES:
            stem = os.path.join(directory, "gmt-" + ext)
            command = (GMT_PLOT % (table, ps)) + " && " + (GMT_CONVERT % (ps, letter, stem))
            programs.append(Program("%s_gmt_%s" % (workload.lower(), ext), "%s %s" % (workload, ext.upper()),
                                    "GMT: psxy + psconvert, " + ext.upper(), ["/bin/sh", "-c", command], directory,
                                    stem + "." + ext, slow_runs, magic=magic))


def gmt_table(eps, table):
    """The pen motions of an EPS document as GMT's multi-segment table."""
    script = ('$3 == "pQ" || $3 == "pM" { print ">"; print $1, $2; next } '
              '$3 == "pL" { print $1, $2 }')
    with open(table, "w") as out:
        subprocess.run(["awk", script, eps], stdout=out, check=True)


def generate_gmt_tables(args, dirs, workloads, params):
    """GMT reads the same motions: from the EPS documents, written once here."""
    if shutil.which("gmt") is None:
        return
    motions = str(workloads["w1_motions"])
    w1_eps = os.path.join(dirs["w1"], "gmt-source.eps")
    run_program([locate(args.build_dir, "bench_w1_plume"), w1_eps, motions], dirs["w1"], None,
                os.path.join(dirs["w1"], "gmt-source"))
    gmt_table(w1_eps, os.path.join(dirs["w1"], "gmt-table.txt"))
    os.remove(w1_eps)
    traceplot = locate(args.build_dir, "traceplot", required=False)
    if traceplot and os.path.exists(os.path.join(dirs["w2"], "fort.10")):
        run_program([traceplot], dirs["w2"], params, os.path.join(dirs["w2"], "gmt-source"))
        fort8 = os.path.join(dirs["w2"], "fort.8")
        gmt_table(fort8, os.path.join(dirs["w2"], "gmt-table.txt"))
        os.remove(fort8)


def generate(args, dirs, workloads, programs):
    for d in (dirs["w1"], dirs["w2"], dirs["growth"]):
        os.makedirs(d, exist_ok=True)
    with open(dirs["params"], "w") as f:
        f.write(W2_PARAMETERS)
    tracegen = locate(args.build_dir, "bench_w2_tracegen")
    w2_wanted = any(p.key.startswith("w2_") for p in programs)
    for d, traces in ((dirs["w2"], workloads["w2_traces"]), (dirs["growth"], workloads["w2_growth_traces"])):
        if w2_wanted:
            run_program([tracegen, os.path.join(d, "fort.10"), str(traces), str(workloads["w2_samples"])],
                        d, None, os.path.join(d, "tracegen"))
    if dirs["w3"] and any(p.key.startswith("w3_") for p in programs):
        with open(dirs["w3_params"], "w") as f:
            f.write(W3_PARAMETERS)
        maker = os.path.join(os.path.dirname(os.path.abspath(__file__)), "e2e", "make_section_inputs.py")
        run_program([W3_PYTHON, maker, dirs["w3"], str(workloads["w3_traces"]), str(workloads["w3_samples"]),
                     str(workloads["w3_day_samples"])],
                    os.path.dirname(dirs["w3"]), None, os.path.join(os.path.dirname(dirs["w3"]), "w3-inputs"))
    if not args.no_formats and any("_gmt_" in p.key and p.key[:3] in ("w1_", "w2_") for p in programs):
        generate_gmt_tables(args, dirs, workloads, dirs["params"])


def run_all(programs, documents, work, progress, warm_mib):
    by_key = {p.key: p for p in programs}
    partners = {p.alternates_with: p for p in programs if p.alternates_with in by_key}

    def run_once(program, repetition, inner):
        if program.key == "w1_floor" and program.argv[1] is None:
            program.argv[1] = documents.reference_path("W1")
        if os.path.exists(program.output):
            os.remove(program.output)
        os.sync()
        log = os.path.join(work, "%s-%d-%d" % (program.key, repetition, inner))
        result = run_program(program.argv, program.cwd, program.stdin, log, program.self_timed,
                             warm_mib, os.path.dirname(program.output))
        program.results.append(result)
        if progress:
            print("  run %d  %-22s %8.3f s" % (repetition + 1, program.key, result.seconds), flush=True)
        if repetition == 0 and inner == 0:
            documents.check(program)

    repetitions = max(p.runs for p in programs)
    for repetition in range(repetitions):
        for program in programs:
            if repetition >= program.runs or program.alternates_with in by_key:
                continue  # a program that alternates runs with its partner's
            partner = partners.get(program.key)
            for inner in range(program.per_repetition):
                run_once(program, repetition, inner)
                if partner is not None and repetition < partner.runs and inner < partner.per_repetition:
                    run_once(partner, repetition, inner)
            for p in (program, partner):
                if p is not None and os.path.exists(p.output):
                    os.remove(p.output)


# --- judging and reporting --------------------------------------------------


def ratio(numerator, denominator):
    if numerator is None or denominator is None or denominator <= 0:
        return None
    return numerator / denominator


def judge(programs, smoke):
    by_key = {p.key: p for p in programs}

    def median(key):
        return by_key[key].median() if key in by_key else None

    def target(name, value, goal, passes, unit="x"):
        if smoke:
            result = "not judged (smoke run)"
        elif value is None:
            result = "SKIP"
        else:
            result = "PASS" if passes(value) else "FAIL"
        return {"name": name, "value": value, "unit": unit, "goal": goal, "result": result}

    plume = median("w1_plume")
    traceplot = median("w2_traceplot")
    rss = by_key["w2_traceplot"].peak_rss_kib() if "w2_traceplot" in by_key else None
    formats = []
    for workload in ("w1", "w2"):
        for ext, _ in FORMATS:
            gmt = "%s_gmt_%s" % (workload, ext if ext != "svg" else "pdf")
            formats.append(target("%s %s: GMT route time / plume time" % (workload.upper(), ext.upper()),
                                  ratio(median(gmt), median("%s_%s" % (workload, ext))), "> 1x",
                                  lambda v: v > 1))
    for ext, _ in FORMATS:
        key = "w2_" + ext
        peak = by_key[key].peak_rss_kib() if key in by_key else None
        formats.append(target("W2 %s: peak resident memory" % ext.upper(), None if peak is None else peak / 1024,
                              "< 1024 MiB", lambda v: v < 1024, unit="MiB"))
    return formats + [
        target("W1: snprintf baseline time / plume time", ratio(median("w1_snprintf"), plume), ">= 15x",
               lambda v: v >= 15),
        target("W1: gfortran baseline time / plume time", ratio(median("w1_fortran"), plume), ">= 25x",
               lambda v: v >= 25),
        target("W1: plume time / floor time", ratio(plume, median("w1_floor")), "<= 3x", lambda v: v <= 3),
        target("W2: gfortran baseline time / traceplot time", ratio(median("w2_fortran"), traceplot), ">= 20x",
               lambda v: v >= 20),
        target("W2: traceplot peak resident memory", None if rss is None else rss / 1024, "< 32 MiB",
               lambda v: v < 32, unit="MiB"),
        target("W2: traceplot time, 10x the samples / 1x", ratio(traceplot, median("w2_growth_traceplot")),
               "10 +- 1.5", lambda v: 8.5 <= v <= 11.5),
        target("W3: plume-section time / traceplot time", ratio(median("w3_section"), median("w3_traceplot")),
               "<= 2x", lambda v: v <= 2),
        target("W3: gmt segy time / plume-section time", ratio(median("w3_gmt_segy"), median("w3_section")),
               ">= 10x", lambda v: v >= 10),
        target("W3: gmt pssac time / plume-section time (SAC)",
               ratio(median("w3_gmt_sac"), median("w3_section_sac")), ">= 10x", lambda v: v >= 10),
        target("W3: plume-section time with --filter bp 2 20 / without",
               ratio(median("w3_section_filter"), median("w3_section")), "<= 1.5x", lambda v: v <= 1.5),
        target("W3: plume-section peak resident memory",
               None if "w3_section" not in by_key else by_key["w3_section"].peak_rss_kib() / 1024,
               "< 32 MiB", lambda v: v < 32, unit="MiB"),
    ]


def format_value(value, unit):
    if value is None:
        return "-"
    if unit == "MiB":
        return "%.1f MiB" % value
    return ("%.1f" if value >= 10 else "%.2f") % value + ("x" if unit == "x" else " " + unit)


def report(args, info, programs, targets, documents, notes, workloads, elapsed):
    m = info["machine"]
    print()
    print("Plume end-to-end benchmarks (%s)" % ("smoke run" if args.smoke else "full run"))
    print("machine: %d cores, %s; temp dir on %s; build %s" % (m["nproc"], m["model"], info["tmp_fs"],
                                                               args.build_dir))
    print("W1 %s motions; W2 %s traces x %s samples; growth %s traces; W3 %s traces x %s samples" % (
        "{:,}".format(workloads["w1_motions"]), "{:,}".format(workloads["w2_traces"]),
        "{:,}".format(workloads["w2_samples"]), "{:,}".format(workloads["w2_growth_traces"]),
        "{:,}".format(workloads["w3_traces"]), "{:,}".format(workloads["w3_samples"])))
    print()
    print("%-6s %-34s %4s %10s %10s %10s %11s" % ("load", "program", "runs", "median s", "min s", "max s",
                                                  "peak RSS"))
    for p in programs:
        times = [r.seconds for r in p.results]
        if not times:
            continue
        rss = "%.1f MiB" % (p.peak_rss_kib() / 1024) if not p.self_timed else "-"
        print("%-6s %-34s %4d %10.3f %10.3f %10.3f %11s" % (p.workload, p.label, len(times), p.median(),
                                                            min(times), max(times), rss))
    print()
    print("%-46s %10s %12s  %s" % ("target", "measured", "goal", "result"))
    for t in targets:
        print("%-46s %10s %12s  %s" % (t["name"], format_value(t["value"], t["unit"]), t["goal"], t["result"]))
    print()
    for workload, keys in documents.matched.items():
        agreement = "identical documents" if len(keys) > 1 else "document (nothing to compare with)"
        print("%s: %s from %s, sha256 %s" % (workload, agreement, ", ".join(keys),
                                             documents.reference[workload][1]))
    for note in notes:
        print("note: " + note)
    print("total time of the run: %.0f s" % elapsed)


def to_json(args, info, programs, targets, documents, notes, workloads, elapsed, ok):
    return {
        "machine": info["machine"],
        "temp_file_system": info["tmp_fs"],
        "build_dir": os.path.abspath(args.build_dir),
        "smoke": args.smoke,
        "workloads": workloads,
        "programs": {
            p.key: {
                "workload": p.workload,
                "label": p.label,
                "times_s": [r.seconds for r in p.results],
                "median_s": p.median(),
                "cpu_s": [r.cpu_seconds for r in p.results],
                "peak_rss_kib": None if p.self_timed else p.peak_rss_kib(),
                "document_sha256": p.sha256,
            }
            for p in programs
        },
        "targets": targets,
        "documents": {
            w: {"sha256": documents.reference[w][1], "identical": documents.matched[w]}
            for w in documents.reference
        },
        "mismatches": documents.mismatches,
        "notes": notes,
        "total_s": elapsed,
        "ok": ok,
    }


def parse_arguments(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("build_dir", help="a build configured with -DPLUME_BUILD_BENCH=ON")
    parser.add_argument("--json", metavar="PATH", help="also write the results as JSON to PATH")
    parser.add_argument("--runs", type=int, default=5, help="runs of each fast program (default 5)")
    parser.add_argument("--slow-runs", type=int, default=3,
                        help="runs of each gfortran baseline (default 3)")
    parser.add_argument("--tmpdir", help="where to make the temporary directory (default: the system's)")
    parser.add_argument("--smoke", action="store_true",
                        help="small workloads, one run each: checks the documents only")
    parser.add_argument("--no-formats", action="store_true",
                        help="EPS only: no PDF, SVG, PNG rows nor GMT's routes (those take 15 minutes or more)")
    parser.add_argument("--strict", action="store_true", help="exit with status 3 when a target is not met")
    parser.add_argument("--quiet", action="store_true", help="no progress lines")
    parser.add_argument("--only", metavar="PREFIX",
                        help="run only the programs whose key starts with PREFIX (e.g. w3)")
    parser.add_argument("--no-warm", action="store_true",
                        help="do not prime the page cache before each run (see bench/e2e/warm.hpp)")
    args = parser.parse_args(argv)
    if args.runs < 1 or args.slow_runs < 1:
        parser.error("--runs and --slow-runs must be at least 1")
    if not os.path.isdir(args.build_dir):
        parser.error("no build directory %s" % args.build_dir)
    args.build_dir = os.path.abspath(args.build_dir)
    return args


def main(argv):
    global LAUNCHER
    args = parse_arguments(argv)
    started = time.perf_counter()
    work = tempfile.mkdtemp(prefix="plume-e2e-", dir=args.tmpdir)
    info = {"machine": machine(), "tmp_fs": file_system_of(work)}
    status = 0
    try:
        LAUNCHER = locate(args.build_dir, "bench_measure")
        programs, notes, workloads, dirs = plan(args, work)
        if args.only:
            programs = [p for p in programs if p.key.startswith(args.only)]
            for p in programs:
                if p.alternates_with and not any(q.key == p.alternates_with for q in programs):
                    p.alternates_with = None
        if info["tmp_fs"] in ("tmpfs", "ramfs"):
            notes.append("the temp dir is in memory (%s), not on disk: use --tmpdir" % info["tmp_fs"])
        documents = Documents(work)
        generate(args, dirs, workloads, programs)
        run_all(programs, documents, work, not args.quiet, 0 if args.no_warm else
                (SMOKE_WARM_MIB if args.smoke else WARM_MIB))
        targets = judge(programs, args.smoke)
        elapsed = time.perf_counter() - started
        report(args, info, programs, targets, documents, notes, workloads, elapsed)
        ok = not documents.mismatches
        if args.json:
            with open(args.json, "w") as f:
                json.dump(to_json(args, info, programs, targets, documents, notes, workloads, elapsed, ok), f,
                          indent=2)
                f.write("\n")
        if documents.mismatches:
            for m in documents.mismatches:
                fail_loudly(m)
            status = 1
        elif args.strict and any(t["result"] == "FAIL" for t in targets):
            status = 3
    except Missing as e:
        fail_loudly("%s is not built in %s: build the bench targets first, e.g.\n"
                    "    cmake -S . -B %s -G Ninja -DPLUME_BUILD_BENCH=ON -DCMAKE_BUILD_TYPE=Release\n"
                    "    cmake --build %s -j2" % (e, args.build_dir, args.build_dir, args.build_dir))
        status = 2
    except Failure as e:
        fail_loudly(str(e))
        status = 1
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
