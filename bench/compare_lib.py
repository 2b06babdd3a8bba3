"""Shared timing for bench/compare: our benchmarks against other libraries, same run, A/B.

A comparison script builds a list of Pair objects and hands it to run(). For every round each
pair runs our Google Benchmark case once (a separate process, its own warm-up) and then the peer
once (in this process, after one warm-up call); the medians of the rounds give the ratio.
Cases that work in row bands run with one thread and with all the machine's cores, the peer
with the same count (set_threads), in the same interleaved rounds: two tables.
"""
import json
import os
import statistics
import subprocess
import sys
import time

ROUNDS = 7
ALL_THREADS = os.cpu_count() or 1
THREAD_COUNTS = [1] + ([ALL_THREADS] if ALL_THREADS > 1 else [])
HERE = os.path.dirname(os.path.abspath(__file__))
BENCH = os.environ.get("VELMORA_BENCH", os.path.join(HERE, "..", "build", "bench", "velmora-bench"))


class Pair:
    def __init__(self, label, bench_filter, peer_name, peer_fn, target=None, threaded=False,
                 target_all=None, reference=False):
        self.label = label
        self.bench_filter = bench_filter  # exact Google Benchmark name, without "/threads:N"
        self.peer_name = peer_name
        self.peer_fn = peer_fn  # a call that does the peer's operation once
        self.target = target  # the ratio we aim to stay under with one thread, or None
        self.threaded = threaded  # our case takes the thread count
        self.target_all = target_all  # the same with all threads
        self.reference = reference  # a measure of the machine, with no speed-up target
        self.ours = []  # one thread
        self.theirs = []
        self.ours_all = []  # all threads
        self.theirs_all = []

    def bench_name(self, threads):
        return self.bench_filter + ("/threads:%d" % threads if self.threaded else "")


def ours_ms(bench_filter, tries=3):
    if tries <= 0:
        raise SystemExit("no report from benchmark " + bench_filter)
    out = subprocess.run(
        [BENCH, "--benchmark_filter=^" + bench_filter + "$", "--benchmark_format=json",
         "--benchmark_min_time=0.3"],
        check=True, capture_output=True, text=True).stdout
    try:
        report = json.loads(out)
    except ValueError:
        # A run cut short on a busy machine leaves no report (nor does a name that matches no
        # case): run it again, then give up naming the case.
        return ours_ms(bench_filter, tries - 1)
    runs = [b for b in report["benchmarks"] if b.get("run_type") == "iteration"]
    if not runs:
        raise SystemExit("no benchmark named " + bench_filter)
    b = runs[0]
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
    return b["real_time"] * scale


def peer_ms(fn):
    fn()  # warm-up: first touch of the peer's buffers
    samples = []
    for _ in range(3):
        t = time.perf_counter()
        fn()
        samples.append((time.perf_counter() - t) * 1e3)
    return statistics.median(samples)


def print_table(title, rows, columns=("ours ms", "peer ms", "ratio")):
    print("## " + title)
    print("%-44s %10s %10s %8s %7s  %s" % (("operation",) + columns + ("target", "peer")))
    for label, ours, theirs, target, peer in rows:
        target = "%.2f" % target if target else "-"
        a = statistics.median(ours)
        if not theirs:  # a reference of our own, without a peer
            print("%-44s %10.1f %10s %8s %7s  %s" % (label, a, "-", "-", "-", "-"))
            continue
        b = statistics.median(theirs)
        print("%-44s %10.1f %10.1f %8.2f %7s  %s" % (label, a, b, a / b, target, peer))
    sys.stdout.flush()


def run(title, pairs, set_threads=None):
    """Interleaved rounds; with set_threads (the peer's thread setter) also all threads."""
    counts = THREAD_COUNTS if set_threads else [1]
    for _ in range(ROUNDS):
        for threads in counts:
            if set_threads:
                set_threads(threads)
            for p in pairs:
                if threads != 1 and not p.threaded:
                    continue
                ours, theirs = (p.ours, p.theirs) if threads == 1 else (p.ours_all, p.theirs_all)
                ours.append(ours_ms(p.bench_name(threads)))
                if p.peer_fn:
                    theirs.append(peer_ms(p.peer_fn))
    if set_threads:
        set_threads(1)
    print_table(title + ", one thread",
                [(p.label, p.ours, p.theirs, p.target, p.peer_name) for p in pairs])
    if len(counts) > 1:
        print_table(title + ", %d threads (peer alike)" % counts[-1],
                    [(p.label, p.ours_all, p.theirs_all, p.target_all, p.peer_name)
                     for p in pairs if p.threaded])
        print_table(title + ", our speed-up from 1 to %d threads" % counts[-1],
                    [(p.label, p.ours, p.ours_all, None if p.reference else 1.8, "")
                     for p in pairs if p.threaded],
                    ("1 thr ms", "%d thr ms" % counts[-1], "speedup"))


def have_module(name):
    try:
        __import__(name)
        return True
    except ImportError:
        return False
